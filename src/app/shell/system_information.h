#pragma once

#include <QString>

#include <optional>

namespace shell {

// The about box's "Available Memory:" value, read from the system now (one file per system).
QString availableMemory();
// The about box's "Platform, CPU:" value, read from the system now (one file per system).
QString platformAndCpu();

// "Available Memory:" value from a count of kilobytes, "unknown" without one.
QString memoryText(std::optional<qlonglong> kilobytes);
// "Platform, CPU:" value: the system's name, the processor count and the processor's type.
QString systemCpuText(const QString& system, int processorCount, QString cpuType);

// "Available Memory:" value from the text of /proc/meminfo, in KB.
QString availableMemoryText(const QString& meminfo);
// "Platform, CPU:" value from the processor count and the text of /proc/cpuinfo.
QString platformCpuText(int processorCount, const QString& cpuinfo);

} // namespace shell
