#include "shell/file_attributes.h"

#include <QFile>
#include <QFileInfo>

namespace shell {

std::optional<unsigned> fileAttributes(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    return info.permissions().testFlag(QFileDevice::WriteOwner) ? 0u : unsigned{faReadOnly};
}

bool clearFileAttributes(const QString& path) {
    if (!QFileInfo::exists(path))
        return false;
    return QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
}

} // namespace shell
