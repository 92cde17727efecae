#include "ui/general_page.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "ui/dialog_provider.h"
#include "ui/html_check_box.h"
#include "ui/octet_text.h"
#include "ui/typed_length_limit.h"

namespace valdro::ui {
namespace {

QString Name(const char* s) {
    return QString::fromLatin1(s);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int left, int top) {
    auto* l = new QLabel(Name(text), parent);
    l->setObjectName(Name(name));
    l->move(left, top);
    l->adjustSize();
    return l;
}

QString Utf8(const std::string& s) {
    return QString::fromStdString(s);
}

// Reads one row of four octet boxes into the record, octet by octet. On the first
// box that does not hold an octet the row's message is shown and the row is left:
// the octets already read stay, that one and the rest keep their values.
void StoreOctetRow(const GeneralPage::Octets4& edits, UnitRecord& unit, std::size_t field,
                   bool emptyIsZero, const QString& message, DialogProvider& dialogs) {
    for (int i = 0; i < 4; ++i) {
        const QString text = edits[static_cast<std::size_t>(i)]->text();
        std::optional<std::uint8_t> octet;
        if (emptyIsZero && text.isEmpty()) {
            octet = 0;
        } else {
            octet = ParseOctet(text);
        }
        if (!octet) {
            dialogs.Error(message);
            return;
        }
        unit.SetOctet(field, i, *octet);
    }
}

void ShowOctets(const GeneralPage::Octets4& edits, const Octets& value) {
    for (std::size_t i = 0; i < 4; ++i) {
        edits[i]->setText(QString::number(value[i]));
    }
}

void SetAll(const GeneralPage::Boxes16& boxes, bool checked) {
    for (QCheckBox* b : boxes) {
        b->setChecked(checked);
    }
}

}  // namespace

GeneralPage::GeneralPage(std::function<int()> currentUnit, QWidget* parent)
    : QWidget(parent), currentUnit_(std::move(currentUnit)) {
    setObjectName(QStringLiteral("GeneralTabSheet"));

    slaveEnabled = new HtmlCheckBox(HtmlCheckBox::TextSide::Left, this);
    slaveEnabled->setObjectName(QStringLiteral("SlaveEnabledHTMLCheckBox"));
    slaveEnabled->SetCaption(kSlaveDisabledCaption);
    slaveEnabled->setGeometry(8, 6, 200, 20);
    connect(slaveEnabled, &HtmlCheckBox::Clicked, this,
            &GeneralPage::SlaveEnabledHTMLCheckBoxClick);

    ipDataGroup = new QGroupBox(QStringLiteral("IP Data"), this);
    ipDataGroup->setObjectName(QStringLiteral("AdvGroupBox1"));
    ipDataGroup->setGeometry(8, 30, 281, 402);

    dhcpEnable = new QCheckBox(QStringLiteral("Get Address Automatically"), ipDataGroup);
    dhcpEnable->setObjectName(QStringLiteral("DHCPEnableJvCheckBox"));
    dhcpEnable->setGeometry(16, 22, 220, 18);

    ipAddr = MakeOctetRow(ipDataGroup, "Label1", "IP Address", "IPAddr%1Edit", 48);
    gatewayAddr = MakeOctetRow(ipDataGroup, "Label2", "Gateway Address", "GateWayAddr%1Edit", 80);
    subMaskAddr = MakeOctetRow(ipDataGroup, "Label3", "Submask", "SubMaskAddr%1Edit", 112);

    MakeLabel(ipDataGroup, "Label4", "Device Name", 16, 148);
    deviceNameEdit = new QLineEdit(ipDataGroup);
    deviceNameEdit->setObjectName(QStringLiteral("DeviceNameEdit"));
    deviceNameEdit->setGeometry(112, 144, 153, 21);
    deviceNameLimit_ = new TypedLengthLimit(kDeviceNameMaxChars, deviceNameEdit);
    connect(deviceNameEdit, &QLineEdit::textChanged, this, &GeneralPage::DeviceNameEditChange);

    portLabel = MakeLabel(ipDataGroup, "PortLabel", "Port Number", 16, 180);
    clientPort = new QSpinBox(ipDataGroup);
    clientPort->setObjectName(QStringLiteral("ClientPortCSpinEdit"));
    clientPort->setRange(1, 65535);
    clientPort->setGeometry(112, 176, 81, 22);

    dnsAddress = MakeOctetRow(ipDataGroup, "Label10", "DNS Address", "DNSAddressEdit%1", 208);

    addressModeGroup = new QGroupBox(QStringLiteral("Address Mode"), ipDataGroup);
    addressModeGroup->setObjectName(QStringLiteral("AddressModeGroupBox"));
    addressModeGroup->setGeometry(16, 242, 249, 148);
    addressModeIP = new QRadioButton(QStringLiteral("IP Address"), addressModeGroup);
    addressModeIP->setObjectName(QStringLiteral("AddressModeIPRadioButton"));
    addressModeIP->setGeometry(16, 22, 140, 18);
    addressModeURL = new QRadioButton(QStringLiteral("URL"), addressModeGroup);
    addressModeURL->setObjectName(QStringLiteral("AddressModeURLRadioButton"));
    addressModeURL->setGeometry(16, 46, 140, 18);
    urlPanel = new QFrame(addressModeGroup);
    urlPanel->setObjectName(QStringLiteral("URLPanel"));
    urlPanel->setFrameShape(QFrame::StyledPanel);
    urlPanel->setGeometry(8, 80, 233, 58);
    MakeLabel(urlPanel, "Label5", "URL", 8, 20);
    urlEdit = new QLineEdit(urlPanel);
    urlEdit->setObjectName(QStringLiteral("URLEdit"));
    urlEdit->setGeometry(40, 16, 185, 21);
    urlLimit_ = new TypedLengthLimit(kUrlMaxChars, urlEdit);

    downloadButton = new QPushButton(this);
    downloadButton->setObjectName(QStringLiteral("DownloadButton"));
    downloadButton->setGeometry(3, 440, 291, 25);
    downloadButton->setAutoDefault(false);

    invertInputsGroup =
        MakeFlagGroup("AdvGroupBox4", "Invert Inputs", 6, "InvertInputsJvCheckBox", invertInputs,
                      "InvertInputsCheckAllButton", "Invert All",
                      &GeneralPage::InvertInputsCheckAllButtonClick, "InvertInputsCheckNoneButton",
                      "Invert None", &GeneralPage::InvertInputsCheckNoneButtonClick);
    invertOutputsGroup = MakeFlagGroup(
        "AdvGroupBox3", "Invert Outputs", 145, "InvertOutputsJvCheckBox", invertOutputs,
        "InvertOutputsCheckAllButton", "Invert All", &GeneralPage::InvertOutputsCheckAllButtonClick,
        "InvertOutputsCheckNoneButton", "Invert None",
        &GeneralPage::InvertOutputsCheckNoneButtonClick);
    outputStartStatusGroup = MakeFlagGroup(
        "OutputStartStatusAdvGroupBox", "Output Start Status", 284, "OutputStartStatusJvCheckBox",
        outputStartStatus, "OutputStartStatusCheckAllButton", "All Active",
        &GeneralPage::OutputStartStatusCheckAllButtonClick, "OutputStartStatusCheckNoneButton",
        "None Active", &GeneralPage::OutputStartStatusCheckNoneButtonClick);

    // The download button comes after the address controls in the keyboard order.
    setTabOrder(urlEdit, downloadButton);
    setTabOrder(downloadButton, invertInputs[0]);
}

GeneralPage::Octets4 GeneralPage::MakeOctetRow(QWidget* parent, const char* labelName,
                                               const char* label, const char* editPattern,
                                               int top) {
    MakeLabel(parent, labelName, label, 16, top + 4);
    Octets4 edits{};
    for (int i = 0; i < 4; ++i) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(Name(editPattern).arg(i + 1));
        e->setGeometry(118 + i * 38, top, 33, 21);
        e->setAlignment(Qt::AlignRight);
        edits[static_cast<std::size_t>(i)] = e;
    }
    return edits;
}

