#include "ui/bottom_panel.h"

#include <QPushButton>

namespace valdro::ui {
namespace {
QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int left) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(left, 24, 75, 25);
    b->setAutoDefault(false);
    return b;
}
}  // namespace

BottomPanel::BottomPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Panel1"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    loadButton = MakeButton(this, "LoadButton", "Load", 88);
    saveButton = MakeButton(this, "SaveButton", "Save", 280);
    helpButton = MakeButton(this, "HelpButton", "Help", 488);
    exitButton = MakeButton(this, "ExitButton", "Exit", 680);
    // Keyboard order: Load, Save, Exit, Help.
    setTabOrder(loadButton, saveButton);
    setTabOrder(saveButton, exitButton);
    setTabOrder(exitButton, helpButton);
}

}  // namespace valdro::ui
