#include "ui/release_tab_bar.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace valdro::ui {

void ReleaseTabBar::mouseReleaseEvent(QMouseEvent* event) {
    QTabBar::mouseReleaseEvent(event);
    emit MouseUp();
}

void ReleaseTabBar::wheelEvent(QWheelEvent* event) {
    // Scrolling over the tabs must not change the selection behind the page's back.
    event->ignore();
}

}  // namespace valdro::ui
