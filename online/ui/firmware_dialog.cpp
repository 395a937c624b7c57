#include "online/ui/firmware_dialog.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/configuration.h"
#include "document/codes.h"
#include "document/ptp_doc.h"
#include "host/messages.h"
#include "host/registry.h"
#include "online/update_files.h"
#include "resources/strings.h"

namespace {

// The dialog's texts: German, and English for a CP 830 in language E.
struct Texts {
    const char* title;
    const char* moduleInfo;
    const char* moduleVersion;
    const char* sources;
    const char* selectedVersion;
    const char* done;
    const char* find;
    const char* load;
    const char* cancel;
    const char* help;
};
constexpr Texts kGerman{"Firmware-Update", "Baugruppen-Info:  ", "aktueller BG-FW-Stand:",
                        "Quellen für das Firmware-Update  (PG -> BG)", "ausgewählter FW-Stand:", "erledigt:",
                        "&Datei suchen...", "&Firmware laden", "Abbrechen", "Hilfe"};
constexpr Texts kEnglish{"Firmware Update", "Module Info:  ", "Current module firmware status:",
                         "Sources for firmware update  (PG -> module)", "Status of selected firmware:", "Done:",
                         "&Find File...", "&Load Firmware", "Cancel", "Help"};

QString q(const char* s) { return QString::fromUtf8(s); }
QString q(const std::string& s) { return QString::fromStdString(s); }

QString moduleText(int type) {
    if (isCP831(type)) return QStringLiteral(" CP831");
    if (type == kCP731) return QStringLiteral(" CP731");
    return QStringLiteral(" CP830");
}

}  // namespace

// What the transfer shows goes to the message service and into the dialog's fields.
class CFirmwareDialog::View : public online::HostFirmwareView {
public:
    explicit View(CFirmwareDialog& d) : d_(d) {}
    void SendingStarts() override {
        d_.load_->setEnabled(false);
        d_.find_->setEnabled(false);
        d_.path_->setEnabled(false);
    }
    void Progress(int percent) override {
        d_.percent_->setText(QString::number(percent));
        d_.progress_->setValue(percent);
    }
    void Diagnostic(int control, const std::string& text) override { d_.setDiagnostic(control, q(text)); }

private:
    CFirmwareDialog& d_;
};

