#pragma once
// The strip of unit tabs under the pages: "Master", "Slave 1" .. "Slave 8".
// The tab index is the UnitIndex. The window switches units when a mouse button
// is released over the strip; a change made with the keyboard switches as well,
// so the pages never show another unit than the selected tab.

#include "ui/release_tab_bar.h"

namespace valdro::ui {

class UnitSelector : public ReleaseTabBar {
    Q_OBJECT
  public:
    explicit UnitSelector(QWidget* parent = nullptr);

  signals:
    void KeyboardChange();  // the selected tab was changed from the keyboard

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace valdro::ui
