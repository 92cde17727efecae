#pragma once
// The "General" page: network settings and the per-input and per-output flags of
// the unit on screen. It never edits the configuration live: the window copies
// between the page and the unit's record with ShowFields/FinishShow (show) and
// StoreFields (store).

#include <QWidget>
#include <array>
#include <cstddef>
#include <functional>

#include "config/config_set.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QFrame;

namespace valdro::ui {

class DialogProvider;
class HtmlCheckBox;
class TypedLengthLimit;

inline constexpr int kDeviceNameMaxChars = 32;
inline constexpr int kUrlMaxChars = 44;

inline const QString kSlaveEnabledCaption =
    QStringLiteral("<FONT bgcolor=\"#00FF00\">Slave Enabled</FONT>");
inline const QString kSlaveDisabledCaption =
    QStringLiteral("<FONT bgcolor=\"#FF0000\">Slave Disabled</FONT>");
inline const QString kDownloadCaptionPrefix = QStringLiteral("Download to ORVELIX ");

class GeneralPage : public QWidget {
    Q_OBJECT
  public:
    using Octets4 = std::array<QLineEdit*, 4>;
    using Boxes16 = std::array<QCheckBox*, 16>;

    // currentUnit reads the window's CurrentUnit (the unit on screen).
    explicit GeneralPage(std::function<int()> currentUnit, QWidget* parent = nullptr);

    // Show: visibility by unit, then every field of the record (ShowUnit steps 2..7).
    void ShowFields(ConstUnitRecord unit, int unitIndex);
    // Show, after the output page was loaded: download button, address mode and the
    // slave-enabled caption (ShowUnit steps 9..12).
    void FinishShow(ConstUnitRecord unit, int unitIndex);
    // Store every control into the record, checking the four address rows; one
    // error per invalid row, in the order IP, gateway, subnet, DNS.
    void StoreFields(UnitRecord unit, DialogProvider& dialogs);

    // Event handlers.
    void SlaveEnabledHTMLCheckBoxClick();
    void DeviceNameEditChange();
    void InvertInputsCheckAllButtonClick();
    void InvertInputsCheckNoneButtonClick();
    void InvertOutputsCheckAllButtonClick();
    void InvertOutputsCheckNoneButtonClick();
    void OutputStartStatusCheckAllButtonClick();
    void OutputStartStatusCheckNoneButtonClick();

    HtmlCheckBox* slaveEnabled;
    QGroupBox* ipDataGroup;
    QCheckBox* dhcpEnable;
    Octets4 ipAddr;
    Octets4 gatewayAddr;
    Octets4 subMaskAddr;
    QLineEdit* deviceNameEdit;
    QLabel* portLabel;
    QSpinBox* clientPort;
    Octets4 dnsAddress;
    QGroupBox* addressModeGroup;
    QRadioButton* addressModeIP;
    QRadioButton* addressModeURL;
    QFrame* urlPanel;
    QLineEdit* urlEdit;
    QGroupBox* invertInputsGroup;
    QGroupBox* invertOutputsGroup;
    QGroupBox* outputStartStatusGroup;
    Boxes16 invertInputs;
    Boxes16 invertOutputs;
    Boxes16 outputStartStatus;
    QPushButton* downloadButton;

  private:
    using Handler = void (GeneralPage::*)();
    QGroupBox* MakeFlagGroup(const char* name, const char* title, int top, const char* prefix,
                             Boxes16& boxes, const char* allName, const char* allCaption,
                             Handler onAll, const char* noneName, const char* noneCaption,
                             Handler onNone);
    Octets4 MakeOctetRow(QWidget* parent, const char* labelName, const char* label,
                         const char* editPattern, int top);

    std::function<int()> currentUnit_;
    TypedLengthLimit* deviceNameLimit_;
    TypedLengthLimit* urlLimit_;
};

}  // namespace valdro::ui
