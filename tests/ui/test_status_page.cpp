// Painting the Status page from status records, and its two states.
#include <QLabel>
#include <QPushButton>

#include "cell_colours.h"
#include "colour_grid.h"
#include "status_page.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

class StatusPaintTest : public WindowTest {
  protected:
    ColourGrid* Out() const { return W<ColourGrid>(QStringLiteral("OutputStatusAdvStringGrid")); }
    ColourGrid* In() const { return W<ColourGrid>(QStringLiteral("InputStatusAdvStringGrid")); }
    static StatusRecord Record(std::vector<std::uint8_t> bytes) {
        return DecodeStatusRecord(bytes);
    }
};

std::vector<std::uint8_t> AllUnits(std::uint8_t slaveMask) {
    std::vector<std::uint8_t> r(40, 0);
    r[0] = 0;
    r[1] = slaveMask;
    r[2] = 0x01;   // Master output 1
    r[3] = 0x80;   // Master output 16
    r[20] = 0x02;  // Master input 2
    r[19] = 0x40;  // Slave 8 output 15
    return r;
}

TEST_F(StatusPaintTest, ConnectedAndResetStatesShowAndHideInOrder) {
    form->StatusPageConnected();
    EXPECT_EQ(W<QPushButton>(QStringLiteral("StatusConnectButton"))->text(),
              QStringLiteral("Disconnect"));
    for (const char* name : {"OutputStatusAdvStringGrid", "InputStatusAdvStringGrid",
                             "OutputStatusLabel", "InputStatusLabel"}) {
        EXPECT_FALSE(W<QWidget>(QString::fromLatin1(name))->isHidden()) << name;
    }
    form->StatusPageReset();
    EXPECT_EQ(W<QPushButton>(QStringLiteral("StatusConnectButton"))->text(),
              QStringLiteral("Connect"));
    for (const char* name : {"OutputStatusAdvStringGrid", "InputStatusAdvStringGrid",
                             "OutputStatusLabel", "InputStatusLabel"}) {
        EXPECT_TRUE(W<QWidget>(QString::fromLatin1(name))->isHidden()) << name;
    }
}

TEST_F(StatusPaintTest, AllUnitsRecordPaintsNineRowsWithAbsentUnitsGrey) {
    form->PaintStatus(Record(AllUnits(0)));
    ASSERT_EQ(Out()->rowCount(), 10);
    ASSERT_EQ(In()->rowCount(), 10);
    EXPECT_EQ(Out()->CellColour(1, 1), kMappedColour);
    EXPECT_EQ(Out()->CellColour(2, 1), kUnmappedColour);
    EXPECT_EQ(Out()->CellColour(16, 1), kMappedColour);
    EXPECT_EQ(In()->CellColour(1, 1), kUnmappedColour);
    EXPECT_EQ(In()->CellColour(2, 1), kMappedColour);
    for (int row = 2; row <= 9; ++row) {
        for (int n = 1; n <= 16; ++n) {
            ASSERT_EQ(Out()->CellColour(n, row), kAbsentColour);
            ASSERT_EQ(In()->CellColour(n, row), kAbsentColour);
        }
    }
    EXPECT_EQ(Out()->rowHeight(5), 20);
    EXPECT_EQ(Out()->currentRow(), 0);
    EXPECT_EQ(Out()->currentColumn(), 0);
    // Slave 8 present: row 9 coloured.
    form->PaintStatus(Record(AllUnits(0x80)));
    EXPECT_EQ(Out()->CellColour(15, 9), kMappedColour);
    EXPECT_EQ(Out()->CellColour(14, 9), kUnmappedColour);
    EXPECT_EQ(Out()->CellColour(1, 8), kAbsentColour);
}

TEST_F(StatusPaintTest, SingleUnitRecordPaintsOneRowAndShrinksTheGrids) {
    form->PaintStatus(Record(AllUnits(0xFF)));
    ASSERT_EQ(Out()->rowCount(), 10);
    std::vector<std::uint8_t> single(40, 0);
    single[0] = 1;
    single[1] = 1;
    single[3] = 0x80;   // output 16
    single[21] = 0x01;  // input 9
    form->PaintStatus(Record(single));
    EXPECT_EQ(Out()->rowCount(), 2);
    EXPECT_EQ(In()->rowCount(), 2);
    EXPECT_EQ(Out()->CellColour(16, 1), kMappedColour);
    EXPECT_EQ(Out()->CellColour(1, 1), kUnmappedColour);
    EXPECT_EQ(In()->CellColour(9, 1), kMappedColour);
    single[1] = 0;  // the unit reports no state
    form->PaintStatus(Record(single));
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(Out()->CellColour(n, 1), kAbsentColour);
        EXPECT_EQ(In()->CellColour(n, 1), kAbsentColour);
    }
    form->PaintStatus(Record(AllUnits(0)));
    EXPECT_EQ(Out()->rowCount(), 10);
    EXPECT_EQ(Out()->rowHeight(9), 20);
}

TEST_F(StatusPaintTest, OnlyChangedCellsAreWritten) {
    form->PaintStatus(Record(AllUnits(0)));
    const long out = Out()->ColourWrites();
    const long in = In()->ColourWrites();
    form->PaintStatus(Record(AllUnits(0)));
    EXPECT_EQ(Out()->ColourWrites(), out);
    EXPECT_EQ(In()->ColourWrites(), in);
    std::vector<std::uint8_t> r = AllUnits(0);
    r[2] = 0x03;  // one more output of the Master
    form->PaintStatus(Record(r));
    EXPECT_EQ(Out()->ColourWrites(), out + 1);
    EXPECT_EQ(In()->ColourWrites(), in);
}

TEST_F(StatusPaintTest, RowTitlesForOneRowNineRowsOrNone) {
    form->PaintStatus(Record(AllUnits(0)));
    std::array<std::string, 9> names;
    for (std::size_t i = 0; i < 9; ++i) {
        names[i] = "Unit " + std::to_string(i);
    }
    form->SetStatusRowTitles(2, names);
    EXPECT_EQ(Out()->CellText(0, 1), QStringLiteral("Unit 0"));
    EXPECT_EQ(In()->CellText(0, 9), QStringLiteral("Unit 8"));
    names[0] = "Own";
    names[1] = "Other";
    form->SetStatusRowTitles(1, names);
    EXPECT_EQ(Out()->CellText(0, 1), QStringLiteral("Own"));
    EXPECT_EQ(In()->CellText(0, 1), QStringLiteral("Own"));
    EXPECT_EQ(Out()->CellText(0, 2), QStringLiteral("Unit 1"));
    names.fill("Ignored");
    form->SetStatusRowTitles(3, names);
    form->SetStatusRowTitles(0, names);
    EXPECT_EQ(Out()->CellText(0, 1), QStringLiteral("Own"));
    EXPECT_EQ(In()->CellText(0, 5), QStringLiteral("Unit 4"));
    // Names come from the unit in the 8-bit code page.
    names[0] = "Caf\xe9";
    form->SetStatusRowTitles(1, names);
    EXPECT_EQ(Out()->CellText(0, 1), QStringLiteral("Caf\u00e9"));
}

}  // namespace
}  // namespace valdro::ui::test
