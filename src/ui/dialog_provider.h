#pragma once
// Every message box and file chooser of the window goes through this interface,
// so tests can answer them without a modal loop.

#include <QString>
#include <QStringList>
#include <optional>

class QFileDialog;
class QWidget;

namespace valdro::ui {

// A file chooser that remembers the name last chosen in it for the whole run.
struct FileChooser {
    QStringList nameFilters;  // captions with their patterns, "Data Files (*.dat)"; first selected
    QString defaultSuffix;    // without the dot; empty = none
    QString lastName;         // offered again next time
};

class DialogProvider {
  public:
    enum class Answer { Yes, No, Cancel };

    virtual ~DialogProvider() = default;
    // Error box with one OK button.
    void Error(const QString& text) { Error(text, QString()); }
    // The same with a second, smaller line under the text (the box's informative
    // text); an empty detail adds nothing.
    virtual void Error(const QString& text, const QString& detail) = 0;
    // Information box with one OK button.
    virtual void Information(const QString& text) = 0;
    // Confirmation box with Yes, No and Cancel.
    virtual Answer Confirm(const QString& text) = 0;
    // Open chooser; accepts names of files that do not exist. nullopt = cancelled.
    virtual std::optional<QString> OpenFile(const FileChooser& chooser) = 0;
    // Save chooser; adds the default suffix, never asks before replacing.
    virtual std::optional<QString> SaveFile(const FileChooser& chooser) = 0;
};

// The real one: QMessageBox and QFileDialog, modal to owner.
class QtDialogProvider : public DialogProvider {
  public:
    explicit QtDialogProvider(QWidget* owner) : owner_(owner) {}
    using DialogProvider::Error;
    void Error(const QString& text, const QString& detail) override;
    void Information(const QString& text) override;
    Answer Confirm(const QString& text) override;
    std::optional<QString> OpenFile(const FileChooser& chooser) override;
    std::optional<QString> SaveFile(const FileChooser& chooser) override;

  private:
    QWidget* owner_;
};

// Sets up a file chooser's filters, default suffix and last name. Each filter keeps
// its caption, but "*.*" matches every file, as it does on Windows: toolkits
// elsewhere would hide names without a dot.
void ConfigureChooser(QFileDialog& dialog, const FileChooser& chooser);

}  // namespace valdro::ui
