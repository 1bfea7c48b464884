#pragma once

#include <QString>

namespace shell {

// The about box's "Available Memory:" value, read from the system now.
QString availableMemory();
// The about box's "Platform, CPU:" value, read from the system now.
QString platformAndCpu();

// "Available Memory:" value from the text of /proc/meminfo, in KB.
QString availableMemoryText(const QString& meminfo);
// "Platform, CPU:" value from the processor count and the text of /proc/cpuinfo.
QString platformCpuText(int processorCount, const QString& cpuinfo);

} // namespace shell
