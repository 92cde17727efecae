#pragma once
// The one window of the program. It owns the configuration set, the selection
// state (CurrentUnit; CurrentOutput lives with the Output Control page), the
// device link and the help viewer, and it wires the pages together: the pages
// never edit the configuration live, StorePage and ShowUnit copy at fixed moments.

#include <QString>
#include <QWidget>
#include <memory>
#include <optional>

#include "config/config_set.h"
#include "device/hid_platform.h"
#include "device/link_events.h"
#include "device/owner_thread_poster.h"
#include "ui/dialog_provider.h"

class QCloseEvent;
class QProgressBar;
class QTabWidget;
class QTimer;

namespace valdro {
class HelpLauncher;
class ProtocolEngine;
}  // namespace valdro

namespace valdro::ui {

class BottomPanel;
class GeneralPage;
class OutputControlPage;
class StatusPage;
class UnitSelector;

// " Vesion: " is the product's own spelling, as its users know the title: keep it.
inline const QString kWindowTitle =
    QStringLiteral("ORVELIX Valdrometrica") + QStringLiteral(" Vesion: ") + QStringLiteral("1.00");
inline const QString kDataChangedQuestion = QStringLiteral("Data has changed\nSave now?");
inline constexpr int kClientWidth = 883;
inline constexpr int kClientHeight = 606;

struct MainFormOptions {
    // Message boxes and file choosers; null = the real Qt ones. Not owned.
    DialogProvider* dialogs = nullptr;
    // The help file; default: valdrometrica.chm beside the program.
    std::optional<QString> helpFilePath;
};

class TMainForm : public QWidget, public OwnerThreadPoster {
    Q_OBJECT
  public:
    // platform must outlive the window.
    explicit TMainForm(HidPlatform& platform, MainFormOptions options = {},
                       QWidget* parent = nullptr);
    ~TMainForm() override;

    ConfigStore& Store() { return store_; }
    const ConfigSet& Config() const { return store_.Current(); }
    int CurrentOutput() const;
    ProtocolEngine& Engine() { return *engine_; }

    // Copies the pages into unit CurrentUnit; reports invalid addresses itself.
    void StorePage();
    // Takes CurrentUnit from the unit selector and fills the pages from it.
    void ShowUnit();
    void SetUpGrids();

    // Saves through the save chooser; true only when the file was written.
    bool SaveDataFile();
    // Loads through the open chooser.
    void LoadDataFile();
    // Loads one file, reporting a refusal; true when loaded.
    bool LoadFile(const QString& path);
    // The close question; true when the window may close.
    bool FormCloseQuery();

    // Event handlers.
    void DisplayTabSetMouseUp();
    void OutputControlTabSheetShow();
    void SaveButtonClick();
    void LoadButtonClick();
    void HelpButtonClick();
    void ExitButtonClick();
    void DownloadButtonClick();
    void StatusConnectButtonClick();
    void Timer1Timer();
    // Ends status monitoring: "Connect", the grids hidden, no further polls.
    void ResetStatusPage();

    int CurrentUnit() const { return currentUnit_; }

    // OwnerThreadPoster: called on the receive thread.
    void Post() override;

    QTabWidget* pageControl() const { return pageControl_; }
    OutputControlPage* outputPage() const { return output_; }
    StatusPage* statusPage() const { return status_; }
    UnitSelector* unitSelector() const { return selector_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();
    void FormClose();
    void HelpSetUp();
    void HelpShutDown();

    std::unique_ptr<DialogProvider> ownDialogs_;
    DialogProvider* dialogs_;
    ConfigStore store_;
    int currentUnit_ = 0;
    FileChooser openDialog1_;
    FileChooser saveDialog1_;
    QString helpFilePath_;
    std::optional<QString> helpFileOverride_;

    QTabWidget* pageControl_;
    GeneralPage* general_;
    OutputControlPage* output_;
    StatusPage* status_;
    UnitSelector* selector_;
    BottomPanel* panel_;
    QProgressBar* downloadProgress_;
    QTimer* timer1_;

    std::unique_ptr<HelpLauncher> help_;

    // The device link's events onto the pages, the progress bar and the boxes.
    class LinkView final : public LinkEvents {
      public:
        explicit LinkView(TMainForm& form) : form_(form) {}
        void MonitoringStarted() override;
        void MonitoringStopped() override;
        void StatusReceived(const StatusRecord& record) override;
        void UnitNamesReceived(NameRows rows, const std::array<std::string, 9>& names) override;
        void DownloadProgress(int done, int total) override;
        void DownloadAbandoned() override;
        void DownloadComplete() override;
        void LinkFailed(const LinkError& error) override;

      private:
        TMainForm& form_;
    };
    LinkView linkView_{*this};
    // Last: destroyed first, so the receive thread is gone before anything it
    // reports into.
    std::unique_ptr<ProtocolEngine> engine_;
};

// Adds ".dat" to a chosen name that has no extension, as the save chooser promises.
QString WithDefaultSuffix(const QString& path, const QString& suffix);

}  // namespace valdro::ui
