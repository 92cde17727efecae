// The Output Control page: cell toggles, the output tabs, reset device and input.
#include <QComboBox>
#include <QSpinBox>

#include "cell_colours.h"
#include "colour_grid.h"
#include "html_check_box.h"
#include "output_control_page.h"
#include "release_tab_bar.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

class OutputPageTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ShowPage(1);
    }
    QComboBox* Device() const { return W<QComboBox>(QStringLiteral("ResetDeviceComboBox")); }
    QSpinBox* Input() const { return W<QSpinBox>(QStringLiteral("ResetInputCSpinEdit")); }
};

TEST_F(OutputPageTest, AnyButtonTogglesAMapCellAndTwiceRestoresIt) {
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        PressCell(7, 3, b);
        EXPECT_EQ(CellColour(7, 3), kMappedColour);
        PressCell(7, 3, b);
        EXPECT_EQ(CellColour(7, 3), kUnmappedColour);
    }
    // The selection stays parked on the corner cell.
    EXPECT_EQ(form->outputPage()->inputMap->currentRow(), 0);
    EXPECT_EQ(form->outputPage()->inputMap->currentColumn(), 0);
    // A toggle changes only the grid.
    PressCell(1, 1);
    EXPECT_FALSE(form->Config().Cell(0, 0, 0, 0));
    form->StorePage();
    EXPECT_TRUE(form->Config().Cell(0, 0, 0, 0));
}

TEST_F(OutputPageTest, PressesOutsideTheMapCellsChangeNothing) {
    ColourGrid* g = form->outputPage()->inputMap;
    const QColor corner = g->CellColour(0, 0);
    const QColor header = g->CellColour(5, 0);
    const QColor title = g->CellColour(0, 4);
    PressCell(5, 0);
    PressCell(0, 4);
    PressCell(0, 0);
    const QPoint beside(g->CellRect(16, 1).right() + 40, g->CellRect(16, 1).center().y());
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, beside);
    const QPoint below(g->CellRect(3, 9).center().x(), g->CellRect(3, 9).bottom() + 5);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(g->CellColour(0, 0), corner);
    EXPECT_EQ(g->CellColour(5, 0), header);
    EXPECT_EQ(g->CellColour(0, 4), title);
    for (int r = 1; r <= 9; ++r) {
        for (int c = 1; c <= 16; ++c) {
            ASSERT_EQ(g->CellColour(c, r), kUnmappedColour) << c << "," << r;
        }
    }
}

TEST_F(OutputPageTest, KeyboardMovesItsOwnCursorAndTogglesWithSpaceOrEnter) {
    ColourGrid* g = form->outputPage()->inputMap;
    EXPECT_TRUE(g->focusPolicy() & Qt::TabFocus);
    g->setFocus();
    for (Qt::Key k : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down}) {
        QTest::keyClick(g, k);
    }
    EXPECT_EQ(g->KeyboardCell(), QPoint(3, 2));
    EXPECT_EQ(Edit(QStringLiteral("PositionEdit"))->text(), QStringLiteral("3"));
    EXPECT_EQ(Edit(QStringLiteral("InputNumberEdit"))->text(), QStringLiteral("Slave 1"));
    QTest::keyClick(g, Qt::Key_Space);
    EXPECT_EQ(CellColour(3, 2), kMappedColour);
    EXPECT_EQ(std::pair(g->currentColumn(), g->currentRow()), std::pair(0, 0));
    // The cursor stays on the map cells: never on the titles or the header.
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(g, Qt::Key_Up);
        QTest::keyClick(g, Qt::Key_Left);
    }
    EXPECT_EQ(g->KeyboardCell(), QPoint(1, 1));
    QTest::keyClick(g, Qt::Key_Return);
    EXPECT_EQ(CellColour(1, 1), kMappedColour);
    QTest::keyClick(g, Qt::Key_Enter);
    EXPECT_EQ(CellColour(1, 1), kUnmappedColour);
    form->StorePage();
    EXPECT_TRUE(form->Config().Cell(0, 1, 0, 2));
    EXPECT_FALSE(form->Config().Cell(0, 0, 0, 0));
}

