#pragma once
// Whole-file reads and writes for tests; a file that cannot be read reads as "<missing>". Columns of a data table.
#include <QFile>
#include <QTest>

inline QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
inline bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
template <typename... T, typename... Names> void Columns(Names... names) { (QTest::addColumn<T>(names), ...); }
