#pragma once

#include "core/settings_store.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The settings store: "du2daminfo.INI" where the program's layout puts it. Every operation opens
// the file, does its work and closes it; the path is worked out anew each time.
class TLMDIniCtrl : public QObject {
    Q_OBJECT
public:
    explicit TLMDIniCtrl(QObject* parent = nullptr);

    // The settings file's full path.
    QString fileName() const;

    QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
    // Several keys of one section from one read of the file; nothing for a missing one.
    std::vector<std::optional<std::string>> ReadValues(const QString& section,
                                                       const std::vector<std::string>& keys) const;
    // When the file cannot be written, "Unable to write to <path>" is shown, once in a run, and
    // the caller carries on; the file on disk stays as it was.
    void WriteString(const QString& section, const QString& key, const QString& value) const;
    // Several keys of one section set or removed in one write of the file (none when nothing
    // changes), failing as WriteString does.
    void WriteEntries(const QString& section, const std::vector<dm::SettingsEntry>& entries) const;
    void DeleteKey(const QString& section, const QString& key) const;

private:
    void write(const std::function<void(const dm::SettingsStore& store)>& change) const;
    mutable bool writeFailureShown_ = false;
};
