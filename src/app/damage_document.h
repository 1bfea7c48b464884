#pragma once

#include "core/damage_file.h"

#include <QObject>
#include <QString>

// The open damage file as one object: the records of the file last read, its 100-byte header, the
// file itself, held open from a successful Open to the next Open or the end of the program, and
// the name it was chosen by, which the editor's caption and the views show.
class DamageDocument : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    dm::PartTable PartTable{};
    dm::DamageFileHeader DamageFileHeader{};
    dm::DamageFile CurrentDamageFile;

    // Empty before the first successful Open.
    const QString& fileName() const { return fileName_; }

    // Opens and reads the named file; on failure everything stays as it was.
    void open(const QString& name);
    // Writes `table` into the current file in place; it becomes the part table.
    void save(const dm::PartTable& table);
    // Writes header, `table` and the bytes after the records into `name`, which becomes the
    // current file.
    void saveAs(const QString& name, const dm::PartTable& table);
    // Closes the current damage file if one is open.
    void close();

signals:
    // The part table or the file it belongs to changed: after Open, Save and Save As.
    void recordsChanged();
    // Save As has written `name`, which is about to become the current file.
    void savedAs(const QString& name);

private:
    QString fileName_;
};
