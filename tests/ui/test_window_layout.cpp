// The window's layout as one golden file: every named control with its class,
// geometry, state and caption, for the Master and for a Slave, and the keyboard
// order. It guards the names users and tests rely on, the captions, and every
// position, size, range and grid dimension set in code. After a deliberate change:
// VALDRO_UPDATE_GOLDEN=1 ui_tests --gtest_filter='*Golden*', then review the diff.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QSpinBox>
#include <QTimer>

#include "ui/html_check_box.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

QString Describe(QWidget* w) {
    const QRect g = w->geometry();
    const bool sized = !qobject_cast<QLabel*>(w);  // a label's size follows the font
    QString s = w->objectName() + u' ' + QString::fromLatin1(w->metaObject()->className()) +
                u" @%1,%2"_s.arg(g.x()).arg(g.y()) +
                (sized ? u" %1x%2"_s.arg(g.width()).arg(g.height()) : QString()) +
                (w->isHidden() ? u" hidden"_s : QString()) +
                (w->isEnabled() ? QString() : u" disabled"_s);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        s += u" \"%1\"%2"_s.arg(b->text(), b->isChecked() ? u" on"_s : QString());
    } else if (auto* h = qobject_cast<HtmlCheckBox*>(w)) {
        h->layout()->activate();                        // as when its page is shown
        const QLabel* label = h->findChild<QLabel*>();  // the caption as drawn
        const int dx = h->Box()->x() - label->x();
        s += u" \"%1\"%2 box %3"_s.arg(label->text(), h->IsChecked() ? u" on"_s : QString(),
                                       dx < 0   ? u"left"_s
                                       : dx > 0 ? u"right"_s
                                                : u"over"_s);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        s += u" \"%1\""_s.arg(l->text());
    } else if (auto* gb = qobject_cast<QGroupBox*>(w)) {
        s += u" \"%1\""_s.arg(gb->title());
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        s += u" \"%1\""_s.arg(e->text());
    } else if (auto* sp = qobject_cast<QSpinBox*>(w)) {
        s += u" %1 in %2..%3"_s.arg(sp->value()).arg(sp->minimum()).arg(sp->maximum());
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        s += u" \"%1\" of %2"_s.arg(c->currentText()).arg(c->count());
    } else if (auto* t = qobject_cast<QTabBar*>(w)) {
        for (int i = 0; i < t->count(); ++i) {
            s += (i == t->currentIndex() ? u" *"_s : u" "_s) + t->tabText(i);
        }
    } else if (auto* cg = qobject_cast<ColourGrid*>(w)) {
        s += u" %1x%2 widths %3,%4 heights %5,%6 \"%7\" \"%8\""_s.arg(cg->columnCount())
                 .arg(cg->rowCount())
                 .arg(cg->columnWidth(0))
                 .arg(cg->columnWidth(1))
                 .arg(cg->rowHeight(0))
                 .arg(cg->rowHeight(1))
                 .arg(cg->CellText(16, 0), cg->CellText(0, cg->rowCount() - 1));
    } else if (auto* f = qobject_cast<QFrame*>(w)) {
        s += u" frame %1"_s.arg(f->frameShape());
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
        // The controls reached with Tab from the Load button round to it again.
        QString order = u"tab order:"_s;
        QWidget* load = W("LoadButton");
        for (QWidget* w = load->nextInFocusChain(); w != load; w = w->nextInFocusChain()) {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()) {
                order += u' ' + (w->objectName().isEmpty() ? u"-"_s : w->objectName());
            }
        }
        dump << order;
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
