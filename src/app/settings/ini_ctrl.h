#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The settings store: "du2daminfo.INI" where the program's layout puts it. Every operation opens
// the file, does its work and closes it; the path is worked out anew each time.
class TLMDIniCtrl : public QObject {
    Q_OBJECT
public:
    explicit TLMDIniCtrl(QObject* parent = nullptr);

    // The settings file's full path.
    QString fileName() const;

    QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
    // When the file cannot be written, "Unable to write to <path>" is shown, once in a run, and
    // the caller carries on; the file on disk stays as it was.
    void WriteString(const QString& section, const QString& key, const QString& value) const;
    // The same, and `droppedKeys` of the section removed, in one write of the file (none when
    // nothing changes).
    void WriteString(const QString& section, const QString& key, const QString& value,
                     const QStringList& droppedKeys) const;
    void DeleteKey(const QString& section, const QString& key) const;

private:
    mutable bool writeFailureShown_ = false;
};
