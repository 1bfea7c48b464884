#include "system_information.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSysInfo>

#include <algorithm>

namespace shell {
namespace {

QString procField(const QString& text, const QString& key) {
    const QRegularExpression line(
        QStringLiteral("^%1\\s*:\\s*(.*)$").arg(QRegularExpression::escape(key)),
        QRegularExpression::MultilineOption);
    return line.match(text).captured(1).trimmed();
}

} // namespace

QString memoryText(std::optional<qlonglong> kilobytes) {
    if (!kilobytes)
        return QStringLiteral("unknown");
    return QLocale(QLocale::English).toString(*kilobytes) + QStringLiteral(" KB");
}

QString systemCpuText(const QString& system, int processorCount, QString cpuType) {
    if (cpuType.isEmpty())
        cpuType = QSysInfo::currentCpuArchitecture();
    cpuType.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
    return QStringLiteral("%1, %2 x %3").arg(system).arg(std::max(1, processorCount)).arg(cpuType);
}

QString availableMemoryText(const QString& meminfo) {
    QString field = procField(meminfo, QStringLiteral("MemAvailable"));
    if (field.isEmpty())
        field = procField(meminfo, QStringLiteral("MemFree"));
    bool valid = false;
    const qlonglong kilobytes = field.section(' ', 0, 0).toLongLong(&valid);
    return memoryText(valid ? std::optional(kilobytes) : std::nullopt);
}

QString platformCpuText(int processorCount, const QString& cpuinfo) {
    return systemCpuText(QStringLiteral("Linux"), processorCount,
                         procField(cpuinfo, QStringLiteral("model name")));
}

} // namespace shell
