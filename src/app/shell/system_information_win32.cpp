#include "system_information.h"

#include <QSettings>
#include <QThread>

#include <windows.h>

namespace shell {

QString availableMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!::GlobalMemoryStatusEx(&status))
        return memoryText(std::nullopt);
    return memoryText(qlonglong(status.ullAvailPhys / 1024));
}

// Windows names the processor in the registry, as /proc/cpuinfo does on Linux.
QString platformAndCpu() {
    const QSettings processor(
        QStringLiteral("HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0"),
        QSettings::NativeFormat);
    return systemCpuText(
        QStringLiteral("Windows"), QThread::idealThreadCount(),
        processor.value(QStringLiteral("ProcessorNameString")).toString().trimmed());
}

} // namespace shell
