// The window's side of the device link: buttons and timer into the engine, the
// engine's events back onto the pages, the progress bar and the message boxes.
#include <QMetaObject>
#include <QProgressBar>

#include "device/protocol_engine.h"
#include "ui/general_page.h"
#include "ui/main_form.h"
#include "ui/status_page.h"

namespace valdro::ui {
namespace {
QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

void TMainForm::DownloadButtonClick() {
    ResetStatusPage();
    StorePage();
    // The engine keeps its own copy: clicking again starts over with a new one.
    engine_->StartDownload(store_.Current(), currentUnit_);
}

void TMainForm::StatusConnectButtonClick() {
    // The caption is the state: "Disconnect" while monitoring.
    if (engine_->Monitoring()) {
        ResetStatusPage();
        return;
    }
    engine_->StartMonitoring();
}

void TMainForm::Timer1Timer() {
    engine_->Tick();
}

void TMainForm::ResetStatusPage() {
    // The page follows through MonitoringStopped.
    engine_->StopMonitoring();
}

void TMainForm::Post() {
    // Runs on the receive thread; the report is handled on the window's thread.
    QMetaObject::invokeMethod(
        this, [this] { engine_->DeliverPendingReport(); }, Qt::QueuedConnection);
}

void TMainForm::LinkView::MonitoringStarted() {
    form_.status_->ShowConnected();
}

void TMainForm::LinkView::MonitoringStopped() {
    form_.status_->ShowIdle();
}

void TMainForm::LinkView::StatusReceived(const StatusRecord& record) {
    form_.status_->PaintStatus(record);
}

void TMainForm::LinkView::UnitNamesReceived(NameRows rows,
                                            const std::array<std::string, 9>& names) {
    form_.status_->SetStatusRowTitles(static_cast<int>(rows), names);
}

void TMainForm::LinkView::DownloadProgress(int done, int total) {
    QProgressBar* bar = form_.downloadProgress_;
    if (total <= 0 || done >= total) {
        bar->hide();
        return;
    }
    bar->setRange(0, total);
    bar->setValue(done);
    bar->show();
}

void TMainForm::LinkView::DownloadAbandoned() {
    form_.downloadProgress_->hide();
}

void TMainForm::LinkView::DownloadComplete() {
    form_.downloadProgress_->hide();
    form_.dialogs_->Information(Text(kDownloadCompleteText));
}

void TMainForm::LinkView::LinkFailed(const LinkError& error) {
    form_.downloadProgress_->hide();
    // A unit that is listed but may not be opened: the box says where and why.
    form_.dialogs_->Error(Text(LinkFailureText(error.failure)),
                          QString::fromStdString(AccessDeniedDetail(error)));
}

}  // namespace valdro::ui
