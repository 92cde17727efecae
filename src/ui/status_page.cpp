#include "ui/status_page.h"

#include <QLabel>
#include <QPushButton>

#include "config/text_codec.h"
#include "ui/cell_colours.h"
#include "ui/colour_grid.h"

namespace valdro::ui {
namespace {

ColourGrid* MakeStatusGrid(QWidget* parent, const QString& name, int top) {
    auto* g = new ColourGrid(17, 2, 20, parent);
    g->setObjectName(name);
    g->setGeometry(104, top, 593, 209);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->hide();
    return g;
}

QLabel* MakeStatusLabel(QWidget* parent, const QString& name, const QString& text, int top) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->move(16, top);
    l->adjustSize();
    l->hide();
    return l;
}

// Writes a colour only when it differs, so unchanged cells are not redrawn.
void SetIfDifferent(ColourGrid* grid, int column, int row, const QColor& colour) {
    if (grid->CellColour(column, row) != colour) {
        grid->SetCellColour(column, row, colour);
    }
}

const QColor& BitColour(std::uint16_t word, int bit) {
    return ((word >> bit) & 1) != 0 ? kMappedColour : kUnmappedColour;
}

}  // namespace

StatusPage::StatusPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("StatusTabSheet"));
    outputStatusLabel = MakeStatusLabel(this, QStringLiteral("OutputStatusLabel"),
                                        QStringLiteral("Output Status"), 5);
    outputStatus = MakeStatusGrid(this, QStringLiteral("OutputStatusAdvStringGrid"), 5);
    inputStatusLabel = MakeStatusLabel(this, QStringLiteral("InputStatusLabel"),
                                       QStringLiteral("Input Status"), 228);
    inputStatus = MakeStatusGrid(this, QStringLiteral("InputStatusAdvStringGrid"), 228);
    connectButton = new QPushButton(QStringLiteral("Connect"), this);
    connectButton->setObjectName(QStringLiteral("StatusConnectButton"));
    connectButton->setGeometry(324, 443, 75, 25);
    connectButton->setAutoDefault(false);
}

void StatusPage::ShowIdle() {
    connectButton->setText(QStringLiteral("Connect"));
    outputStatus->hide();
    inputStatus->hide();
    outputStatusLabel->hide();
    inputStatusLabel->hide();
}

void StatusPage::ShowConnected() {
    connectButton->setText(QStringLiteral("Disconnect"));
    outputStatus->show();
    inputStatus->show();
    outputStatusLabel->show();
    inputStatusLabel->show();
}

void StatusPage::PaintStatus(const StatusRecord& record) {
    if (record.singleUnit()) {
        ShowSingleUnitStatus(record);
    } else {
        ShowAllUnitsStatus(record);
    }
}

void StatusPage::PaintRow(int row, const UnitIoState& unit) {
    for (int n = 1; n <= 16; ++n) {
        SetIfDifferent(outputStatus, n, row,
                       unit.present ? BitColour(unit.outputs, n - 1) : kAbsentColour);
    }
    for (int n = 1; n <= 16; ++n) {
        SetIfDifferent(inputStatus, n, row,
                       unit.present ? BitColour(unit.inputs, n - 1) : kAbsentColour);
    }
}

void StatusPage::ShowSingleUnitStatus(const StatusRecord& record) {
    inputStatus->SelectCell(0, 0);
    outputStatus->SelectCell(0, 0);
    if (inputStatus->rowCount() != 2) {
        inputStatus->SetRowCount(2);
    }
    if (outputStatus->rowCount() != 2) {
        outputStatus->SetRowCount(2);
    }
    PaintRow(1, record.units[0]);
}

void StatusPage::ShowAllUnitsStatus(const StatusRecord& record) {
    inputStatus->SelectCell(0, 0);
    outputStatus->SelectCell(0, 0);
    if (inputStatus->rowCount() != 10) {
        inputStatus->SetRowCount(10);
    }
    if (outputStatus->rowCount() != 10) {
        outputStatus->SetRowCount(10);
    }
    for (int row = 1; row <= 9; ++row) {
        PaintRow(row, record.units[static_cast<std::size_t>(row - 1)]);
    }
}

void StatusPage::SetStatusRowTitles(int which, const std::array<std::string, 9>& names) {
    int rows = 0;
    if (which == 1) {
        rows = 1;
    } else if (which == 2) {
        rows = 9;
    }
    for (int row = 1; row <= rows; ++row) {
        // The unit sends its names in the 8-bit code page.
        const QString name =
            QString::fromStdString(DecodeCp1252(names[static_cast<std::size_t>(row - 1)]));
        outputStatus->SetCellText(0, row, name);
        inputStatus->SetCellText(0, row, name);
    }
}

}  // namespace valdro::ui