QGroupBox* GeneralPage::MakeFlagGroup(const char* name, const char* title, int top,
                                      const char* prefix, Boxes16& boxes, const char* allName,
                                      const char* allCaption, Handler onAll, const char* noneName,
                                      const char* noneCaption, Handler onNone) {
    auto* g = new QGroupBox(Name(title), this);
    g->setObjectName(Name(name));
    g->setGeometry(330, top, 345, 129);
    for (int k = 0; k < 16; ++k) {
        auto* b = new QCheckBox(QString::number(k + 1), g);
        b->setObjectName(Name(prefix) + QString::number(k + 1));
        b->setGeometry(16 + (k % 8) * 40, 24 + (k / 8) * 28, 40, 20);
        boxes[static_cast<std::size_t>(k)] = b;
    }
    auto* all = new QPushButton(Name(allCaption), g);
    all->setObjectName(Name(allName));
    all->setGeometry(60, 94, 100, 25);
    all->setAutoDefault(false);
    auto* none = new QPushButton(Name(noneCaption), g);
    none->setObjectName(Name(noneName));
    none->setGeometry(184, 94, 100, 25);
    none->setAutoDefault(false);
    connect(all, &QPushButton::clicked, this, onAll);
    connect(none, &QPushButton::clicked, this, onNone);
    return g;
}

