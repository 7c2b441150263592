#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

// File names as the bytes the system gives: valid UTF-8 reads as its text,
// and any other byte as a character of its own (U+DC80 plus the byte), so
// that a name from a Windows archive (Shift-JIS) or with a byte such as 0xFF
// comes back byte for byte. Every query and call on a file name goes through
// these two, not through QFile's own conversion, which loses such bytes.
QString DecodeName(QByteArrayView bytes);
QByteArray EncodeName(QStringView name);
// The name as it can be shown: a byte that is no text shows as U+FFFD.
QString DisplayName(const QString &name);

// What the file system says of a path; through a final link unless told not to.
struct PathInfo {
    bool exists = false;
    bool isFile = false;  // a regular file
    bool isDir = false;
    bool isLink = false;  // only when links are not followed
    qint64 size = 0;
    QDateTime modified;
    quint64 device = 0, inode = 0;  // which file it is
    qint64 modifiedNs = 0;          // nanoseconds since the epoch
};
PathInfo StatPath(const QString &path, bool followLinks = true);
// The path with every link resolved; empty when it does not exist.
QString CanonicalPath(const QString &path);
// Absolute and cleaned, without asking the disk.
QString AbsolutePath(const QString &path);
// The folder of a path (without a final separator) and the name after it.
QString FolderOf(const QString &path);
QString NameOf(const QString &path);

// A non-empty path naming an existing normal file: not a directory, not hidden.
bool FileExists(const QString &path);
// The path up to and including its last separator; empty when it has none.
QString GetFileDir(const QString &path);
// The directory of the running program, ending with a separator.
QString AppPath();
// The platform's path separator(s): "/" here, "\\" as well on Windows builds.
bool IsPathSeparator(QChar c);
// The program's arguments after its name, as DecodeName reads them.
QStringList ArgumentsOf(int argc, char *argv[]);
// Starts program with the arguments, without a shell and without waiting;
// false when it could not be started.
bool StartDetached(const QString &program, const QStringList &arguments);
