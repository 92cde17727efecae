#pragma once
// The panel at the bottom of the window with Load, Save, Help and Exit.

#include <QFrame>

class QPushButton;

namespace valdro::ui {

class BottomPanel : public QFrame {
    Q_OBJECT
  public:
    explicit BottomPanel(QWidget* parent = nullptr);

    QPushButton* loadButton;
    QPushButton* saveButton;
    QPushButton* helpButton;
    QPushButton* exitButton;
};

}  // namespace valdro::ui
