#include "settings/ini_ctrl.h"

#include "core/errors.h"
#include "core/install_layout.h"
#include "core/settings_store.h"
#include "file_names.h"
#include "shell/application.h"
#include "shell/error_display.h"

namespace {

dm::SettingsStore storeAt(const QString& path) {
    return dm::SettingsStore(nativePath(path));
}

} // namespace

TLMDIniCtrl::TLMDIniCtrl(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("LMDIniCtrl1"));
}

QString TLMDIniCtrl::fileName() const {
    return shell::settingsFile();
}

QString TLMDIniCtrl::ReadString(const QString& section, const QString& key,
                                const QString& fallback) const {
    return QString::fromStdString(
        storeAt(fileName())
            .readString(section.toStdString(), key.toStdString(), fallback.toStdString()));
}

std::vector<std::optional<std::string>>
TLMDIniCtrl::ReadValues(const QString& section, const std::vector<std::string>& keys) const {
    return storeAt(fileName()).readValues(section.toStdString(), keys);
}

void TLMDIniCtrl::WriteString(const QString& section, const QString& key,
                              const QString& value) const {
    write([&](const dm::SettingsStore& store) {
        store.writeString(section.toStdString(), key.toStdString(), value.toStdString());
    });
}

void TLMDIniCtrl::WriteEntries(const QString& section,
                               const std::vector<dm::SettingsEntry>& entries) const {
    write([&](const dm::SettingsStore& store) {
        store.writeEntries(section.toStdString(), entries);
    });
}

void TLMDIniCtrl::write(const std::function<void(const dm::SettingsStore& store)>& change) const {
    try {
        dm::createSettingsFolder(filesystemPath(fileName()));
        change(storeAt(fileName()));
    } catch (const dm::DamageError& error) {
        // A setting that cannot be kept costs the remembered value, never the user's work.
        if (!writeFailureShown_)
            shell::showError(QString::fromUtf8(error.what()));
        writeFailureShown_ = true;
    }
}

void TLMDIniCtrl::DeleteKey(const QString& section, const QString& key) const {
    storeAt(fileName()).deleteKey(section.toStdString(), key.toStdString());
}
