// The Output Control page: cell toggles, the output tabs, reset device and input.
#include <QComboBox>
#include <QSpinBox>

#include "ui/colour_grid.h"
#include "ui/html_check_box.h"
#include "ui/output_control_page.h"
#include "ui/release_tab_bar.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

const QString kGreen(16, u'G');

class OutputPageTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ShowPage(1);
    }
    ColourGrid* Map() const { return form->outputPage()->inputMap; }
    QComboBox* Device() const { return W<QComboBox>("ResetDeviceComboBox"); }
    QSpinBox* Input() const { return W<QSpinBox>("ResetInputCSpinEdit"); }
    QString Boxes() const { return Text("PositionEdit") + u'|' + Text("InputNumberEdit"); }
    std::pair<int, int> Selection() const { return {Map()->currentColumn(), Map()->currentRow()}; }
};

// Any button toggles a map cell and nothing else; the selection stays parked on
// the corner cell and the configuration learns the toggle only when stored.
TEST_F(OutputPageTest, AnyButtonTogglesAMapCellAndNothingElse) {
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        PressCell(7, 3, b);
        EXPECT_EQ(Colours(Map(), 3), QStringLiteral("GGGGGGRGGGGGGGGG"));
        PressCell(7, 3, b);
        EXPECT_EQ(Colours(Map(), 3), kGreen);
    }
    const QColor header = Map()->CellColour(5, 0), title = Map()->CellColour(0, 4);
    PressCell(5, 0);
    PressCell(0, 4);
    PressCell(0, 0);
    const QRect last = Map()->CellRect(16, 9);
    QTest::mouseClick(Map()->viewport(), Qt::LeftButton, {}, last.center() + QPoint(40, 0));
    QTest::mouseClick(Map()->viewport(), Qt::LeftButton, {}, last.center() + QPoint(0, 20));
    EXPECT_EQ(Map()->CellColour(5, 0), header);
    EXPECT_EQ(Map()->CellColour(0, 4), title);
    for (int r = 1; r <= 9; ++r) {
        EXPECT_EQ(Colours(Map(), r), kGreen) << r;
    }
    EXPECT_EQ(Selection(), std::pair(0, 0));
    PressCell(1, 1);
    EXPECT_FALSE(C().Cell(0, 0, 0, 0));
    form->StorePage();
    EXPECT_TRUE(C().Cell(0, 0, 0, 0));
}

TEST_F(OutputPageTest, KeyboardMovesItsOwnCursorAndTogglesWithSpaceOrEnter) {
    ColourGrid* g = Map();
    EXPECT_TRUE(g->focusPolicy() & Qt::TabFocus);
    g->setFocus();
    for (Qt::Key k : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down}) {
        QTest::keyClick(g, k);
    }
    EXPECT_EQ(g->KeyboardCell(), QPoint(3, 2));
    EXPECT_EQ(Boxes(), QStringLiteral("3|Slave 1"));
    QTest::keyClick(g, Qt::Key_Space);
    EXPECT_EQ(Colours(g, 2), QStringLiteral("GGRGGGGGGGGGGGGG"));
    EXPECT_EQ(Selection(), std::pair(0, 0));
    // The cursor stays on the map cells: never on the titles or the header.
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(g, Qt::Key_Up);
        QTest::keyClick(g, Qt::Key_Left);
    }
    EXPECT_EQ(g->KeyboardCell(), QPoint(1, 1));
    QTest::keyClick(g, Qt::Key_Return);
    EXPECT_EQ(Colours(g, 1), QStringLiteral("RGGGGGGGGGGGGGGG"));
    QTest::keyClick(g, Qt::Key_Enter);
    EXPECT_EQ(Colours(g, 1), kGreen);
    PressCell(5, 4);  // the keyboard goes on from the cell last pressed
    QTest::keyClick(g, Qt::Key_Right);
    EXPECT_EQ(g->KeyboardCell(), QPoint(6, 4));
    form->StorePage();
    EXPECT_TRUE(C().Cell(0, 1, 0, 2));
    EXPECT_TRUE(C().Cell(0, 3, 0, 4));
    EXPECT_FALSE(C().Cell(0, 0, 0, 0));
}

TEST_F(OutputPageTest, MouseMoveShowsInputNumberAndUnitName) {
    MoveOverCell(7, 3);
    EXPECT_EQ(Boxes(), QStringLiteral("7|Slave 2"));
    for (QPoint cell : {QPoint(4, 0), QPoint(0, 5)}) {
        MoveOverCell(cell.x(), cell.y());
        EXPECT_EQ(Boxes(), QStringLiteral("|"));
    }
    MoveOverCell(16, 9);
    EXPECT_EQ(Boxes(), QStringLiteral("16|Slave 8"));
    QTest::mouseMove(Map()->viewport(), Map()->CellRect(16, 1).center() + QPoint(40, 0));
    EXPECT_EQ(Boxes(), QStringLiteral("|"));
}

TEST_F(OutputPageTest, ToggledCellSurvivesSwitchingOutputsAndUnits) {
    ClickOutputTab(2);
    EXPECT_EQ(form->CurrentOutput(), 2);
    PressCell(4, 2);
    ClickOutputTab(4);
    EXPECT_EQ(form->CurrentOutput(), 4);
    EXPECT_EQ(Colours(Map(), 2), kGreen);
    EXPECT_TRUE(C().Cell(0, 1, 2, 3));
    ClickOutputTab(2);
    EXPECT_EQ(Colours(Map(), 2), QStringLiteral("GGGRGGGGGGGGGGGG"));
    // A unit switch keeps the output tab and loads that output of the new unit.
    PressCell(9, 9);
    ClickUnit(4);
    EXPECT_EQ(form->CurrentOutput(), 2);
    EXPECT_TRUE(C().Cell(0, 8, 2, 8));
    EXPECT_EQ(Colours(Map(), 9), kGreen);
    ClickUnit(0);
    EXPECT_EQ(Colours(Map(), 9), QStringLiteral("GGGGGGGGRGGGGGGG"));
}