TEST_F(OutputPageTest, MouseMoveShowsInputNumberAndUnitName) {
    MoveOverCell(7, 3);
    EXPECT_EQ(Edit(QStringLiteral("PositionEdit"))->text(), QStringLiteral("7"));
    EXPECT_EQ(Edit(QStringLiteral("InputNumberEdit"))->text(), QStringLiteral("Slave 2"));
    for (QPoint cell : {QPoint(4, 0), QPoint(0, 5)}) {
        MoveOverCell(cell.x(), cell.y());
        EXPECT_EQ(Edit(QStringLiteral("PositionEdit"))->text(), QString());
        EXPECT_EQ(Edit(QStringLiteral("InputNumberEdit"))->text(), QString());
    }
    MoveOverCell(16, 9);
    EXPECT_EQ(Edit(QStringLiteral("PositionEdit"))->text(), QStringLiteral("16"));
    ColourGrid* g = form->outputPage()->inputMap;
    QTest::mouseMove(g->viewport(), QPoint(g->CellRect(16, 1).right() + 40, 30));
    EXPECT_EQ(Edit(QStringLiteral("PositionEdit"))->text(), QString());
}

TEST_F(OutputPageTest, ToggledCellSurvivesSwitchingOutputsByMouse) {
    ClickOutputTab(2);
    EXPECT_EQ(form->CurrentOutput(), 2);
    PressCell(4, 2);
    ClickOutputTab(4);
    EXPECT_EQ(form->CurrentOutput(), 4);
    EXPECT_EQ(CellColour(4, 2), kUnmappedColour);
    EXPECT_TRUE(form->Config().Cell(0, 1, 2, 3));
    ClickOutputTab(2);
    EXPECT_EQ(CellColour(4, 2), kMappedColour);
}

TEST_F(OutputPageTest, KeyboardChangeLeavesTheGridOnThePreviousOutput) {
    ReleaseTabBar* tabs = form->outputPage()->outputTabs;
    PressCell(2, 1);  // output 1, Master input 2
    tabs->setFocus();
    QTest::keyClick(tabs, Qt::Key_Right);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(form->CurrentOutput(), 0);
    EXPECT_EQ(CellColour(2, 1), kMappedColour);
    EXPECT_FALSE(form->Config().Cell(0, 0, 0, 1));
    // The next release stores into output 1 (shown until now) and loads output 2.
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    EXPECT_TRUE(form->Config().Cell(0, 0, 0, 1));
    EXPECT_FALSE(form->Config().Cell(0, 0, 1, 1));
    EXPECT_EQ(form->CurrentOutput(), 1);
    EXPECT_EQ(CellColour(2, 1), kUnmappedColour);
}

TEST_F(OutputPageTest, UnitSwitchKeepsTheOutputTabAndLoadsTheNewUnit) {
    ClickOutputTab(5);
    PressCell(9, 9);
    ClickUnit(4);
    EXPECT_EQ(form->CurrentOutput(), 5);
    EXPECT_TRUE(form->Config().Cell(0, 8, 5, 8));
    EXPECT_EQ(CellColour(9, 9), kUnmappedColour);
    ClickUnit(0);
    EXPECT_EQ(CellColour(9, 9), kMappedColour);
}

TEST_F(OutputPageTest, LatchAndResetInputAreStoredPerOutput) {
    auto* latch = W<HtmlCheckBox>(QStringLiteral("OutputLatchHTMLCheckBox"));
    QTest::mouseClick(latch->Box(), Qt::LeftButton);
    Input()->setValue(16);
    ClickOutputTab(1);
    EXPECT_FALSE(latch->IsChecked());
    EXPECT_EQ(Input()->value(), 1);
    Input()->setValue(1);
    ClickOutputTab(0);
    EXPECT_TRUE(latch->IsChecked());
    EXPECT_EQ(Input()->value(), 16);
    const ConstUnitRecord master = form->Config().Unit(0);
    EXPECT_TRUE(master.OutputLatch(0));
    EXPECT_EQ(master.ResetInput(0), 15);
    EXPECT_EQ(master.ResetInput(1), 0);
}

TEST_F(OutputPageTest, DeviceListHoldsTheMasterAndEnabledSlavesOnly) {
    form->Store().Current().Unit(3).SetSlaveEnabled(true);
    form->Store().Current().Unit(7).SetSlaveEnabled(true);
    ShowPage(0);
    ShowPage(1);
    QStringList items;
    for (int i = 0; i < Device()->count(); ++i) {
        items << Device()->itemText(i);
    }
    EXPECT_EQ(items, (QStringList{QStringLiteral("Master"), QStringLiteral("Slave 3"),
                                  QStringLiteral("Slave 7")}));
    EXPECT_EQ(Device()->currentText(), QStringLiteral("Master"));  // rebuilt, text kept
}

