// The window right after start: title, layout, defaults shown, nothing changed.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include "cell_colours.h"
#include "colour_grid.h"
#include "html_check_box.h"
#include "output_control_page.h"
#include "unit_selector.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

TEST_F(WindowTest, StartsWithTitleSizePagesAndMasterSelected) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ORVELIX Valdrometrica Vesion: 1.00"));
    EXPECT_EQ(form->size(), QSize(883, 606));
    QTabWidget* pc = W<QTabWidget>(QStringLiteral("PageControl1"));
    ASSERT_NE(pc, nullptr);
    ASSERT_EQ(pc->count(), 3);
    EXPECT_EQ(pc->tabText(0), QStringLiteral("General"));
    EXPECT_EQ(pc->tabText(1), QStringLiteral("Output Control"));
    EXPECT_EQ(pc->tabText(2), QStringLiteral("Status"));
    EXPECT_EQ(pc->currentWidget()->objectName(), QStringLiteral("GeneralTabSheet"));
    EXPECT_EQ(pc->geometry(), QRect(0, 0, 883, 505));

    UnitSelector* sel = W<UnitSelector>(QStringLiteral("DisplayTabSet"));
    ASSERT_NE(sel, nullptr);
    ASSERT_EQ(sel->count(), 9);
    EXPECT_EQ(sel->tabText(0), QStringLiteral("Master"));
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(sel->tabText(n), QStringLiteral("Slave %1").arg(n));
    }
    EXPECT_EQ(sel->currentIndex(), 0);
    EXPECT_EQ(sel->geometry(), QRect(0, 505, 883, 16));
    EXPECT_EQ(form->CurrentUnit(), 0);
    EXPECT_EQ(form->CurrentOutput(), 0);
    EXPECT_FALSE(form->Store().HasChanged());
}

