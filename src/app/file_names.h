#pragma once

#include <QFile>
#include <QString>

#include <algorithm>
#include <string>

// A chosen file name up to and including its last separator ("/", "\\", or else ":").
inline QString folderOfFileName(const QString& name) {
    qsizetype separator = std::max(name.lastIndexOf('/'), name.lastIndexOf('\\'));
    if (separator < 0)
        separator = name.lastIndexOf(':');
    return name.left(separator + 1);
}

// The chosen file name after its folder.
inline QString withoutFolder(const QString& name) {
    return name.mid(folderOfFileName(name).size());
}

// The name as the file system takes it.
inline std::string localPath(const QString& name) {
    return QFile::encodeName(name).toStdString();
}