TEST_F(OutputPageTest, ResetDeviceResolvesTypedNames) {
    QLineEdit* text = Device()->lineEdit();
    ASSERT_NE(text, nullptr);
    auto typeDevice = [&](const QString& s) {
        text->selectAll();
        QTest::keyClick(text, Qt::Key_Delete);
        QTest::keyClicks(text, s);
        form->StorePage();
        return form->Config().Unit(0).ResetDevice(0);
    };
    // The exact name of a disabled Slave selects it.
    EXPECT_EQ(typeDevice(QStringLiteral("Slave 6")), 6);
    // Text that names no unit keeps the previous device; so does the wrong case.
    EXPECT_EQ(typeDevice(QStringLiteral("Nobody")), 6);
    EXPECT_EQ(typeDevice(QStringLiteral("slave 2")), 6);
    // Duplicate names resolve to the lower UnitIndex.
    form->Store().Current().Unit(2).SetDeviceName("Twin");
    form->Store().Current().Unit(5).SetDeviceName("Twin");
    EXPECT_EQ(typeDevice(QStringLiteral("Twin")), 2);
    EXPECT_EQ(OutputControlPage::FindUnitByName(form->Config(), QStringLiteral("Twin")), 2);
    EXPECT_EQ(OutputControlPage::FindUnitByName(form->Config(), QStringLiteral("Slave 8")), 8);
    EXPECT_EQ(OutputControlPage::FindUnitByName(form->Config(), QString()), -1);
}

TEST_F(OutputPageTest, DisabledSlaveAsResetDeviceIsShownAndKept) {
    form->Store().Current().Unit(0).SetResetDevice(0, 4);
    form->ShowUnit();
    EXPECT_EQ(Device()->currentText(), QStringLiteral("Slave 4"));
    EXPECT_EQ(Device()->findText(QStringLiteral("Slave 4")), -1);
    form->StorePage();
    EXPECT_EQ(form->Config().Unit(0).ResetDevice(0), 4);
}

TEST_F(OutputPageTest, OutOfRangeResetDeviceShowsNoName) {
    form->Store().Current().Unit(0).SetResetDevice(0, 1000);
    form->ShowUnit();
    EXPECT_EQ(Device()->currentText(), QString());
    form->StorePage();
    EXPECT_EQ(form->Config().Unit(0).ResetDevice(0), 1000);
}

TEST_F(OutputPageTest, ResetInputOutsideTheInputsShowsTheNearestInput) {
    const std::pair<std::int32_t, int> cases[] = {
        {INT32_MAX, 16}, {16, 16}, {15, 16}, {0, 1}, {-1, 1}, {INT32_MIN, 1}};
    for (const auto& [stored, shown] : cases) {
        form->Store().Current().Unit(0).SetResetInput(0, stored);
        form->ShowUnit();
        EXPECT_EQ(Input()->value(), shown) << stored;
    }
}

TEST_F(OutputPageTest, RenamedUnitAppearsWhenThePageIsShownAgain) {
    ShowPage(0);
    ClickUnit(2);
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Pump"));
    EXPECT_EQ(form->outputPage()->inputMap->CellText(0, 3), QStringLiteral("Slave 2"));
    QTest::mouseClick(W<HtmlCheckBox>(QStringLiteral("SlaveEnabledHTMLCheckBox"))->Box(),
                      Qt::LeftButton);
    ShowPage(1);
    EXPECT_EQ(form->outputPage()->inputMap->CellText(0, 3), QStringLiteral("Pump"));
    EXPECT_NE(Device()->findText(QStringLiteral("Pump")), -1);
}

TEST_F(OutputPageTest, ResetInputSpinKeepsItsRange) {
    Input()->setFocus();
    Input()->selectAll();
    QTest::keyClicks(Input(), QStringLiteral("17"));
    QTest::keyClick(Input(), Qt::Key_Tab);
    EXPECT_GE(Input()->value(), 1);
    EXPECT_LE(Input()->value(), 16);
}

}  // namespace
}  // namespace valdro::ui::test
