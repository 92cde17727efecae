// The window right after start: title, layout, defaults shown, nothing changed.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include "ui/cell_colours.h"
#include "ui/colour_grid.h"
#include "ui/html_check_box.h"
#include "ui/output_control_page.h"
#include "ui/unit_selector.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

QString CaptionOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        return b->text();
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        return g->title();
    }
    if (auto* l = qobject_cast<QLabel*>(w)) {
        return l->text();
    }
    if (auto* h = qobject_cast<HtmlCheckBox*>(w)) {
        return h->Caption();
    }
    return {};
}

TEST_F(WindowTest, StartsWithTitlePagesMasterSelectedAndNothingChanged) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ORVELIX Valdrometrica Vesion: 1.00"));
    EXPECT_EQ(form->size(), QSize(883, 606));
    QTabWidget* pc = form->pageControl();
    ASSERT_EQ(pc->count(), 3);
    EXPECT_EQ(pc->objectName(), QStringLiteral("PageControl1"));
    EXPECT_EQ(pc->tabText(0), QStringLiteral("General"));
    EXPECT_EQ(pc->tabText(1), QStringLiteral("Output Control"));
    EXPECT_EQ(pc->tabText(2), QStringLiteral("Status"));
    EXPECT_EQ(pc->currentWidget()->objectName(), QStringLiteral("GeneralTabSheet"));
    UnitSelector* sel = form->unitSelector();
    ASSERT_EQ(sel->count(), 9);
    EXPECT_EQ(sel->tabText(0), QStringLiteral("Master"));
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(sel->tabText(n), QStringLiteral("Slave %1").arg(n));
    }
    EXPECT_EQ(sel->currentIndex(), 0);
    EXPECT_EQ(form->CurrentUnit(), 0);
    EXPECT_EQ(form->CurrentOutput(), 0);
    EXPECT_FALSE(form->Store().HasChanged());
    auto* timer = W<QTimer>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 50);
    EXPECT_TRUE(timer->isActive());
}

// Every named control: its caption and where it sits. An empty size checks the
// position only, a negative position the size only; a null caption is not checked.
TEST_F(WindowTest, ControlsCarryTheirNamesCaptionsAndGeometry) {
    const struct {
        const char* name;
        const char* caption;
        QRect geometry;
    } cases[] = {
        {"PageControl1", nullptr, {0, 0, 883, 505}},
        {"DisplayTabSet", nullptr, {0, 505, 883, 16}},
        {"Panel1", nullptr, {0, 521, 883, 85}},
        {"LoadButton", "Load", {88, 24, 75, 25}},
        {"SaveButton", "Save", {280, 24, 75, 25}},
        {"HelpButton", "Help", {488, 24, 75, 25}},
        {"ExitButton", "Exit", {680, 24, 75, 25}},
        {"AdvGroupBox1", "IP Data", {-1, -1, 281, 402}},
        {"DHCPEnableJvCheckBox", "Get Address Automatically", {}},
        {"AddressModeGroupBox", "Address Mode", {}},
        {"AddressModeIPRadioButton", "IP Address", {}},
        {"AddressModeURLRadioButton", "URL", {}},
        {"Label5", "URL", {}},
        {"PortLabel", "Port Number", {}},
        {"AdvGroupBox4", "Invert Inputs", {-1, -1, 345, 129}},
        {"AdvGroupBox3", "Invert Outputs", {-1, -1, 345, 129}},
        {"OutputStartStatusAdvGroupBox", "Output Start Status", {-1, -1, 345, 129}},
        {"InvertInputsCheckAllButton", "Invert All", {}},
        {"InvertInputsCheckNoneButton", "Invert None", {}},
        {"InvertOutputsCheckAllButton", "Invert All", {}},
        {"InvertOutputsCheckNoneButton", "Invert None", {}},
        {"OutputStartStatusCheckAllButton", "All Active", {}},
        {"OutputStartStatusCheckNoneButton", "None Active", {}},
        {"DownloadButton", "Download to ORVELIX Master", {-1, -1, 291, 25}},
        {"Panel2", nullptr, {0, 0, 875, 41}},
        {"Label7", "Output Number", {0, 4, 0, 0}},
        {"OutputMapNumberTabControl", nullptr, {96, 0, 489, 33}},
        {"InputMapAdvStringGrid", nullptr, {0, 41, 875, 176}},
        {"Label8", "Input Number", {8, 236, 0, 0}},
        {"PositionEdit", nullptr, {97, 232, 73, 21}},
        {"Label9", "Device", {200, 235, 0, 0}},
        {"InputNumberEdit", nullptr, {248, 232, 185, 21}},
        {"OutputLatchHTMLCheckBox", "Latch Output", {8, 288, 98, 20}},
        {"ResetInputGroupBox", "Reset Input", {8, 314, 224, 105}},
        {"Label11", "Device", {16, 32, 0, 0}},
        {"ResetDeviceComboBox", nullptr, {62, 32, 113, 21}},
        {"Label12", "Input", {22, 64, 0, 0}},
        {"ResetInputCSpinEdit", nullptr, {62, 59, 52, 22}},
        {"OutputStatusLabel", "Output Status", {16, 5, 0, 0}},
        {"OutputStatusAdvStringGrid", nullptr, {104, 5, 593, 209}},
        {"InputStatusLabel", "Input Status", {16, 228, 0, 0}},
        {"InputStatusAdvStringGrid", nullptr, {104, 228, 593, 209}},
        {"StatusConnectButton", "Connect", {324, 443, 75, 25}},
    };
    for (const auto& c : cases) {
        QWidget* w = W<QWidget>(QString::fromLatin1(c.name));
        ASSERT_NE(w, nullptr);
        if (c.caption != nullptr) {
            EXPECT_EQ(CaptionOf(w), QString::fromLatin1(c.caption)) << c.name;
        }
        if (c.geometry.x() < 0) {
            EXPECT_EQ(w->size(), c.geometry.size()) << c.name;
        } else if (c.geometry.width() > 0) {
            EXPECT_EQ(w->geometry(), c.geometry) << c.name;
        } else if (c.geometry != QRect()) {
            EXPECT_EQ(w->pos(), c.geometry.topLeft()) << c.name;
        }
    }
    for (const char* prefix :
         {"InvertInputsJvCheckBox", "InvertOutputsJvCheckBox", "OutputStartStatusJvCheckBox"}) {
        for (int k = 1; k <= 16; ++k) {
            auto* b = W<QCheckBox>(QString::fromLatin1(prefix) + QString::number(k));
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->text(), QString::number(k));
        }
    }
    auto* port = W<QSpinBox>(QStringLiteral("ClientPortCSpinEdit"));
    EXPECT_EQ(std::pair(port->minimum(), port->maximum()), std::pair(1, 65535));
    auto* input = W<QSpinBox>(QStringLiteral("ResetInputCSpinEdit"));
    EXPECT_EQ(std::pair(input->minimum(), input->maximum()), std::pair(1, 16));
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
    EXPECT_TRUE(W<QPushButton>(QStringLiteral("DownloadButton"))->isEnabled());
    // The Master's own rules: no slave box, no address mode, no port, no start status.
    for (const char* hidden :
         {"SlaveEnabledHTMLCheckBox", "AddressModeGroupBox", "OutputStartStatusAdvGroupBox",
          "PortLabel", "ClientPortCSpinEdit"}) {
        EXPECT_TRUE(W<QWidget>(QString::fromLatin1(hidden))->isHidden()) << hidden;
    }
    EXPECT_FALSE(W<QCheckBox>(QStringLiteral("DHCPEnableJvCheckBox"))->isHidden());
    EXPECT_EQ(W<QSpinBox>(QStringLiteral("ClientPortCSpinEdit"))->value(), 3012);
}

