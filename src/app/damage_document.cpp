#include "damage_document.h"

#include "file_names.h"

void DamageDocument::open(const QString& name) {
    CurrentDamageFile.open(localPath(name), DamageFileHeader, PartTable);
    fileName_ = name;
    emit recordsChanged();
}

void DamageDocument::save(const dm::PartTable& table) {
    CurrentDamageFile.save(table);
    PartTable = table;
    emit recordsChanged();
}

void DamageDocument::saveAs(const QString& name, const dm::PartTable& table) {
    CurrentDamageFile.saveAs(localPath(name), DamageFileHeader, table);
    PartTable = table;
    emit savedAs(name);
    fileName_ = name;
    emit recordsChanged();
}

void DamageDocument::close() {
    if (CurrentDamageFile.isOpen())
        CurrentDamageFile.close();
}
