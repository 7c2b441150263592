#include "FileOps.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

bool FileOps::Step()
{
    ++count_;
    if (failAt_ <= 0)
        return true;
    return !(count_ == failAt_ || (failOn_ && count_ > failAt_));
}

void FileOps::FailAt(int operation, bool fromThenOn)
{
    count_ = 0;
    failAt_ = operation;
    failOn_ = fromThenOn;
}

void FileOps::ClearFaults()
{
    count_ = 0;
    failAt_ = 0;
    failOn_ = false;
}

bool FileOps::DirExists(const QString &path)
{
    return Step() && !path.isEmpty() && QFileInfo(path).isDir();
}

bool FileOps::FileExists(const QString &path)
{
    return Step() && !path.isEmpty() && QFileInfo(path).isFile();
}

bool FileOps::Remove(const QString &path)
{
    return Step() && QFile::remove(path);
}

bool FileOps::Rename(const QString &from, const QString &to)
{
    return Step() && QFile::rename(from, to);
}

bool FileOps::WriteWhole(const QString &path, const QByteArray &data,
                         QFileDevice::Permissions permissions)
{
    // QSaveFile::commit() has been seen to report success after a failed
    // buffered write (a full disk left a truncated file), so every step is
    // checked here and anything short of a clean run cancels the write.
    QSaveFile file(path);
    if (!Step() || !file.open(QIODevice::WriteOnly))
        return false;
    if (permissions)
        file.setPermissions(permissions);

    constexpr qsizetype kChunk = 4096;
    for (qsizetype at = 0; at < data.size(); at += kChunk) {
        const qsizetype n = qMin(kChunk, data.size() - at);
        if (!Step() || file.write(data.constData() + at, n) != n) {
            file.cancelWriting();
            return false;
        }
    }
    if (!Step() || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
#ifdef Q_OS_UNIX
    if (::fsync(file.handle()) != 0) {
        file.cancelWriting();
        return false;
    }
#endif
    if (!Step()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