TEST_F(WindowTest, BottomPanelButtonsSitWhereExpectedInKeyboardOrder) {
    QFrame* panel = W<QFrame>(QStringLiteral("Panel1"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(0, 521, 883, 85));
    const struct {
        const char* name;
        const char* caption;
        int left;
    } buttons[] = {{"LoadButton", "Load", 88},
                   {"SaveButton", "Save", 280},
                   {"HelpButton", "Help", 488},
                   {"ExitButton", "Exit", 680}};
    for (const auto& b : buttons) {
        auto* w = W<QPushButton>(QString::fromLatin1(b.name));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->text(), QString::fromLatin1(b.caption));
        EXPECT_EQ(w->geometry(), QRect(b.left, 24, 75, 25)) << b.name;
    }
    // Help is hidden here (no help file), so Exit is followed by what comes round again.
    auto next = [](QWidget* w) {
        do {
            w = w->nextInFocusChain();
        } while (!((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()));
        return w->objectName();
    };
    EXPECT_EQ(next(W<QPushButton>(QStringLiteral("LoadButton"))), QStringLiteral("SaveButton"));
    EXPECT_EQ(next(W<QPushButton>(QStringLiteral("SaveButton"))), QStringLiteral("ExitButton"));
    W<QPushButton>(QStringLiteral("HelpButton"))->show();
    EXPECT_EQ(next(W<QPushButton>(QStringLiteral("ExitButton"))), QStringLiteral("HelpButton"));
}

TEST_F(WindowTest, HelpButtonHiddenWithoutHelpFile) {
    EXPECT_TRUE(W<QPushButton>(QStringLiteral("HelpButton"))->isHidden());
}

TEST_F(WindowTest, GeneralPageShowsMasterDefaults) {
    const struct {
        const char* name;
        const char* text;
    } edits[] = {
        {"IPAddr1Edit", "192"},      {"IPAddr2Edit", "168"},       {"IPAddr3Edit", "0"},
        {"IPAddr4Edit", "6"},        {"GateWayAddr1Edit", "192"},  {"GateWayAddr4Edit", "1"},
        {"SubMaskAddr1Edit", "255"}, {"SubMaskAddr4Edit", "0"},    {"DNSAddressEdit1", "192"},
        {"DNSAddressEdit4", "1"},    {"DeviceNameEdit", "Master"}, {"URLEdit", ""}};
    for (const auto& e : edits) {
        EXPECT_EQ(Edit(QString::fromLatin1(e.name))->text(), QString::fromLatin1(e.text)) << e.name;
    }
    auto* download = W<QPushButton>(QStringLiteral("DownloadButton"));
    EXPECT_EQ(download->text(), QStringLiteral("Download to ORVELIX Master"));
    EXPECT_TRUE(download->isEnabled());
    // The Master's own rules: no slave box, no address mode, no port, no start status.
    EXPECT_TRUE(W<HtmlCheckBox>(QStringLiteral("SlaveEnabledHTMLCheckBox"))->isHidden());
    EXPECT_FALSE(W<QCheckBox>(QStringLiteral("DHCPEnableJvCheckBox"))->isHidden());
    EXPECT_TRUE(W<QGroupBox>(QStringLiteral("AddressModeGroupBox"))->isHidden());
    EXPECT_TRUE(W<QGroupBox>(QStringLiteral("OutputStartStatusAdvGroupBox"))->isHidden());
    EXPECT_TRUE(W<QLabel>(QStringLiteral("PortLabel"))->isHidden());
    EXPECT_TRUE(W<QSpinBox>(QStringLiteral("ClientPortCSpinEdit"))->isHidden());
    EXPECT_EQ(W<QSpinBox>(QStringLiteral("ClientPortCSpinEdit"))->value(), 3012);
}

TEST_F(WindowTest, ControlsCarryTheirNamesCaptionsAndLimits) {
    EXPECT_EQ(W<QGroupBox>(QStringLiteral("AdvGroupBox1"))->title(), QStringLiteral("IP Data"));
    EXPECT_EQ(W<QGroupBox>(QStringLiteral("AdvGroupBox1"))->size(), QSize(281, 402));
    EXPECT_EQ(W<QGroupBox>(QStringLiteral("AdvGroupBox4"))->title(),
              QStringLiteral("Invert Inputs"));
    EXPECT_EQ(W<QGroupBox>(QStringLiteral("AdvGroupBox3"))->title(),
              QStringLiteral("Invert Outputs"));
    EXPECT_EQ(W<QGroupBox>(QStringLiteral("OutputStartStatusAdvGroupBox"))->size(),
              QSize(345, 129));
    EXPECT_EQ(W<QPushButton>(QStringLiteral("DownloadButton"))->size(), QSize(291, 25));
    EXPECT_EQ(W<QCheckBox>(QStringLiteral("DHCPEnableJvCheckBox"))->text(),
              QStringLiteral("Get Address Automatically"));
    EXPECT_EQ(W<QRadioButton>(QStringLiteral("AddressModeIPRadioButton"))->text(),
              QStringLiteral("IP Address"));
    EXPECT_EQ(W<QRadioButton>(QStringLiteral("AddressModeURLRadioButton"))->text(),
              QStringLiteral("URL"));
    for (const char* prefix :
         {"InvertInputsJvCheckBox", "InvertOutputsJvCheckBox", "OutputStartStatusJvCheckBox"}) {
        for (int k = 1; k <= 16; ++k) {
            auto* b = W<QCheckBox>(QString::fromLatin1(prefix) + QString::number(k));
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->text(), QString::number(k));
        }
    }
    const struct {
        const char* name;
        const char* caption;
    } buttons[] = {{"InvertInputsCheckAllButton", "Invert All"},
                   {"InvertInputsCheckNoneButton", "Invert None"},
                   {"InvertOutputsCheckAllButton", "Invert All"},
                   {"InvertOutputsCheckNoneButton", "Invert None"},
                   {"OutputStartStatusCheckAllButton", "All Active"},
                   {"OutputStartStatusCheckNoneButton", "None Active"},
                   {"StatusConnectButton", "Connect"}};
    for (const auto& b : buttons) {
        EXPECT_EQ(W<QPushButton>(QString::fromLatin1(b.name))->text(),
                  QString::fromLatin1(b.caption));
    }
    auto* port = W<QSpinBox>(QStringLiteral("ClientPortCSpinEdit"));
    EXPECT_EQ(port->minimum(), 1);
    EXPECT_EQ(port->maximum(), 65535);
    auto* input = W<QSpinBox>(QStringLiteral("ResetInputCSpinEdit"));
    EXPECT_EQ(input->minimum(), 1);
    EXPECT_EQ(input->maximum(), 16);
    auto* timer = W<QTimer>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 50);
    EXPECT_TRUE(timer->isActive());
}