void GeneralPage::ShowFields(ConstUnitRecord unit, int unitIndex) {
    const bool master = unitIndex == 0;
    slaveEnabled->setVisible(!master);
    dhcpEnable->setVisible(master);
    addressModeGroup->setVisible(!master);
    outputStartStatusGroup->setVisible(!master);
    portLabel->setVisible(!master);
    clientPort->setVisible(!master);

    slaveEnabled->SetChecked(unit.SlaveEnabled());
    ShowOctets(ipAddr, unit.IPAddr());
    ShowOctets(gatewayAddr, unit.GateWayAddr());
    ShowOctets(subMaskAddr, unit.SubMaskAddr());
    ShowOctets(dnsAddress, unit.DNSAddress());
    deviceNameLimit_->SetText(Utf8(unit.DeviceName()));
    urlLimit_->SetText(Utf8(unit.URL()));
    dhcpEnable->setChecked(unit.DHCPEnable());
    clientPort->setValue(unit.ClientPort());
    for (int k = 0; k < 16; ++k) {
        const auto i = static_cast<std::size_t>(k);
        invertInputs[i]->setChecked(unit.InvertInput(k));
        invertOutputs[i]->setChecked(unit.InvertOutput(k));
        outputStartStatus[i]->setChecked(unit.OutputStartStatus(k));
    }
}

void GeneralPage::FinishShow(ConstUnitRecord unit, int unitIndex) {
    downloadButton->setText(kDownloadCaptionPrefix + Utf8(unit.DeviceName()));
    downloadButton->setEnabled(slaveEnabled->IsChecked() || unitIndex == 0);
    // Any other mode value (only a data file can hold one) leaves the buttons be.
    if (unit.AddressMode() == 0) {
        addressModeIP->setChecked(true);
    } else if (unit.AddressMode() == 1) {
        addressModeURL->setChecked(true);
    }
    SlaveEnabledHTMLCheckBoxClick();
}

void GeneralPage::StoreFields(UnitRecord unit, DialogProvider& dialogs) {
    if (!dhcpEnable->isChecked()) {
        StoreOctetRow(ipAddr, unit, field::IPAddr, false, QStringLiteral("Invalid IP Address"),
                      dialogs);
    }
    unit.SetSlaveEnabled(slaveEnabled->IsChecked());
    StoreOctetRow(gatewayAddr, unit, field::GateWayAddr, false,
                  QStringLiteral("Invalid Gateway Address"), dialogs);
    StoreOctetRow(subMaskAddr, unit, field::SubMaskAddr, false,
                  QStringLiteral("Invalid Subnet Mask"), dialogs);
    StoreOctetRow(dnsAddress, unit, field::DNSAddress, true, QStringLiteral("Invalid DNS Address"),
                  dialogs);
    unit.SetDeviceName(deviceNameEdit->text().toStdString());
    unit.SetURL(urlEdit->text().toStdString());
    unit.SetDHCPEnable(dhcpEnable->isChecked());
    unit.SetClientPort(clientPort->value());
    if (addressModeIP->isChecked()) {
        unit.SetAddressMode(0);
    } else if (addressModeURL->isChecked()) {
        unit.SetAddressMode(1);
    }
    for (int k = 0; k < 16; ++k) {
        unit.SetInvertInput(k, invertInputs[static_cast<std::size_t>(k)]->isChecked());
    }
    for (int k = 0; k < 16; ++k) {
        unit.SetInvertOutput(k, invertOutputs[static_cast<std::size_t>(k)]->isChecked());
    }
    for (int k = 0; k < 16; ++k) {
        unit.SetOutputStartStatus(k, outputStartStatus[static_cast<std::size_t>(k)]->isChecked());
    }
}

void GeneralPage::SlaveEnabledHTMLCheckBoxClick() {
    slaveEnabled->SetCaption(slaveEnabled->IsChecked() ? kSlaveEnabledCaption
                                                       : kSlaveDisabledCaption);
    downloadButton->setEnabled(slaveEnabled->IsChecked() || currentUnit_() == 0);
}

void GeneralPage::InvertInputsCheckAllButtonClick() {
    SetAll(invertInputs, true);
}
void GeneralPage::InvertInputsCheckNoneButtonClick() {
    SetAll(invertInputs, false);
}
void GeneralPage::InvertOutputsCheckAllButtonClick() {
    SetAll(invertOutputs, true);
}
void GeneralPage::InvertOutputsCheckNoneButtonClick() {
    SetAll(invertOutputs, false);
}
void GeneralPage::OutputStartStatusCheckAllButtonClick() {
    SetAll(outputStartStatus, true);
}
void GeneralPage::OutputStartStatusCheckNoneButtonClick() {
    SetAll(outputStartStatus, false);
}

void GeneralPage::DeviceNameEditChange() {
    downloadButton->setText(kDownloadCaptionPrefix + deviceNameEdit->text());
}

}  // namespace valdro::ui
