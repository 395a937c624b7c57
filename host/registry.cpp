#include "host/registry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>

namespace host {
namespace {

// QSettings separates groups with '/': the host's backslashes become slashes.
QString settingsKey(const std::string& key, const std::string& value) {
    QString k = QString::fromStdString(key);
    k.replace('\\', '/');
    return k + '/' + QString::fromStdString(value);
}

QString groupKey(const std::string& key) {
    QString k = QString::fromStdString(key);
    k.replace('\\', '/');
    return k;
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

bool IniRegistry::keyExists(Hive hive, const std::string& key) {
    QSettings s(QString::fromStdString(file(hive)), QSettings::IniFormat);
    if (s.status() != QSettings::NoError) return false;
    s.beginGroup(groupKey(key));
    return !s.childKeys().isEmpty() || !s.childGroups().isEmpty();
}

std::vector<std::string> IniRegistry::subKeys(Hive hive, const std::string& key) {
    QSettings s(QString::fromStdString(file(hive)), QSettings::IniFormat);
    if (s.status() != QSettings::NoError) return {};
    s.beginGroup(groupKey(key));
    QStringList groups = s.childGroups();
    std::sort(groups.begin(), groups.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    std::vector<std::string> out;
    for (const QString& g : groups) out.push_back(g.toStdString());
    return out;
}

}  // namespace host
