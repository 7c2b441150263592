#include "FileLayer.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

int Check(int result)
{
    return result < 0 ? errno : 0;
}

int OpenFile(const QByteArray &path, int flags, mode_t mode, int &fd)
{
    do {
        fd = ::open(path.constData(), flags | O_CLOEXEC | O_NOFOLLOW, mode);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? errno : 0;
}

}  // namespace

int PosixFileLayer::Lstat(const QByteArray &path, struct stat &st)
{
    return Check(::lstat(path.constData(), &st));
}

int PosixFileLayer::ReadLink(const QByteArray &path, QByteArray &target)
{
    QByteArray buffer(4096, Qt::Uninitialized);
    const ssize_t n = ::readlink(path.constData(), buffer.data(), size_t(buffer.size()));
    if (n < 0)
        return errno;
    if (n >= buffer.size())
        return ENAMETOOLONG;
    target = buffer.left(n);
    return 0;
}

int PosixFileLayer::Unlink(const QByteArray &path)
{
    return Check(::unlink(path.constData()));
}

int PosixFileLayer::Link(const QByteArray &from, const QByteArray &to)
{
    return Check(::link(from.constData(), to.constData()));
}

int PosixFileLayer::Rename(const QByteArray &from, const QByteArray &to)
{
    return Check(::rename(from.constData(), to.constData()));
}

int PosixFileLayer::CreateNew(const QByteArray &path, mode_t mode, int &fd)
{
    return OpenFile(path, O_WRONLY | O_CREAT | O_EXCL, mode, fd);
}

int PosixFileLayer::OpenRead(const QByteArray &path, int &fd)
{
    return OpenFile(path, O_RDONLY, 0, fd);
}

int PosixFileLayer::OpenWrite(const QByteArray &path, int &fd)
{
    return OpenFile(path, O_WRONLY, 0, fd);
}

int PosixFileLayer::ReadAll(int fd, QByteArray &bytes)
{
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        bytes.append(buffer, n);
    }
}

int PosixFileLayer::WriteAll(int fd, const QByteArray &bytes)
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.constData() + at, size_t(bytes.size() - at), off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;
        at += n;
    }
    return Check(::ftruncate(fd, off_t(bytes.size())));
}

int PosixFileLayer::Fsync(int fd)
{
    return Check(::fsync(fd));
}

int PosixFileLayer::FsyncDir(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int result = Check(::fsync(fd));
    ::close(fd);
    return result;
}

int PosixFileLayer::Chmod(int fd, mode_t mode)
{
    return Check(::fchmod(fd, mode));
}

int PosixFileLayer::Chown(int fd, uid_t owner, gid_t group)
{
    return Check(::fchown(fd, owner, group));
}

int PosixFileLayer::Close(int fd)
{
    // After close the descriptor is gone even when it reports an error.
    return Check(::close(fd));
}
