// SPDX-License-Identifier: MIT
// What the kernel says about a running program.
#pragma once

#include <QDir>
#include <QFile>

namespace bench {

// Time all of the process's threads have spent on a CPU, in ms, from
// /proc/PID/task/*/schedstat; -1 when it is gone. On a loaded machine this
// says more about the program than the wall clock does.
inline double cpuMs(qint64 pid) {
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    double total = 0;
    bool any = false;
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks + u'/' + task + QStringLiteral("/schedstat"));
        if (schedstat.open(QIODevice::ReadOnly)) {
            total += schedstat.readAll().split(' ').first().toDouble() / 1e6;
            any = true;
        }
    }
    return any ? total : -1;
}

}  // namespace bench
