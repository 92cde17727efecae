// Where the operating system has no compiled-help viewer, the program is its own:
// it reads the help file with chmlib and shows it in a window of its own.

#include <QFileInfo>
#include <QPointer>
#include <QWidget>

#include "ui/help/chm_archive.h"
#include "ui/help/help_launcher.h"
#include "ui/help/help_window.h"

namespace valdro {

namespace {

class ChmHelpLauncher final : public HelpLauncher {
  public:
    explicit ChmHelpLauncher(QWidget* owner) : owner_(owner) {}
    ~ChmHelpLauncher() override { Uninitialize(); }

    bool Setup(const QString& helpFilePath) override {
        Uninitialize();
        const QFileInfo info(helpFilePath);
        if (!info.isFile())
            return false;
        std::unique_ptr<ChmArchive> archive =
            ChmArchive::Open(QFile::encodeName(info.absoluteFilePath()).toStdString());
        if (!archive)
            return false;
        archive_ = std::move(archive);
        return true;
    }

    void Display() override {
        if (!archive_)
            return;
        if (window_.isNull()) {
            window_ = new HelpWindow(archive_, owner_);
            window_->setAttribute(Qt::WA_DeleteOnClose);
        }
        window_->ShowDefaultTopic();
        window_->show();
        window_->raise();
        window_->activateWindow();
    }

    void CloseAll() override {
        if (!window_.isNull())
            window_->close();
    }

    void Uninitialize() override {
        // The window shares the archive; it goes first so the file is really released.
        delete window_.data();
        archive_.reset();
    }

  private:
    QPointer<QWidget> owner_;
    std::shared_ptr<ChmArchive> archive_;
    QPointer<HelpWindow> window_;
};

}  // namespace

std::unique_ptr<HelpLauncher> CreateHelpLauncher(QWidget* owner) {
    return std::make_unique<ChmHelpLauncher>(owner);
}

}  // namespace valdro
