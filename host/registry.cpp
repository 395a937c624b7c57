#include "host/registry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <cstdlib>

namespace host {
namespace {

// QSettings separates groups with '/': the host's backslashes become slashes.
QString settingsKey(const std::string& key, const std::string& value) {
    QString k = QString::fromStdString(key);
    k.replace('\\', '/');
    return k + '/' + QString::fromStdString(value);
}

}  // namespace

IniRegistry::IniRegistry(const std::string& installFolder) {
    if (const char* dir = std::getenv("QORB4_REGISTRY"); dir && *dir) {
        machine_ = std::string(dir) + "/hklm.ini";
        user_ = std::string(dir) + "/hkcu.ini";
        return;
    }
    machine_ = installFolder + "/hklm.ini";
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    user_ = (config.isEmpty() ? QDir::homePath() + "/.config" : config).toStdString() + "/Quenral/hkcu.ini";
}

std::optional<std::string> IniRegistry::read(Hive hive, const std::string& key, const std::string& value) {
    QSettings s(QString::fromStdString(file(hive)), QSettings::IniFormat);
    const QString k = settingsKey(key, value);
    if (s.status() != QSettings::NoError || !s.contains(k)) return std::nullopt;
    std::string text = s.value(k).toString().toStdString();
    if (text.size() > 255) text.resize(255);
    return text;
}

bool IniRegistry::write(Hive hive, const std::string& key, const std::string& value, const std::string& data) {
    QSettings s(QString::fromStdString(file(hive)), QSettings::IniFormat);
    s.setValue(settingsKey(key, value), QString::fromStdString(data));
    s.sync();
    return s.status() == QSettings::NoError;
}

}  // namespace host
