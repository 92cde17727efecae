// The window's layout as one golden file: every named control with its class,
// geometry, state and caption, for the Master and for a Slave. It pins the names
// users and tests rely on, the captions, and every position, size and range set in
// code. After a deliberate change: VALDRO_UPDATE_GOLDEN=1, then review the diff.
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QTimer>

#include "ui/html_check_box.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

// One control: name, class, geometry (a label's size follows the font: its
// position only), hidden and disabled, and the properties that say what it shows.
QString Describe(QWidget* w) {
    const QRect g = w->geometry();
    QString s =
        w->objectName() + u' ' + QString::fromLatin1(w->metaObject()->className()) +
        u" @%1,%2"_s.arg(g.x()).arg(g.y()) +
        (qobject_cast<QLabel*>(w) ? QString() : u" %1x%2"_s.arg(g.width()).arg(g.height())) +
        (w->isHidden() ? u" hidden"_s : QString()) + (w->isEnabled() ? QString() : u" disabled"_s);
    for (const char* name :
         {"text", "title", "checked", "value", "minimum", "maximum", "currentText", "count",
          "currentIndex", "rowCount", "columnCount", "frameShape"}) {
        if (const QVariant v = w->property(name); v.isValid()) {
            s += u' ' + QString::fromLatin1(name) + u'=' + v.toString();
        }
    }
    if (auto* grid = qobject_cast<ColourGrid*>(w)) {
        s += u" sizes %1,%2 %3,%4 \"%5\""_s.arg(grid->columnWidth(0))
                 .arg(grid->columnWidth(1))
                 .arg(grid->rowHeight(0))
                 .arg(grid->rowHeight(1))
                 .arg(grid->CellText(16, 0));
    } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
        s += u" tabs %1..%2"_s.arg(tabs->tabText(0), tabs->tabText(tabs->count() - 1));
    } else if (auto* h = qobject_cast<HtmlCheckBox*>(w)) {
        h->layout()->activate();                           // as when its page is shown
        const QLabel* label = h->findChild<QLabel*>();     // the caption as drawn
        const int dx = h->focusProxy()->x() - label->x();  // the box: -1 left of it, 1 right
        s += u" \"%1\" %2 box %3"_s.arg(label->text()).arg(h->IsChecked()).arg((dx > 0) - (dx < 0));
    }
    return s;
}

TEST_F(WindowTest, LayoutMatchesTheGoldenFile) {
    MakeForm(QStringLiteral(VALDRO_BIN_DIR "/valdrometrica.chm"));  // Help shown
    auto* timer = W<QTimer>("Timer1");
    QStringList dump{form->windowTitle(), u"%1x%2 timer %3 %4"_s.arg(form->width())
                                              .arg(form->height())
                                              .arg(timer->interval())
                                              .arg(timer->isActive())};
    for (int u : {0, 1}) {
        ClickUnit(u);
        dump << u"== unit %1, changed %2"_s.arg(u).arg(form->Store().HasChanged());
        for (QWidget* w : form->findChildren<QWidget*>()) {
            if (!w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_"_s) &&
                !qobject_cast<QTabBar*>(w->parent())) {  // not the toolkit's own parts
                dump << Describe(w);
            }
        }
    }
    const QString actual = dump.join(u'\n') + u'\n';
    QFile golden(QStringLiteral(VALDRO_UI_GOLDEN_DIR "/window_layout.txt"));
    if (qEnvironmentVariableIsSet("VALDRO_UPDATE_GOLDEN")) {
        ASSERT_TRUE(golden.open(QIODevice::WriteOnly | QIODevice::Text));
        golden.write(actual.toUtf8());
        FAIL() << "rewrote " << golden.fileName().toStdString() << ": review the diff";
    }
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly | QIODevice::Text));
    EXPECT_EQ(actual.toStdString(), golden.readAll().toStdString());
}

}  // namespace
}  // namespace valdro::ui::test
