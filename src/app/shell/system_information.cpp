#include "system_information.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSysInfo>
#include <QThread>

#include <algorithm>

namespace shell {
namespace {

QString readProcFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll());
}

QString procField(const QString& text, const QString& key) {
    const QRegularExpression line(
        QStringLiteral("^%1\\s*:\\s*(.*)$").arg(QRegularExpression::escape(key)),
        QRegularExpression::MultilineOption);
    return line.match(text).captured(1).trimmed();
}

} // namespace

QString availableMemory() {
    return availableMemoryText(readProcFile(QStringLiteral("/proc/meminfo")));
}

QString platformAndCpu() {
    return platformCpuText(QThread::idealThreadCount(),
                           readProcFile(QStringLiteral("/proc/cpuinfo")));
}

QString availableMemoryText(const QString& meminfo) {
    QString field = procField(meminfo, QStringLiteral("MemAvailable"));
    if (field.isEmpty())
        field = procField(meminfo, QStringLiteral("MemFree"));
    bool valid = false;
    const qlonglong kilobytes = field.section(' ', 0, 0).toLongLong(&valid);
    if (!valid)
        return QStringLiteral("unknown");
    return QLocale(QLocale::English).toString(kilobytes) + QStringLiteral(" KB");
}

QString platformCpuText(int processorCount, const QString& cpuinfo) {
    QString type = procField(cpuinfo, QStringLiteral("model name"));
    if (type.isEmpty())
        type = QSysInfo::currentCpuArchitecture();
    type.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
    return QStringLiteral("Linux, %1 x %2").arg(std::max(1, processorCount)).arg(type);
}

} // namespace shell
