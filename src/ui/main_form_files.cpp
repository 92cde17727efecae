// Saving and loading the data file from the window.
#include <QFile>
#include <QFileInfo>
#include <filesystem>

#include "config/data_file.h"
#include "ui/main_form.h"

namespace valdro::ui {
namespace {
std::filesystem::path NativePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}
}  // namespace

QString WithDefaultSuffix(const QString& path, const QString& suffix) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty() || path.endsWith(u'.')) {
        return path;
    }
    return path + u'.' + suffix;
}

void TMainForm::SaveButtonClick() {
    SaveDataFile();
}

void TMainForm::LoadButtonClick() {
    LoadDataFile();
}

bool TMainForm::SaveDataFile() {
    // Stored first, even if the user then cancels: the configuration holds what
    // the pages show.
    StorePage();
    const std::optional<QString> chosen = dialogs_->SaveFile(saveDialog1_);
    if (!chosen || chosen->isEmpty()) {
        return false;
    }
    const QString path = WithDefaultSuffix(*chosen, saveDialog1_.defaultSuffix);
    saveDialog1_.lastName = path;
    const SaveOutcome outcome = valdro::SaveDataFile(NativePath(path), store_.Current());
    if (outcome != SaveOutcome::Ok) {
        dialogs_->Error(QString::fromUtf8(OutcomeMessage(outcome)));
        return false;
    }
    store_.MarkSaved();
    return true;
}

void TMainForm::LoadDataFile() {
    const std::optional<QString> chosen = dialogs_->OpenFile(openDialog1_);
    if (!chosen || chosen->isEmpty()) {
        return;
    }
    openDialog1_.lastName = *chosen;
    LoadFile(*chosen);
}

bool TMainForm::LoadFile(const QString& path) {
    // A refused file changes nothing: not the configuration and not the pages.
    const LoadOutcome outcome = valdro::LoadDataFile(NativePath(path), store_.Current());
    if (outcome != LoadOutcome::Ok) {
        dialogs_->Error(QString::fromUtf8(OutcomeMessage(outcome)));
        return false;
    }
    ShowUnit();
    store_.MarkSaved();
    return true;
}

}  // namespace valdro::ui
