#pragma once
// The three cell colours every grid of the window uses. Comparisons are exact:
// a cell counts as mapped or set only when it is precisely kMappedColour.

#include <QColor>

namespace valdro::ui {

inline const QColor kMappedColour{255, 0, 0};      // set bit, mapped input
inline const QColor kUnmappedColour{0, 255, 0};    // clear bit, unmapped input
inline const QColor kAbsentColour{128, 128, 128};  // unit that reports no state

}  // namespace valdro::ui
