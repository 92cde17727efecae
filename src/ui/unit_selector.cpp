#include "ui/unit_selector.h"

#include <QKeyEvent>

namespace valdro::ui {

UnitSelector::UnitSelector(QWidget* parent) : ReleaseTabBar(parent) {
    setObjectName(QStringLiteral("DisplayTabSet"));
    setShape(QTabBar::RoundedSouth);
    setExpanding(false);
    setDrawBase(false);
    setUsesScrollButtons(false);
    addTab(QStringLiteral("Master"));
    for (int n = 1; n <= 8; ++n) {
        addTab(QStringLiteral("Slave %1").arg(n));
    }
    // The selected unit's tab is green, so the unit being edited is obvious.
    setStyleSheet(QStringLiteral(
        "QTabBar::tab { height: 15px; min-width: 56px; padding: 0px 6px;"
        " border: 1px solid palette(dark); border-top: none; background: palette(button); }"
        "QTabBar::tab:selected { background: #00FF00; color: black; }"
        "QTabBar::tab:focus { text-decoration: underline; }"));
    setFocusPolicy(Qt::TabFocus);
}

void UnitSelector::keyPressEvent(QKeyEvent* event) {
    const int before = currentIndex();
    QTabBar::keyPressEvent(event);
    if (currentIndex() != before) {
        emit KeyboardChange();
    }
}

}  // namespace valdro::ui