TEST_F(WindowTest, OutputPageStartsOnOutputOneAllGreenAndStatusPageIdle) {
    ColourGrid* grid = form->outputPage()->inputMap;
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
    EXPECT_EQ(std::pair(grid->currentColumn(), grid->currentRow()), std::pair(0, 0));
    EXPECT_FALSE(W<HtmlCheckBox>(QStringLiteral("OutputLatchHTMLCheckBox"))->IsChecked());
    EXPECT_EQ(W<QSpinBox>(QStringLiteral("ResetInputCSpinEdit"))->value(), 1);
    EXPECT_EQ(W<QComboBox>(QStringLiteral("ResetDeviceComboBox"))->currentText(),
              QStringLiteral("Master"));
    EXPECT_EQ(form->outputPage()->outputTabs->count(), 16);
    EXPECT_EQ(form->outputPage()->outputTabs->currentIndex(), 0);

    for (const char* name : {"OutputStatusAdvStringGrid", "InputStatusAdvStringGrid"}) {
        ColourGrid* g = W<ColourGrid>(QString::fromLatin1(name));
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->columnWidth(0), 100) << name;
        EXPECT_EQ(g->rowHeight(0), 25) << name;
        EXPECT_EQ(g->CellText(1, 0), QStringLiteral("1")) << name;
        EXPECT_EQ(g->CellText(16, 0), QStringLiteral("16")) << name;
    }
    for (const char* hidden : {"OutputStatusAdvStringGrid", "InputStatusAdvStringGrid",
                               "OutputStatusLabel", "InputStatusLabel"}) {
        EXPECT_TRUE(W<QWidget>(QString::fromLatin1(hidden))->isHidden()) << hidden;
    }
}

// The keyboard walks the visible page, then the unit strip, then Load, Save, Exit, Help.
TEST_F(WindowTest, TabOrderRunsThroughThePageThenSelectorThenButtons) {
    W<QPushButton>(QStringLiteral("HelpButton"))->show();
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
    EXPECT_EQ(order.mid(0, 3),
              (QStringList{QStringLiteral("SaveButton"), QStringLiteral("ExitButton"),
                           QStringLiteral("HelpButton")}));
    ASSERT_GE(at("IPAddr1Edit"), 0);
    EXPECT_LT(at("IPAddr1Edit"), at("IPAddr2Edit"));
    EXPECT_LT(at("IPAddr4Edit"), at("GateWayAddr1Edit"));
    EXPECT_LT(at("DeviceNameEdit"), at("DNSAddressEdit1"));
    EXPECT_LT(at("DownloadButton"), at("InvertInputsJvCheckBox1"));
    EXPECT_LT(at("InvertOutputsCheckNoneButton"), at("DisplayTabSet"));
    EXPECT_EQ(order.back(), QStringLiteral("DisplayTabSet"));
}

}  // namespace
}  // namespace valdro::ui::test
