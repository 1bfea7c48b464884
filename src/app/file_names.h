#pragma once

#include "core/platform/system.h"

#include <QDir>
#include <QString>

#include <algorithm>
#include <filesystem>
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

// The name as the core takes every path: UTF-8, on every system.
inline std::string localPath(const QString& name) {
    return name.toStdString();
}

// A path that the core may show in a message: with the system's separators, "\\" on Windows.
inline std::string nativePath(const QString& name) {
    return localPath(QDir::toNativeSeparators(name));
}

// Every path between Qt and the core passes here, as UTF-8: the standard library's plain strings
// are the ANSI code page on Windows.
inline std::filesystem::path filesystemPath(const QString& name) {
    return dm::platform::pathOf(localPath(name));
}

// With Qt's "/" between folders on every system.
inline QString qtPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return QDir::fromNativeSeparators(
        QString::fromUtf8(reinterpret_cast<const char*>(utf8.data()), qsizetype(utf8.size())));
}
