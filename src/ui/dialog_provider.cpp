#include "ui/dialog_provider.h"

#include <QFileDialog>
#include <QMessageBox>

namespace valdro::ui {
namespace {

// "Caption (patterns)" with the patterns the toolkit is to apply appended: the
// toolkit takes the last parentheses for the patterns and, with its filter details
// hidden, shows the rest as the caption. "*.*" becomes "*".
QString FilterWithPatterns(const QString& filter) {
    const qsizetype open = filter.lastIndexOf(u'(');
    if (open < 0 || !filter.endsWith(u')')) {
        return filter;
    }
    QStringList patterns = filter.mid(open + 1, filter.size() - open - 2).split(u' ');
    for (QString& p : patterns) {
        if (p == QStringLiteral("*.*")) {
            p = QStringLiteral("*");
        }
    }
    return filter + QStringLiteral(" (") + patterns.join(u' ') + u')';
}

std::optional<QString> RunChooser(QWidget* owner, const FileChooser& chooser,
                                  QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    ConfigureChooser(dialog, chooser);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

}  // namespace

void ConfigureChooser(QFileDialog& dialog, const FileChooser& chooser) {
    // A typed name of a missing file is accepted by the open chooser too; the load
    // then reports it like any file that cannot be opened.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    QStringList filters;
    for (const QString& f : chooser.nameFilters) {
        filters.push_back(FilterWithPatterns(f));
    }
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) {
        dialog.selectNameFilter(filters.front());
    }
    if (!chooser.defaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(chooser.defaultSuffix);
    }
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!chooser.lastName.isEmpty()) {
        dialog.selectFile(chooser.lastName);
    }
}

void QtDialogProvider::Error(const QString& text, const QString& detail) {
    if (detail.isEmpty()) {
        QMessageBox::critical(owner_, QStringLiteral("Error"), text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, owner_);
    box.setInformativeText(detail);
    box.exec();
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