TEST_F(WindowTest, OutputPageStartsOnOutputOneAllGreen) {
    ColourGrid* grid = W<ColourGrid>(QStringLiteral("InputMapAdvStringGrid"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->columnCount(), 17);
    EXPECT_EQ(grid->rowCount(), 10);
    EXPECT_EQ(grid->columnWidth(0), 100);
    EXPECT_EQ(grid->columnWidth(1), 30);
    EXPECT_EQ(grid->rowHeight(0), 16);
    for (int r = 1; r <= 9; ++r) {
        for (int c = 1; c <= 16; ++c) {
            EXPECT_EQ(grid->CellColour(c, r), kUnmappedColour) << c << "," << r;
        }
    }
    EXPECT_EQ(grid->CellText(0, 0), QString());
    EXPECT_EQ(grid->CellText(16, 0), QStringLiteral("16"));
    EXPECT_EQ(grid->CellText(0, 1), QStringLiteral("Master"));
    EXPECT_EQ(grid->CellText(0, 9), QStringLiteral("Slave 8"));
    EXPECT_EQ(grid->currentRow(), 0);
    EXPECT_EQ(grid->currentColumn(), 0);
    EXPECT_FALSE(W<HtmlCheckBox>(QStringLiteral("OutputLatchHTMLCheckBox"))->IsChecked());
    EXPECT_EQ(W<HtmlCheckBox>(QStringLiteral("OutputLatchHTMLCheckBox"))->Caption(),
              QStringLiteral("Latch Output"));
    EXPECT_EQ(W<QSpinBox>(QStringLiteral("ResetInputCSpinEdit"))->value(), 1);
    EXPECT_EQ(W<QComboBox>(QStringLiteral("ResetDeviceComboBox"))->currentText(),
              QStringLiteral("Master"));
    EXPECT_EQ(form->outputPage()->outputTabs->count(), 16);
    EXPECT_EQ(form->outputPage()->outputTabs->currentIndex(), 0);
}

TEST_F(WindowTest, OutputAndStatusPageControlsSitWhereTheLayoutPutsThem) {
    const struct {
        const char* name;
        QRect geometry;  // an empty size checks the position only
    } cases[] = {
        {"Panel2", {0, 0, 875, 41}},
        {"Label7", {0, 4, 0, 0}},
        {"OutputMapNumberTabControl", {96, 0, 489, 33}},
        {"InputMapAdvStringGrid", {0, 41, 875, 176}},
        {"Label8", {8, 236, 0, 0}},
        {"PositionEdit", {97, 232, 73, 21}},
        {"Label9", {200, 235, 0, 0}},
        {"InputNumberEdit", {248, 232, 185, 21}},
        {"OutputLatchHTMLCheckBox", {8, 288, 98, 20}},
        {"ResetInputGroupBox", {8, 314, 224, 105}},
        {"Label11", {16, 32, 0, 0}},
        {"ResetDeviceComboBox", {62, 32, 113, 21}},
        {"Label12", {22, 64, 0, 0}},
        {"ResetInputCSpinEdit", {62, 59, 52, 22}},
        {"OutputStatusLabel", {16, 5, 0, 0}},
        {"OutputStatusAdvStringGrid", {104, 5, 593, 209}},
        {"InputStatusLabel", {16, 228, 0, 0}},
        {"InputStatusAdvStringGrid", {104, 228, 593, 209}},
        {"StatusConnectButton", {324, 443, 75, 25}},
    };
    for (const auto& c : cases) {
        QWidget* w = W<QWidget>(QString::fromLatin1(c.name));
        ASSERT_NE(w, nullptr);
        if (c.geometry.isEmpty()) {
            EXPECT_EQ(w->pos(), c.geometry.topLeft()) << c.name;
        } else {
            EXPECT_EQ(w->geometry(), c.geometry) << c.name;
        }
    }
}

TEST_F(WindowTest, StatusPageStartsIdleWithPreparedGrids) {
    for (const char* name : {"OutputStatusAdvStringGrid", "InputStatusAdvStringGrid"}) {
        ColourGrid* g = W<ColourGrid>(QString::fromLatin1(name));
        ASSERT_NE(g, nullptr);
        EXPECT_TRUE(g->isHidden());
        EXPECT_EQ(g->columnWidth(0), 100);
        EXPECT_EQ(g->rowHeight(0), 25);
        EXPECT_EQ(g->CellText(1, 0), QStringLiteral("1"));
        EXPECT_EQ(g->CellText(16, 0), QStringLiteral("16"));
        EXPECT_EQ(g->size(), QSize(593, 209));
    }
    EXPECT_TRUE(W<QLabel>(QStringLiteral("OutputStatusLabel"))->isHidden());
    EXPECT_TRUE(W<QLabel>(QStringLiteral("InputStatusLabel"))->isHidden());
}

TEST_F(WindowTest, ClosingRightAfterStartAsksNothing) {
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(dialogs.log.isEmpty());
}

}  // namespace
}  // namespace valdro::ui::test

namespace valdro::ui::test {
namespace {

// The keyboard walks the visible page, then the unit strip, then the bottom buttons.
TEST_F(WindowTest, TabOrderRunsThroughThePageThenSelectorThenButtons) {
    QStringList order;
    QWidget* w = W<QWidget>(QStringLiteral("LoadButton"));
    for (int i = 0; i < 400 && order.size() < 120; ++i) {
        w = w->nextInFocusChain();
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()) {
            if (w->objectName() == QStringLiteral("LoadButton")) {
                break;
            }
            order << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                : w->objectName());
        }
    }
    const auto at = [&](const char* name) { return order.indexOf(QString::fromLatin1(name)); };
    ASSERT_GE(at("IPAddr1Edit"), 0);
    EXPECT_LT(at("IPAddr1Edit"), at("IPAddr2Edit"));
    EXPECT_LT(at("IPAddr4Edit"), at("GateWayAddr1Edit"));
    EXPECT_LT(at("DeviceNameEdit"), at("DNSAddressEdit1"));
    EXPECT_LT(at("DownloadButton"), at("InvertInputsJvCheckBox1"));
    EXPECT_LT(at("InvertOutputsCheckNoneButton"), at("DisplayTabSet"));
    // Load, Save, Exit, then the pages; the unit strip comes last before Load again.
    EXPECT_EQ(order.mid(0, 2),
              (QStringList{QStringLiteral("SaveButton"), QStringLiteral("ExitButton")}));
    EXPECT_EQ(order.back(), QStringLiteral("DisplayTabSet"));
}

}  // namespace
}  // namespace valdro::ui::test
