#include "povrayprocesses.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <unistd.h>

int PovRaysRunning() {
    int running = 0;
    QDirIterator processes(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        QFile stat(processes.next() + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ..."
        const QByteArray line = stat.readAll();
        const qsizetype open = line.indexOf('(');
        const qsizetype close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == ::getpid() &&
            line.mid(open + 1, close - open - 1).startsWith("povray"))
            ++running;
    }
    return running;
}