CFirmwareDialog::CFirmwareDialog(CPtpDoc& doc, bool first, bool second, host::Registry* registry, QWidget* parent)
    : QDialog(parent), doc_(doc), model_{first, second}, registry_(registry) {
    if (!registry_) {
        ownRegistry_ = std::make_unique<host::IniRegistry>(config::ProgramFolder());
        registry_ = ownRegistry_.get();
    }
    setObjectName(QStringLiteral("firmwareDialog"));
    const bool english = doc.m_nModuleType == kCP830 && doc.App().language == 'E';
    const Texts& t = english ? kEnglish : kGerman;
    setWindowTitle(q(t.title));

    auto* outer = new QVBoxLayout(this);

    auto* module = new QGroupBox(this);
    auto* moduleGrid = new QGridLayout(module);
    auto* infoLabel = new QLabel(q(t.moduleInfo), module);
    infoLabel->setObjectName(QStringLiteral("moduleInfoLabel"));
    moduleLabel_ = new QLabel(moduleText(doc.m_nModuleType), module);
    moduleLabel_->setObjectName(QStringLiteral("moduleLabel"));
    auto* versionLabel = new QLabel(q(t.moduleVersion), module);
    versionLabel->setObjectName(QStringLiteral("moduleVersionLabel"));
    moduleVersion_ = new QLabel(q(online::kNoVersion), module);
    moduleVersion_->setObjectName(QStringLiteral("moduleVersion"));
    moduleVersion_->setFrameShape(QFrame::StyledPanel);
    moduleGrid->addWidget(infoLabel, 0, 0);
    moduleGrid->addWidget(moduleLabel_, 0, 1);
    moduleGrid->addWidget(versionLabel, 1, 0);
    moduleGrid->addWidget(moduleVersion_, 1, 1);
    moduleGrid->setColumnStretch(1, 1);
    outer->addWidget(module);

    auto* sources = new QGroupBox(q(t.sources), this);
    sources->setObjectName(QStringLiteral("sources"));
    auto* sourceGrid = new QGridLayout(sources);
    path_ = new QLineEdit(sources);
    path_->setObjectName(QStringLiteral("indexPath"));
    path_->setMaxLength(118);
    path_->setMinimumWidth(path_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    find_ = new QPushButton(q(t.find), sources);
    find_->setObjectName(QStringLiteral("findFile"));
    auto* selectedLabel = new QLabel(q(t.selectedVersion), sources);
    selectedLabel->setObjectName(QStringLiteral("selectedVersionLabel"));
    selectedVersion_ = new QLabel(q(online::kNoVersion), sources);
    selectedVersion_->setObjectName(QStringLiteral("selectedVersion"));
    selectedVersion_->setFrameShape(QFrame::StyledPanel);
    sourceGrid->addWidget(path_, 0, 0, 1, 2);
    sourceGrid->addWidget(find_, 0, 2);
    sourceGrid->addWidget(selectedLabel, 1, 0);
    sourceGrid->addWidget(selectedVersion_, 1, 1, 1, 2);
    sourceGrid->setColumnStretch(1, 1);
    outer->addWidget(sources);

    auto* transfer = new QGridLayout;
    load_ = new QPushButton(q(t.load), this);
    load_->setObjectName(QStringLiteral("loadFirmware"));
    auto* doneLabel = new QLabel(q(t.done), this);
    doneLabel->setObjectName(QStringLiteral("doneLabel"));
    percent_ = new QLabel(QStringLiteral("0"), this);
    percent_->setObjectName(QStringLiteral("percent"));
    percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    percent_->setMinimumWidth(percent_->fontMetrics().horizontalAdvance(QStringLiteral("100")));
    auto* percentSign = new QLabel(QStringLiteral("%"), this);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    transfer->addWidget(load_, 0, 0);
    transfer->addWidget(doneLabel, 0, 1);
    transfer->addWidget(percent_, 0, 2);
    transfer->addWidget(percentSign, 0, 3);
    transfer->addWidget(progress_, 0, 4);
    transfer->setColumnStretch(4, 1);
    outer->addLayout(transfer);

    // The diagnostic fields, shown only when the update set asks for them.
    auto* diag = new QGridLayout;
    const std::pair<int, std::pair<int, int>> cells[] = {
        {1440, {0, 0}}, {1442, {0, 1}}, {1441, {0, 2}}, {1443, {0, 3}},
        {1437, {1, 0}}, {1436, {1, 1}}, {1438, {1, 2}}, {1439, {1, 3}}, {1448, {1, 4}},
    };
    for (const auto& [id, cell] : cells) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("diag%1").arg(id));
        label->hide();
        diag->addWidget(label, cell.first, cell.second);
        diagnostics_[id] = label;
    }
    outer->addLayout(diag);

    auto* buttons = new QHBoxLayout;
    cancel_ = new QPushButton(q(t.cancel), this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    auto* helpButton = new QPushButton(q(t.help), this);
    helpButton->setObjectName(QStringLiteral("help"));
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(helpButton);
    outer->addLayout(buttons);

    // Enter presses nothing here: no button is the default.
    for (QPushButton* b : {find_, load_, cancel_, helpButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    setTabOrder(path_, find_);
    setTabOrder(find_, load_);
    setTabOrder(load_, cancel_);
    setTabOrder(cancel_, helpButton);

    connect(find_, &QPushButton::clicked, this, &CFirmwareDialog::findFile);
    connect(load_, &QPushButton::clicked, this, &CFirmwareDialog::StartTransfer);
    connect(cancel_, &QPushButton::clicked, this, &CFirmwareDialog::reject);
    connect(helpButton, &QPushButton::clicked, this, [this] {
        if (help) help();
    });
    connect(path_, &QLineEdit::editingFinished, this, &CFirmwareDialog::showSelected);

    view_ = std::make_unique<View>(*this);
    SetIndexPath(q(online::ReadFirmwarePath(*registry_)));
}

CFirmwareDialog::~CFirmwareDialog() = default;

void CFirmwareDialog::SetIndexPath(const QString& path) {
    path_->setText(path);
    showSelected();
    // a path that names no index file is not offered
    if (!online::SelectUpdateSet(path.toStdString()).valid) path_->clear();
}

void CFirmwareDialog::showSelected() {
    selectedVersion_->setText(q(online::SelectUpdateSet(path_->text().toStdString()).version));
}

void CFirmwareDialog::ShowModuleVersion(const std::optional<std::string>& version) {
    moduleVersion_->setText(q(version.value_or(online::kNoVersion)));
}

void CFirmwareDialog::ReadModule() {
    AUTSetErrorTitle(res::text(online::kFwCaption));
    const online::ModuleInfo info = online::ReadModuleInfo(doc_);
    doc_.m_bFirmwareMissing = 0;
    moduleWithoutFirmware_ = false;
    if (!info.connected) {
        ShowModuleVersion(std::nullopt);
        host::showMessage(res::text(online::kFwCaption), online::kFwNotConnected);
        return;
    }
    ShowModuleVersion(info.version);
    if (!info.version) {
        doc_.m_bFirmwareMissing = 1;
        moduleWithoutFirmware_ = true;
    }
}

void CFirmwareDialog::findFile() {
    QString chosen;
    if (chooseFile) {
        chosen = chooseFile(this);
    } else {
        QFileDialog dialog(this);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters({QStringLiteral("UpDate-File (header.upd)"), QStringLiteral("ALL Files (*.*)")});
        dialog.selectFile(QStringLiteral("header.upd"));
        dialog.setOption(QFileDialog::ReadOnly, false);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) chosen = dialog.selectedFiles().first();
    }
    if (chosen.isEmpty()) return;
    if (!QFile::exists(chosen) || !QFileInfo(chosen).isFile()) {
        host::showMessage(res::text(online::kFwCaption), 2021);
        return;
    }
    SetIndexPath(chosen);
}

void CFirmwareDialog::setDiagnostic(int control, const QString& text) {
    auto it = diagnostics_.find(control);
    if (it == diagnostics_.end()) return;
    it->second->setText(text);
    it->second->show();
}

void CFirmwareDialog::StartTransfer() {
    if (transfer_) return;
    doc_.m_bFirmwareMissing = 0;
    online::FirmwareTarget target;
    target.smallRecord = model_.first;
    target.moduleAddress = online::FirmwareModuleAddress(doc_);
    target.mpiAddress = doc_.m_nStationAddress;
    target.moduleWithoutFirmware = moduleWithoutFirmware_;
    connection_ = std::make_unique<online::FirmwareConnection>(doc_, online::FirmwareConnection::Purpose::Transfer);
    transfer_ = std::make_unique<online::FirmwareTransfer>(connection_->Channel(), target, path_->text().toStdString(),
                                                           *view_, registry_);
    step();
}

void CFirmwareDialog::step() {
    if (!transfer_) return;
    const online::FirmwareTransfer::Step s = transfer_->Next();
    if (s.done) {
        finish();
        return;
    }
    QTimer::singleShot(s.waitMs, this, &CFirmwareDialog::step);
}

void CFirmwareDialog::finish() {
    const online::FirmwareTransfer::Outcome outcome = transfer_->Result();
    transfer_.reset();
    connection_.reset();
    doc_.m_bFirmwareMissing = outcome.firmwareMissing ? 1 : 0;
    if (outcome.closeDialog) {
        done(outcome.success ? QDialog::Accepted : QDialog::Rejected);
        return;
    }
    load_->setEnabled(true);
    find_->setEnabled(true);
    path_->setEnabled(true);
}

void CFirmwareDialog::reject() {
    // during a transfer Cancel only asks it to end; it ends at its next poll
    if (transfer_) {
        transfer_->Cancel();
        return;
    }
    QDialog::reject();
}

void CFirmwareDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CFirmwareDialog::closeEvent(QCloseEvent* event) {
    if (transfer_) {
        transfer_->Cancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void OpenFirmwareDialog(CPtpDoc& doc, QWidget* parent, bool first, bool second) {
    CFirmwareDialog dialog(doc, first, second, nullptr, parent);
    dialog.ReadModule();
    dialog.exec();
}
