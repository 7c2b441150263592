#pragma once
// Private-profile (INI) files as the Windows profile functions treat them:
// sections and keys compared without regard to case, keys may hold blanks,
// blanks around key and value ignored on read, writes change one line in
// place and keep every other line. The file is windows-31j text.
#include <QByteArray>
#include <QString>

#include <optional>

// The value, or empty text when the file, section or key is missing.
// Cut to maxBytes bytes of windows-31j, never inside a character.
QString ProfileRead(const QString &path, const QString &section, const QString &key,
                    int maxBytes = 254);
// Replaces the key's line, adds it at the end of its section, or adds the
// section at the end of the file; creates the file when missing. The file is
// replaced atomically (a link keeps its target); false on any failure.
bool ProfileWrite(const QString &path, const QString &section, const QString &key,
                  const QString &value);

// False when the file is there but cannot be read or holds bytes that are
// not windows-31j: such a file must not be rewritten.
bool ProfileUsable(const QString &path);

// The file's bytes, to change them: empty when there is no file; false when
// it is there but not usable, so that it must not be replaced.
bool ProfileLoad(const QString &path, QByteArray &bytes);
// Replaces the file with bytes (atomically, a link keeping its target).
bool ProfileStore(const QString &path, const QByteArray &bytes);

// A profile file's bytes held while several writes change them, so that the
// file is written once for all of them.
struct ProfileHeld {
    bool active = false;  // writes go to bytes
    bool loaded = false;  // bytes hold the file (or its absence)
    bool usable = false;  // the file could be read when loaded
    bool changed = false;
    QByteArray bytes;
};

// The same on a file's bytes (windows-31j), for tests and fuzzing.
QString ProfileReadBytes(const QByteArray &bytes, const QString &section, const QString &key,
                         int maxBytes = 254);
// The new bytes, or nothing when the text cannot be held in windows-31j.
std::optional<QByteArray> ProfileWriteBytes(const QByteArray &bytes, const QString &section,
                                            const QString &key, const QString &value);