TEST_F(OutputPageTest, KeyboardChangeOfTheTabLeavesTheGridOnThePreviousOutput) {
    ReleaseTabBar* tabs = form->outputPage()->outputTabs;
    PressCell(2, 1);  // output 1, Master input 2
    tabs->setFocus();
    QTest::keyClick(tabs, Qt::Key_Right);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(form->CurrentOutput(), 0);
    EXPECT_EQ(Colours(Map(), 1), QStringLiteral("GRGGGGGGGGGGGGGG"));
    EXPECT_FALSE(C().Cell(0, 0, 0, 1));
    // The next release stores into output 1 (shown until now) and loads output 2.
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    EXPECT_TRUE(C().Cell(0, 0, 0, 1));
    EXPECT_FALSE(C().Cell(0, 0, 1, 1));
    EXPECT_EQ(form->CurrentOutput(), 1);
    EXPECT_EQ(Colours(Map(), 1), kGreen);
}

TEST_F(OutputPageTest, LatchAndResetInputAreStoredPerOutput) {
    auto* latch = W<HtmlCheckBox>("OutputLatchHTMLCheckBox");
    QTest::mouseClick(latch->Box(), Qt::LeftButton);
    Input()->setValue(16);
    ClickOutputTab(1);
    EXPECT_FALSE(latch->IsChecked());
    EXPECT_EQ(Input()->value(), 1);
    ClickOutputTab(0);
    EXPECT_TRUE(latch->IsChecked());
    EXPECT_EQ(Input()->value(), 16);
    EXPECT_TRUE(C().Unit(0).OutputLatch(0));
    EXPECT_EQ(C().Unit(0).ResetInput(0), 15);
    EXPECT_EQ(C().Unit(0).ResetInput(1), 0);
    // Only a data file holds an input outside 1..16: the nearest one is shown.
    const std::pair<std::int32_t, int> cases[] = {{INT32_MAX, 16}, {16, 16}, {15, 16},
                                                  {0, 1},          {-1, 1},  {INT32_MIN, 1}};
    for (const auto& [stored, shown] : cases) {
        Unit(0).SetResetInput(0, stored);
        form->ShowUnit();
        EXPECT_EQ(Input()->value(), shown) << stored;
    }
}

// The list holds the Master and the enabled Slaves, rebuilt with the names of the
// moment whenever the page is shown; the text in the box is kept.
TEST_F(OutputPageTest, DeviceListAndRowTitlesFollowTheGeneralPage) {
    ShowPage(0);
    ClickUnit(3);
    Type("DeviceNameEdit", "Pump");
    QTest::mouseClick(W<HtmlCheckBox>("SlaveEnabledHTMLCheckBox")->Box(), Qt::LeftButton);
    Unit(7).SetSlaveEnabled(true);
    EXPECT_EQ(Map()->CellText(0, 4), QStringLiteral("Slave 3"));
    ShowPage(1);
    EXPECT_EQ(Map()->CellText(0, 4), QStringLiteral("Pump"));
    QStringList items;
    for (int i = 0; i < Device()->count(); ++i) {
        items << Device()->itemText(i);
    }
    EXPECT_EQ(items, (QStringList{QStringLiteral("Master"), QStringLiteral("Pump"),
                                  QStringLiteral("Slave 7")}));
    EXPECT_EQ(Device()->currentText(), QStringLiteral("Master"));
}

TEST_F(OutputPageTest, ResetDeviceResolvesNamesAndKeepsWhatNamesNoUnit) {
    QLineEdit* text = Device()->lineEdit();
    ASSERT_NE(text, nullptr);
    auto typeDevice = [&](const QString& s) {
        text->selectAll();
        QTest::keyClick(text, Qt::Key_Delete);
        QTest::keyClicks(text, s);
        form->StorePage();
        return C().Unit(0).ResetDevice(0);
    };
    // The exact name of a disabled Slave selects it; text that names no unit, or
    // names it in another case, keeps the previous device.
    EXPECT_EQ(typeDevice(QStringLiteral("Slave 6")), 6);
    EXPECT_EQ(typeDevice(QStringLiteral("Nobody")), 6);
    EXPECT_EQ(typeDevice(QStringLiteral("slave 2")), 6);
    // Duplicate names resolve to the lower UnitIndex.
    Unit(2).SetDeviceName("Twin");
    Unit(5).SetDeviceName("Twin");
    EXPECT_EQ(typeDevice(QStringLiteral("Twin")), 2);

    // A disabled Slave is shown by name though not listed, and a device outside
    // the nine units (only a file holds one) shows no name; storing keeps either.
    for (const std::int32_t device : {4, 1000, -7}) {
        Unit(0).SetResetDevice(0, device);
        form->ShowUnit();
        EXPECT_EQ(Device()->currentText(), device == 4 ? QStringLiteral("Slave 4") : QString());
        EXPECT_EQ(Device()->findText(QStringLiteral("Slave 4")), -1);
        form->StorePage();
        EXPECT_EQ(C().Unit(0).ResetDevice(0), device);
    }
}

}  // namespace
}  // namespace valdro::ui::test
