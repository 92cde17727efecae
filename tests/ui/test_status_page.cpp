// Painting the Status page from status records, and its two states.
#include <QPushButton>

#include "ui/colour_grid.h"
#include "ui/status_page.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

class StatusPaintTest : public WindowTest {
  protected:
    ColourGrid* Out() const { return W<ColourGrid>("OutputStatusAdvStringGrid"); }
    ColourGrid* In() const { return W<ColourGrid>("InputStatusAdvStringGrid"); }
    void Paint(const std::vector<std::uint8_t>& bytes) {
        form->statusPage()->PaintStatus(DecodeStatusRecord(bytes));
    }
};

// Master: outputs 1 and 16, input 2; Slave 8: output 15.
std::vector<std::uint8_t> AllUnits(std::uint8_t slaveMask) {
    std::vector<std::uint8_t> r(40, 0);
    r[1] = slaveMask;
    r[2] = 0x01;
    r[3] = 0x80;
    r[20] = 0x02;
    r[19] = 0x40;
    return r;
}

const QString kGrey(16, u'-');

TEST_F(StatusPaintTest, ConnectedAndResetStatesShowAndHide) {
    const char* parts[] = {"OutputStatusAdvStringGrid", "InputStatusAdvStringGrid",
                           "OutputStatusLabel", "InputStatusLabel"};
    form->statusPage()->ShowConnected();
    EXPECT_EQ(W<QPushButton>("StatusConnectButton")->text(), QStringLiteral("Disconnect"));
    for (const char* name : parts) {
        EXPECT_FALSE(Hidden(name)) << name;
    }
    form->ResetStatusPage();  // through the link and back
    EXPECT_EQ(W<QPushButton>("StatusConnectButton")->text(), QStringLiteral("Connect"));
    for (const char* name : parts) {
        EXPECT_TRUE(Hidden(name)) << name;
    }
}

TEST_F(StatusPaintTest, AllUnitsRecordPaintsNineRowsSingleUnitRecordOne) {
    Paint(AllUnits(0));
    ASSERT_EQ(Out()->rowCount(), 10);
    ASSERT_EQ(In()->rowCount(), 10);
    EXPECT_EQ(Colours(Out(), 1), QStringLiteral("RGGGGGGGGGGGGGGR"));
    EXPECT_EQ(Colours(In(), 1), QStringLiteral("GRGGGGGGGGGGGGGG"));
    for (int row = 2; row <= 9; ++row) {
        EXPECT_EQ(Colours(Out(), row), kGrey) << row;
        EXPECT_EQ(Colours(In(), row), kGrey) << row;
    }
    EXPECT_EQ(Out()->rowHeight(5), 20);
    EXPECT_EQ(std::pair(Out()->currentColumn(), Out()->currentRow()), std::pair(0, 0));
    Paint(AllUnits(0x80));  // Slave 8 present: row 9 coloured
    EXPECT_EQ(Colours(Out(), 9), QStringLiteral("GGGGGGGGGGGGGGRG"));
    EXPECT_EQ(Colours(Out(), 8), kGrey);

    std::vector<std::uint8_t> single(40, 0);
    single[0] = 1;
    single[1] = 1;
    single[3] = 0x80;   // output 16
    single[21] = 0x01;  // input 9
    Paint(single);
    EXPECT_EQ(Out()->rowCount(), 2);
    EXPECT_EQ(In()->rowCount(), 2);
    EXPECT_EQ(Colours(Out(), 1), QStringLiteral("GGGGGGGGGGGGGGGR"));
    EXPECT_EQ(Colours(In(), 1), QStringLiteral("GGGGGGGGRGGGGGGG"));
    single[1] = 0;  // the unit reports no state
    Paint(single);
    EXPECT_EQ(Colours(Out(), 1), kGrey);
    EXPECT_EQ(Colours(In(), 1), kGrey);
    Paint(AllUnits(0));
    EXPECT_EQ(Out()->rowCount(), 10);
    EXPECT_EQ(Out()->rowHeight(9), 20);
}

TEST_F(StatusPaintTest, OnlyChangedCellsAreWritten) {
    Paint(AllUnits(0));
    const long out = Out()->ColourWrites(), in = In()->ColourWrites();
    Paint(AllUnits(0));
    EXPECT_EQ(Out()->ColourWrites(), out);
    EXPECT_EQ(In()->ColourWrites(), in);
    std::vector<std::uint8_t> r = AllUnits(0);
    r[2] = 0x03;  // one more output of the Master
    Paint(r);
    EXPECT_EQ(Out()->ColourWrites(), out + 1);
    EXPECT_EQ(In()->ColourWrites(), in);
}

TEST_F(StatusPaintTest, RowTitlesForOneRowNineRowsOrNone) {
    Paint(AllUnits(0));
    std::array<std::string, 9> names;
    for (std::size_t i = 0; i < 9; ++i) {
        names[i] = "Unit " + std::to_string(i);
    }
    form->statusPage()->SetStatusRowTitles(2, names);
    EXPECT_EQ(Out()->CellText(0, 1), QStringLiteral("Unit 0"));
    EXPECT_EQ(In()->CellText(0, 9), QStringLiteral("Unit 8"));
    names[0] = "Caf\xe9";  // the unit sends the 8-bit code page
    names[1] = "Other";
    form->statusPage()->SetStatusRowTitles(1, names);
    EXPECT_EQ(Out()->CellText(0, 1), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(In()->CellText(0, 1), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(Out()->CellText(0, 2), QStringLiteral("Unit 1"));
    names.fill("Ignored");
    form->statusPage()->SetStatusRowTitles(3, names);
    form->statusPage()->SetStatusRowTitles(0, names);
    EXPECT_EQ(In()->CellText(0, 5), QStringLiteral("Unit 4"));
    EXPECT_EQ(Out()->CellText(0, 1), QStringLiteral("Caf\u00e9"));
}

}  // namespace
}  // namespace valdro::ui::test
