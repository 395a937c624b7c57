#include "online/ui/driver_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "document/codes.h"
#include "document/ptp_doc.h"
#include "online/driver_load.h"
#include "online/online_connection.h"
#include "online/ui/driver_progress_dialog.h"
#include "online/ui/pump.h"

namespace {

QLineEdit* field(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    // room for a driver name of 8 characters and a little more
    e->setMinimumWidth(e->fontMetrics().averageCharWidth() * 14);
    return e;
}

// A group of a driver's name and version: "Treiber-Name:" and "Treiber-Version:".
QGroupBox* driverGroup(const QString& title, const char* name, QLineEdit* nameField, QLineEdit* versionField,
                       QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    auto* grid = new QGridLayout(box);
    auto* nameLabel = new QLabel(QStringLiteral("Treiber-Name:"), box);
    auto* versionLabel = new QLabel(QStringLiteral("Treiber-Version:"), box);
    nameLabel->setObjectName(QString::fromLatin1(name) + "NameLabel");
    versionLabel->setObjectName(QString::fromLatin1(name) + "VersionLabel");
    nameLabel->setBuddy(nameField);
    versionLabel->setBuddy(versionField);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(nameField, 0, 1);
    grid->addWidget(versionLabel, 1, 0);
    grid->addWidget(versionField, 1, 1);
    grid->setColumnStretch(1, 1);
    return box;
}

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

void show(QLineEdit* nameField, QLineEdit* versionField, const online::DriverShown& d) {
    nameField->setText(QString::fromLatin1(d.name.c_str()));
    versionField->setText(QString::fromStdString(d.version));
}

}  // namespace

CDriverDialog::CDriverDialog(CPtpDoc& doc, online::ModuleChannel* channel, online::Pump pump, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_channel(channel), m_pump(std::move(pump)) {
    setObjectName("CDriverDialog");
    setWindowTitle(QStringLiteral("Treiber laden auf CP731"));
    m_moduleName = field("moduleName", this);
    m_moduleVersion = field("moduleVersion", this);
    m_pgName = field("pgName", this);
    m_pgVersion = field("pgVersion", this);
    auto* module = driverGroup(QStringLiteral("Treiberversion online auf der Baugruppe"), "module", m_moduleName,
                               m_moduleVersion, this);
    auto* pg = driverGroup(QStringLiteral("Treiberversion offline auf dem PG"), "pg", m_pgName, m_pgVersion, this);
    auto* loadLabel = new QLabel(QStringLiteral("Laden auf die Baugruppe:"), this);
    loadLabel->setObjectName("loadLabel");
    m_load = button(QStringLiteral("Treiber laden"), "load", this);
    loadLabel->setBuddy(m_load);
    auto* close = button(QStringLiteral("Schließen"), "close", this);
    auto* helpButton = button(QStringLiteral("Hilfe"), "help", this);
    close->setDefault(true);

    auto* loadRow = new QHBoxLayout;
    loadRow->addWidget(loadLabel);
    loadRow->addWidget(m_load);
    loadRow->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addWidget(helpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(module);
    layout->addWidget(pg);
    layout->addLayout(loadRow);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(m_load, close);
    setTabOrder(close, helpButton);

    connect(m_load, &QPushButton::clicked, this, &CDriverDialog::onLoad);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(helpButton, &QPushButton::clicked, this, [this] {
        if (help) help();
    });
    runProgress = [](QDialog& d) { d.exec(); };

    // the start: the installed driver, and what the module reports, or that there is no connection
    const online::DriverDialogStart start = online::StartDriverDialog(m_doc, m_channel, m_pump);
    ::show(m_pgName, m_pgVersion, start.installed);
    showModule(start.module);
    m_load->setEnabled(start.loadEnabled);
}

void CDriverDialog::showModule(const online::DriverShown& module) { ::show(m_moduleName, m_moduleVersion, module); }

void CDriverDialog::onLoad() {
    if (!m_channel) return;
    if (!online::ConfirmDriverLoad(m_load->text().toStdString())) return;
    const std::uint16_t address = online::DriverModuleAddress(m_doc);
    {
        CDriverProgressDialog progress(*m_channel, address, online::DriverComponentsOf(m_doc), this);
        runProgress(progress);
    }
    // what the module reports afterwards, whatever the load did
    const online::ReadBack back = online::ReadBackAfterLoad(m_doc, *m_channel, m_pump);
    showModule(back.module);
    m_changed = m_changed || back.documentChanged;
}

CDriverInfoDialog::CDriverInfoDialog(const CPtpDoc& doc, QWidget* parent) : QDialog(parent) {
    setObjectName("CDriverInfoDialog");
    setWindowTitle(QStringLiteral("Treiber info für CP831"));
    auto* projectName = field("projectName", this);
    auto* projectVersion = field("projectVersion", this);
    auto* pgName = field("pgName", this);
    auto* pgVersion = field("pgVersion", this);
    auto* project = driverGroup(QStringLiteral("Treiberversion offline im Projekt (SDB)"), "project", projectName,
                                projectVersion, this);
    auto* pg = driverGroup(QStringLiteral("Treiberversion offline auf dem PG"), "pg", pgName, pgVersion, this);
    auto* close = button(QStringLiteral("Schließen"), "close", this);
    auto* helpButton = button(QStringLiteral("Hilfe"), "help", this);
    close->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addWidget(helpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(project);
    layout->addWidget(pg);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(helpButton, &QPushButton::clicked, this, [this] {
        if (help) help();
    });
    ::show(projectName, projectVersion, online::ProjectDriver(doc));
    ::show(pgName, pgVersion, online::InstalledDriver(doc));
}

bool OpenDriverDialog(CPtpDoc& doc, QWidget* parent) {
    if (doc.m_nModuleType == kCP8312) {
        CDriverInfoDialog dialog(doc, parent);
        dialog.exec();
        return false;
    }
    // the library route with rack and slot kept 0; when that stays closed, the direct route
    online::COnlineConnection connection(doc);
    std::uint32_t handle = 0, direct = 0;
    if (!connection.OpenConnection(true, false, handle, direct)) connection.OpenConnection(true, true, handle, direct);
    std::unique_ptr<online::ModuleChannel> channel;
    if (connection.Connected()) channel = connection.Channel(reinterpret_cast<online::Y5Window>(parent));
    bool changed = false;
    {
        CDriverDialog dialog(doc, channel.get(), PumpMessages, parent);
        dialog.exec();
        changed = dialog.documentChanged();
    }
    channel.reset();
    if (connection.Connected()) connection.CloseConnection(handle, direct);
    return changed;
}
