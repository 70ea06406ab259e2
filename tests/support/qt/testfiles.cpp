#include "testfiles.h"

#include <QFile>
#include <gtest/gtest.h>

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool PutFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        ADD_FAILURE() << "cannot write " << path.toStdString() << ": "
                      << file.errorString().toStdString();
        return false;
    }
    return true;
}

QString PutScript(const QString& path, const QByteArray& body) {
    if (PutFile(path, "#!/bin/sh\n" + body + "\n") &&
        !QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        ADD_FAILURE() << "cannot make " << path.toStdString() << " executable";
    return path;
}
