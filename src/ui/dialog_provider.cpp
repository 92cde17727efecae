#include "ui/dialog_provider.h"

#include <QFileDialog>
#include <QMessageBox>

namespace valdro::ui {
namespace {

std::optional<QString> RunChooser(QWidget* owner, const FileChooser& chooser,
                                  QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    // A typed name of a missing file is accepted by the open chooser too; the load
    // then reports it like any file that cannot be opened.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(chooser.nameFilters);
    if (!chooser.nameFilters.isEmpty()) {
        dialog.selectNameFilter(chooser.nameFilters.front());
    }
    if (!chooser.defaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(chooser.defaultSuffix);
    }
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!chooser.lastName.isEmpty()) {
        dialog.selectFile(chooser.lastName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

}  // namespace

void QtDialogProvider::Error(const QString& text) {
    QMessageBox::critical(owner_, QStringLiteral("Error"), text);
}

void QtDialogProvider::Information(const QString& text) {
    QMessageBox::information(owner_, QStringLiteral("Information"), text);
}

DialogProvider::Answer QtDialogProvider::Confirm(const QString& text) {
    const auto b = QMessageBox::question(owner_, QStringLiteral("Confirm"), text,
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                         QMessageBox::Yes);
    if (b == QMessageBox::Yes) {
        return Answer::Yes;
    }
    if (b == QMessageBox::No) {
        return Answer::No;
    }
    return Answer::Cancel;  // Escape and the box's close button cancel as well
}

std::optional<QString> QtDialogProvider::OpenFile(const FileChooser& chooser) {
    return RunChooser(owner_, chooser, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogProvider::SaveFile(const FileChooser& chooser) {
    return RunChooser(owner_, chooser, QFileDialog::AcceptSave);
}

}  // namespace valdro::ui
