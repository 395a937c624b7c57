// The sample loadable driver "Beispieltreiber": the library the program loads for it.
// It stands for the driver packages that come with a module's driver; the program relies on
// its three exports and their arguments alone, never on what it shows or stores.
//
// Its own data area, layout 1 (8 bytes, numbers big-endian):
//   0..1  "BT"   marks the area as this driver's
//   2     1      layout version
//   3     8      bytes of the layout
//   4..5         station address, 1..247
//   6..7         timeout in ms, 10..60000
// An area that is shorter, carries another mark or version, or holds a value out of range
// is read as the defaults.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>

#include "document/driver_abi.h"

#define SAMPLE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr uint8_t kLayoutVersion = 1;
constexpr uint32_t kLayoutSize = 8;
constexpr int kStationMin = 1, kStationMax = 247, kStationDefault = 1;
constexpr int kTimeoutMin = 10, kTimeoutMax = 60000, kTimeoutDefault = 1000;

struct Settings {
    int station = kStationDefault;
    int timeoutMs = kTimeoutDefault;
    bool operator==(const Settings&) const = default;
};

Settings readSettings(const PtpDriverData* data) {
    Settings s;
    if (!data || !data->data || !data->length || *data->length < kLayoutSize || data->capacity < kLayoutSize)
        return s;
    const uint8_t* p = data->data;
    if (p[0] != 'B' || p[1] != 'T' || p[2] != kLayoutVersion || p[3] != kLayoutSize) return s;
    const int station = p[4] << 8 | p[5];
    const int timeout = p[6] << 8 | p[7];
    if (station >= kStationMin && station <= kStationMax) s.station = station;
    if (timeout >= kTimeoutMin && timeout <= kTimeoutMax) s.timeoutMs = timeout;
    return s;
}

bool writeSettings(PtpDriverData* data, const Settings& s) {
    if (!data || !data->data || !data->length || data->capacity < kLayoutSize) return false;
    uint8_t* p = data->data;
    std::memset(p, 0, kLayoutSize);
    p[0] = 'B';
    p[1] = 'T';
    p[2] = kLayoutVersion;
    p[3] = kLayoutSize;
    p[4] = static_cast<uint8_t>(s.station >> 8);
    p[5] = static_cast<uint8_t>(s.station & 0xFF);
    p[6] = static_cast<uint8_t>(s.timeoutMs >> 8);
    p[7] = static_cast<uint8_t>(s.timeoutMs & 0xFF);
    if (*data->length < kLayoutSize) *data->length = kLayoutSize;
    return true;
}

// An 8-character name that is not terminated, with its trailing blanks and zeros dropped.
std::string name8(const char (&n)[8]) {
    std::string s(n, n + 8);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

std::string driverText(const PtpDriverInfo* info) {
    if (!info) return "-";
    return name8(info->driverName) + " V" + std::to_string(info->driverVerHi) + "." + std::to_string(info->driverVerLo);
}

std::string moduleText(const PtpDriverInfo* info) {
    if (!info) return "-";
    const size_t n = strnlen(info->moduleName, sizeof info->moduleName);
    return n ? std::string(info->moduleName, n) : std::string("-");
}

// A printout item: the label in a column of 42 characters (counted as characters, not
// bytes, so "Zeitüberwachung" lines up with the others), a blank, the value.
std::string item(const std::string& label, const std::string& value) {
    size_t chars = 0;
    for (unsigned char c : label) chars += (c & 0xC0) != 0x80;
    return "  " + label + std::string(chars < 42 ? 42 - chars : 0, ' ') + " " + value;
}

}  // namespace

SAMPLE_EXPORT int DoDefault(CDb* params, PtpDriverInfo* info, PtpDriverData* data) {
    if (params && info) {
        std::memcpy(params->achDriverName, info->driverName, sizeof params->achDriverName);
        params->byDriverVerHi = info->driverVerHi;
        params->byDriverVerLo = info->driverVerLo;
        params->wProtocolId = info->codeType;
    }
    if (params) {
        // 9600 bit/s, even parity, 8 data bits, 1 stop bit
        params->byBaud = 8;
        params->byParity = 2;
        params->byDataBits = 8;
        params->byStopBits = 1;
    }
    writeSettings(data, Settings{});
    return 0;
}

