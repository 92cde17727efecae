#include "ui/main_form.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include "device/protocol_engine.h"
#include "ui/bottom_panel.h"
#include "ui/colour_grid.h"
#include "ui/general_page.h"
#include "ui/help/help_launcher.h"
#include "ui/output_control_page.h"
#include "ui/status_page.h"
#include "ui/unit_selector.h"

namespace valdro::ui {

namespace {
constexpr int kPagesHeight = 505;
constexpr int kSelectorHeight = 16;
constexpr int kPanelHeight = 85;
static_assert(kPagesHeight + kSelectorHeight + kPanelHeight == kClientHeight);
}  // namespace

TMainForm::TMainForm(HidPlatform& platform, MainFormOptions options, QWidget* parent)
    : QWidget(parent), helpFileOverride_(std::move(options.helpFilePath)) {
    setObjectName(QStringLiteral("MainForm"));
    if (options.dialogs != nullptr) {
        dialogs_ = options.dialogs;
    } else {
        ownDialogs_ = std::make_unique<QtDialogProvider>(this);
        dialogs_ = ownDialogs_.get();
    }

    // Tahoma where it is installed; fontconfig substitutes a sans face elsewhere.
    QFont f(QStringLiteral("Tahoma"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(kClientWidth, kClientHeight);

    const QString filter = QStringLiteral("Data Files (*.dat)");
    const QString all = QStringLiteral("All Files (*.*)");
    openDialog1_.nameFilters = {filter, all};
    saveDialog1_.nameFilters = {filter, all};
    saveDialog1_.defaultSuffix = QStringLiteral("dat");

    auto currentUnit = [this] { return currentUnit_; };
    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    pageControl_->setGeometry(0, 0, kClientWidth, kPagesHeight);
    general_ = new GeneralPage(currentUnit);
    output_ = new OutputControlPage(store_.Current(), currentUnit);
    status_ = new StatusPage;
    pageControl_->addTab(general_, QStringLiteral("General"));
    pageControl_->addTab(output_, QStringLiteral("Output Control"));
    pageControl_->addTab(status_, QStringLiteral("Status"));

    selector_ = new UnitSelector(this);
    selector_->setGeometry(0, kPagesHeight, kClientWidth, kSelectorHeight);
    panel_ = new BottomPanel(this);
    panel_->setGeometry(0, kPagesHeight + kSelectorHeight, kClientWidth, kPanelHeight);

    // Download progress, shown only while a download runs.
    downloadProgress_ = new QProgressBar(panel_);
    downloadProgress_->setObjectName(QStringLiteral("DownloadProgressBar"));
    downloadProgress_->setGeometry(772, 28, 100, 17);
    downloadProgress_->setTextVisible(false);
    downloadProgress_->hide();

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(50);
    timer1_->setTimerType(Qt::PreciseTimer);

    engine_ = std::make_unique<ProtocolEngine>(platform, linkView_, *this);

    connect(selector_, &UnitSelector::MouseUp, this, &TMainForm::DisplayTabSetMouseUp);
    connect(selector_, &UnitSelector::KeyboardChange, this, &TMainForm::DisplayTabSetMouseUp);
    connect(pageControl_, &QTabWidget::currentChanged, this, [this](int index) {
        if (pageControl_->widget(index) == output_) {
            OutputControlTabSheetShow();
        }
    });
    connect(panel_->loadButton, &QPushButton::clicked, this, &TMainForm::LoadButtonClick);
    connect(panel_->saveButton, &QPushButton::clicked, this, &TMainForm::SaveButtonClick);
    connect(panel_->helpButton, &QPushButton::clicked, this, &TMainForm::HelpButtonClick);
    connect(panel_->exitButton, &QPushButton::clicked, this, &TMainForm::ExitButtonClick);
    connect(general_->downloadButton, &QPushButton::clicked, this, &TMainForm::DownloadButtonClick);
    connect(status_->connectButton, &QPushButton::clicked, this,
            &TMainForm::StatusConnectButtonClick);
    connect(timer1_, &QTimer::timeout, this, &TMainForm::Timer1Timer);

    // Keyboard order: the pages, the unit strip, then the bottom buttons.
    setTabOrder(pageControl_, selector_);
    setTabOrder(selector_, panel_->loadButton);

    FormCreate();
    timer1_->start();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

TMainForm::~TMainForm() {
    if (engine_) {
        engine_->Shutdown();
    }
}

int TMainForm::CurrentOutput() const {
    return output_->CurrentOutput();
}

void TMainForm::FormCreate() {
    setWindowTitle(kWindowTitle);
    // The link starts idle (nothing awaited, no countdowns): the engine is new.
    store_.SetDefaults();
    store_.MarkSaved();
    selector_->setCurrentIndex(0);
    ShowUnit();
    SetUpGrids();
    pageControl_->setCurrentWidget(general_);
    HelpSetUp();
}

void TMainForm::StorePage() {
    general_->StoreFields(store_.Current().Unit(currentUnit_), *dialogs_);
    output_->StoreOutputPage();
}

void TMainForm::ShowUnit() {
    currentUnit_ = selector_->currentIndex();
    const ConfigSet& config = store_.Current();
    general_->ShowFields(config.Unit(currentUnit_), currentUnit_);
    output_->LoadOutputPage();
    general_->FinishShow(config.Unit(currentUnit_), currentUnit_);
}

void TMainForm::SetUpGrids() {
    for (ColourGrid* g : {output_->inputMap, status_->inputStatus, status_->outputStatus}) {
        g->setColumnWidth(0, 100);
    }
    status_->outputStatus->setRowHeight(0, 25);
    status_->inputStatus->setRowHeight(0, 25);
    for (int n = 1; n <= 16; ++n) {
        for (ColourGrid* g : {output_->inputMap, status_->inputStatus, status_->outputStatus}) {
            g->SetCellText(n, 0, QString::number(n));
        }
    }
    output_->RefreshMapRowTitles();
}

void TMainForm::DisplayTabSetMouseUp() {
    // CurrentUnit still names the unit on screen: store into it, then show the new one.
    StorePage();
    ShowUnit();
}

void TMainForm::OutputControlTabSheetShow() {
    StorePage();
    output_->RefreshMapRowTitles();
    output_->RefreshResetDeviceList();
}

bool TMainForm::FormCloseQuery() {
    StorePage();
    if (!store_.HasChanged()) {
        return true;
    }
    switch (dialogs_->Confirm(kDataChangedQuestion)) {
        case DialogProvider::Answer::Yes:
            // A cancelled or failed save keeps the window open: nothing is lost.
            return SaveDataFile();
        case DialogProvider::Answer::No:
            return true;
        case DialogProvider::Answer::Cancel:
            break;
    }
    return false;
}

void TMainForm::FormClose() {
    HelpShutDown();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    timer1_->stop();
    engine_->Shutdown();
    event->accept();
}

void TMainForm::ExitButtonClick() {
    close();
}

}  // namespace valdro::ui
