#include "window_fixture.h"

#include <QPushButton>
#include <QTabWidget>

#include "ui/cell_colours.h"
#include "ui/colour_grid.h"
#include "ui/output_control_page.h"
#include "ui/release_tab_bar.h"
#include "ui/unit_selector.h"

namespace valdro::ui::test {

namespace {
// The next queued name, or nothing (an empty name also cancels the chooser).
std::optional<QString> Next(std::deque<QString>& queue) {
    const QString name = queue.empty() ? QString() : queue.front();
    if (!queue.empty()) {
        queue.pop_front();
    }
    return name.isEmpty() ? std::nullopt : std::optional<QString>(name);
}
}  // namespace

DialogProvider::Answer ScriptedDialogs::Confirm(const QString& text) {
    log.push_back(QStringLiteral("C:") + text);
    const Answer a = answers.empty() ? Answer::Cancel : answers.front();
    if (!answers.empty()) {
        answers.pop_front();
    }
    return a;
}

std::optional<QString> ScriptedDialogs::OpenFile(const FileChooser& chooser) {
    log.push_back(QStringLiteral("O:") + chooser.lastName);
    return Next(openAnswers);
}

std::optional<QString> ScriptedDialogs::SaveFile(const FileChooser& chooser) {
    log.push_back(QStringLiteral("S:") + chooser.lastName);
    saveChoosers.push_back(chooser);
    return Next(saveAnswers);
}

QStringList ScriptedDialogs::Errors() const {
    QStringList out;
    for (const QString& s : log) {
        if (s.startsWith(QStringLiteral("E:"))) {
            out.push_back(s.mid(2));
        }
    }
    return out;
}

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

void WindowTest::SetUp() {
    ASSERT_TRUE(tmp.isValid());
    unit = std::make_unique<SimulatedUnit>();
    platform = std::make_unique<SimulatedPlatform>(*unit);
    MainFormOptions options;
    options.dialogs = &dialogs;
    options.helpFilePath = tmp.filePath(QStringLiteral("missing/valdrometrica.chm"));
    form = std::make_unique<TMainForm>(*platform, options);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
}

void WindowTest::TearDown() {
    form.reset();
}

void WindowTest::ClickUnit(int u, Qt::MouseButton button) {
    UnitSelector* s = form->unitSelector();
    QTest::mouseClick(s, button, {}, s->tabRect(u).center());
}

void WindowTest::ClickButton(const QString& name) {
    auto* b = W<QPushButton>(name);
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b, Qt::LeftButton);
}

void WindowTest::Type(const QString& editName, const QString& text) {
    QLineEdit* e = Edit(editName);
    ASSERT_NE(e, nullptr);
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    if (!text.isEmpty()) {
        QTest::keyClicks(e, text);
    }
}

void WindowTest::SetChecked(const QString& name, bool on) {
    auto* b = W<QCheckBox>(name);
    ASSERT_NE(b, nullptr);
    if (b->isChecked() != on) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2));
    }
    ASSERT_EQ(b->isChecked(), on) << name.toStdString();
}

void WindowTest::ShowPage(int index) {
    QTabWidget* pc = form->pageControl();
    QTabBar* bar = pc->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    ASSERT_EQ(pc->currentIndex(), index);
}

void WindowTest::ClickOutputTab(int index, Qt::MouseButton button) {
    ReleaseTabBar* bar = form->outputPage()->outputTabs;
    QTest::mouseClick(bar, button, {}, bar->tabRect(index).center());
}

void WindowTest::PressCell(int column, int row, Qt::MouseButton button) {
    ColourGrid* g = form->outputPage()->inputMap;
    QTest::mousePress(g->viewport(), button, {}, g->CellRect(column, row).center());
    QTest::mouseRelease(g->viewport(), button, {}, g->CellRect(column, row).center());
}

void WindowTest::MoveOverCell(int column, int row) {
    ColourGrid* g = form->outputPage()->inputMap;
    QTest::mouseMove(g->viewport(), g->CellRect(column, row).center());
}

QColor WindowTest::CellColour(int column, int row) const {
    return form->outputPage()->inputMap->CellColour(column, row);
}

}  // namespace valdro::ui::test
