#include "window_fixture.h"

#include <QApplication>
#include <QPushButton>
#include <QTabWidget>

#include "ui/cell_colours.h"
#include "ui/output_control_page.h"
#include "ui/release_tab_bar.h"
#include "ui/unit_selector.h"

namespace valdro::ui::test {

QString Colours(const ColourGrid* grid, int row) {
    QString out;
    for (int c = 1; c <= 16; ++c) {
        const QColor colour = grid->CellColour(c, row);
        out += colour == kMappedColour     ? u'R'
               : colour == kUnmappedColour ? u'G'
               : colour == kAbsentColour   ? u'-'
                                           : u'?';
    }
    return out;
}

void WindowTest::MakeForm(const QString& helpFile) {
    ASSERT_TRUE(tmp.isValid());
    form.reset();
    form = std::make_unique<TMainForm>(platform, MainFormOptions{&dialogs, helpFile});
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
}

void WindowTest::ClickUnit(int u, Qt::MouseButton button) {
    UnitSelector* s = form->unitSelector();
    QTest::mouseClick(s, button, {}, s->tabRect(u).center());
}

void WindowTest::Click(const char* name) {
    QTest::mouseClick(W<QPushButton>(name), Qt::LeftButton);
}

void WindowTest::Type(const char* name, const QString& text) {
    auto* e = W<QLineEdit>(name);
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

void WindowTest::ShowPage(int index) {
    QTabBar* bar = form->pageControl()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    ASSERT_EQ(form->pageControl()->currentIndex(), index);
}

void WindowTest::ClickOutputTab(int index) {
    ReleaseTabBar* bar = form->outputPage()->outputTabs;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

void WindowTest::PressCell(int column, int row, Qt::MouseButton button) {
    ColourGrid* g = form->outputPage()->inputMap;
    const QPoint at = g->CellRect(column, row).center();
    QTest::mousePress(g->viewport(), button, {}, at);
    QTest::mouseRelease(g->viewport(), button, {}, at);
}

}  // namespace valdro::ui::test

// The offscreen platform must be chosen before the QApplication exists (test
// discovery runs this binary outside CTest's environment).
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