SAMPLE_EXPORT int DoProperty(CDb* params, PtpDriverInfo* info, PtpDriverData* data, void* parent) {
    (void)params;
    // Without a window system there is nothing to show.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    const bool readOnly = info && info->online;
    const Settings before = readSettings(data);

    QDialog dialog(static_cast<QWidget*>(parent));
    dialog.setObjectName("BeispieltreiberDialog");
    dialog.setWindowTitle(QString::fromUtf8("Beispieltreiber"));
    auto* layout = new QVBoxLayout(&dialog);

    auto* about = new QGroupBox(QString::fromUtf8("Treiber"), &dialog);
    auto* aboutForm = new QFormLayout(about);
    auto* driver = new QLabel(QString::fromStdString(driverText(info)), about);
    driver->setObjectName("driverName");
    aboutForm->addRow(QString::fromUtf8("Treiber:"), driver);
    auto* module = new QLabel(QString::fromStdString(moduleText(info)), about);
    module->setObjectName("moduleName");
    aboutForm->addRow(QString::fromUtf8("Baugruppe:"), module);
    layout->addWidget(about);

    auto* settings = new QGroupBox(QString::fromUtf8("Parameter"), &dialog);
    auto* form = new QFormLayout(settings);
    auto* station = new QSpinBox(settings);
    station->setObjectName("stationAddress");
    station->setRange(kStationMin, kStationMax);
    station->setValue(before.station);
    auto* stationLabel = new QLabel(QString::fromUtf8("&Stationsadresse:"), settings);
    stationLabel->setBuddy(station);
    form->addRow(stationLabel, station);
    auto* timeout = new QSpinBox(settings);
    timeout->setObjectName("timeoutMs");
    timeout->setRange(kTimeoutMin, kTimeoutMax);
    timeout->setSingleStep(10);
    timeout->setSuffix(QString::fromUtf8(" ms"));
    timeout->setValue(before.timeoutMs);
    auto* timeoutLabel = new QLabel(QString::fromUtf8("&Zeitüberwachung:"), settings);
    timeoutLabel->setBuddy(timeout);
    form->addRow(timeoutLabel, timeout);
    station->setEnabled(!readOnly);
    timeout->setEnabled(!readOnly);
    layout->addWidget(settings);

    auto* buttons = new QDialogButtonBox(&dialog);
    auto* ok = buttons->addButton(QString::fromUtf8("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName("ok");
    ok->setDefault(true);
    auto* cancel = buttons->addButton(QString::fromUtf8("Abbrechen"), QDialogButtonBox::RejectRole);
    cancel->setObjectName("cancel");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    QWidget::setTabOrder(station, timeout);
    QWidget::setTabOrder(timeout, ok);
    QWidget::setTabOrder(ok, cancel);

    if (dialog.exec() != QDialog::Accepted || readOnly) return 0;
    const Settings after{station->value(), timeout->value()};
    if (after == before) return 0;
    return writeSettings(data, after) ? 1 : 0;
}

SAMPLE_EXPORT int DoDruck(const CDb* params, const PtpDriverInfo* info, const PtpDriverData* data,
                          PtpAddLine addLine, void* lines) {
    (void)params;
    if (!addLine) return 0;
    const Settings s = readSettings(data);
    addLine(lines, item("Treiber", "Beispieltreiber " + driverText(info)).c_str());
    addLine(lines, item("Stationsadresse", std::to_string(s.station)).c_str());
    addLine(lines, item("Zeitüberwachung", std::to_string(s.timeoutMs) + " ms").c_str());
    return 0;
}

// The exports are the functions the program calls through these types.
static_assert(std::is_same_v<decltype(&DoDefault), PtpDoDefault>);
static_assert(std::is_same_v<decltype(&DoProperty), PtpDoProperty>);
static_assert(std::is_same_v<decltype(&DoDruck), PtpDoDruck>);
