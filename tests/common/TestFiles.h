#pragma once
// Whole-file reads and writes for tests.
#include <QFile>

// The file's bytes, or "<missing>" when it cannot be read.
inline QByteArray ReadBytes(const QString &path) { QFile f(path); return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>"); }
inline bool WriteBytes(const QString &path, const QByteArray &bytes) { QFile f(path); return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size(); }
