#pragma once
// A tab bar that reports every mouse-button release over it, whether or not the
// selected tab changed. The window acts on releases, not on selection changes.

#include <QTabBar>

namespace valdro::ui {

class ReleaseTabBar : public QTabBar {
    Q_OBJECT
  public:
    using QTabBar::QTabBar;

  signals:
    void MouseUp();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

}  // namespace valdro::ui
