#pragma once
// Whole-file reads and writes for tests, by the file's bytes as the program names them; a file that cannot be read
// reads as "<missing>". Columns of a data table.
#include "platform/FileSystem.h"

#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

inline QByteArray ReadBytes(const QString &path)
{
    QFile f;
    const int fd = ::open(EncodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    return fd >= 0 && f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) ? f.readAll() : QByteArray("<missing>");
}
inline bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f;
    const int fd = ::open(EncodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd >= 0 && f.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) && f.write(bytes) == bytes.size();
}
template <typename... T, typename... Names> void Columns(Names... names) { (QTest::addColumn<T>(names), ...); }
