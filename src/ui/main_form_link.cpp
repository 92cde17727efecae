// The window's side of the device link: buttons and timer into the engine, the
// engine's messages and status records back onto the pages.
#include <QMetaObject>
#include <QProgressBar>

#include "config/text_codec.h"
#include "device/protocol_engine.h"
#include "ui/general_page.h"
#include "ui/main_form.h"
#include "ui/status_page.h"

namespace valdro::ui {

void TMainForm::DownloadButtonClick() {
    engine_->ResetStatusPage();
    StorePage();
    // The download works on this copy; clicking again starts over with a new one.
    downloadSet_ = store_.Current();
    downloadUnit_ = currentUnit_;
    engine_->StartDownload();
}

void TMainForm::StatusConnectButtonClick() {
    engine_->StatusConnectButtonClick();
}

void TMainForm::Timer1Timer() {
    engine_->Timer1Timer();
}

void TMainForm::Post() {
    // Runs on the receive thread; the report is handled on the window's thread.
    QMetaObject::invokeMethod(
        this, [this] { engine_->DeliverPendingReport(); }, Qt::QueuedConnection);
}

void TMainForm::ShowError(const std::string& text) {
    downloadProgress_->hide();
    dialogs_->Error(QString::fromStdString(text));
}

void TMainForm::ShowInformation(const std::string& text) {
    dialogs_->Information(QString::fromStdString(text));
}

void TMainForm::StatusPageReset() {
    status_->ShowIdle();
}

void TMainForm::StatusPageConnected() {
    status_->ShowConnected();
}

void TMainForm::PaintStatus(const StatusRecord& record) {
    status_->PaintStatus(record);
}

void TMainForm::SetStatusRowTitles(int which, const std::array<std::string, 9>& names) {
    // The unit sends its names in the 8-bit code page.
    std::array<std::string, 9> utf8;
    for (std::size_t i = 0; i < names.size(); ++i) {
        utf8[i] = DecodeCp1252(names[i]);
    }
    status_->SetStatusRowTitles(which, utf8);
}

void TMainForm::DownloadProgress(int done, int total) {
    if (total <= 0 || done >= total) {
        downloadProgress_->hide();
        return;
    }
    downloadProgress_->setRange(0, total);
    downloadProgress_->setValue(done);
    downloadProgress_->show();
}

}  // namespace valdro::ui
