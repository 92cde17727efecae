// The help viewer: set up at start-up (Help hidden when none can be offered),
// shown on Help, shut down when the window closes.
#include <QCoreApplication>
#include <QFileInfo>
#include <QPushButton>

#include "ui/bottom_panel.h"
#include "ui/help/help_launcher.h"
#include "ui/main_form.h"

namespace valdro::ui {

void TMainForm::HelpSetUp() {
    helpFilePath_ = helpFileOverride_.value_or(QCoreApplication::applicationDirPath() +
                                               QStringLiteral("/valdrometrica.chm"));
    helpFilePath_ = QFileInfo(helpFilePath_).absoluteFilePath();
    if (!QFileInfo::exists(helpFilePath_)) {
        panel_->helpButton->hide();
        return;
    }
    help_ = CreateHelpLauncher(this);
    if (help_ && help_->Setup(helpFilePath_)) {
        return;
    }
    help_.reset();
    panel_->helpButton->hide();
}

void TMainForm::HelpButtonClick() {
    if (help_) {
        help_->Display();
    }
}

void TMainForm::HelpShutDown() {
    if (panel_->helpButton->isHidden() || !help_) {
        return;
    }
    help_->CloseAll();
    help_->Uninitialize();
}

}  // namespace valdro::ui
