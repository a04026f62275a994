#pragma once

// What /proc says about a process, for the benchmarks' memory figures.
#include <QFile>
#include <QString>

namespace quillorn::bench {

// A "kB" field of /proc/<pid>/status ("VmHWM:", "VmRSS:"); -1 when it cannot be read.
inline qint64 statusKb(const char* field, qint64 pid = 0) {
    QFile status(pid > 0 ? QStringLiteral("/proc/%1/status").arg(pid)
                         : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray name(field);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').first().toLongLong();
    return -1;
}

} // namespace quillorn::bench
