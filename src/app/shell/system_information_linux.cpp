#include "system_information.h"

#include <QFile>
#include <QThread>

namespace shell {
namespace {

QString readProcFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll());
}

} // namespace

QString availableMemory() {
    return availableMemoryText(readProcFile(QStringLiteral("/proc/meminfo")));
}

QString platformAndCpu() {
    return platformCpuText(QThread::idealThreadCount(),
                           readProcFile(QStringLiteral("/proc/cpuinfo")));
}

} // namespace shell
