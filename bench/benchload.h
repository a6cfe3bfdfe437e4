#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include <unistd.h>

// The machine's load averages over 1, 5 and 15 minutes, printed beside every
// figure so a reader can tell a quiet run from a busy one.
inline QString loadAverage() {
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(f.readLine()).section(QLatin1Char(' '), 0, 2);
}

// A file of /proc: its size says 0, so it is read to its end.
inline QByteArray procFile(const QString& path) {
    std::ifstream in(path.toStdString());
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return QByteArray::fromStdString(text);
}

// CPU a process has used so far (user + system), seconds.
inline double processCpuSeconds(qint64 pid) {
    const QByteArray line = procFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return double(fields.at(11).toLongLong() + fields.at(12).toLongLong()) / double(::sysconf(_SC_CLK_TCK));
}

// A process's resident memory now and at its peak, MiB.
inline std::pair<double, double> processMemoryMiB(qint64 pid) {
    double rss = 0, peak = 0;
    for (const QByteArray& line : procFile(QStringLiteral("/proc/%1/status").arg(pid)).split('\n')) {
        const double mib = line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toDouble() / 1024;
        if (line.startsWith("VmRSS:"))
            rss = mib;
        else if (line.startsWith("VmHWM:"))
            peak = mib;
    }
    return {rss, peak};
}
