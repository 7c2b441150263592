#pragma once
// The file-system calls that saving needs, one virtual call each, so that a
// test can put a faulty layer in their place. Paths are the OS's bytes; every
// call returns 0 or the errno of its failure, and never follows a link unless
// it says so.
#include <QByteArray>

#include <sys/stat.h>
#include <sys/types.h>

class FileLayer {
public:
    virtual ~FileLayer() = default;

    virtual int Lstat(const QByteArray &path, struct stat &st) = 0;
    virtual int ReadLink(const QByteArray &path, QByteArray &target) = 0;
    virtual int Unlink(const QByteArray &path) = 0;
    // A hard link; fails with EEXIST when anything, a dangling link too, sits at to.
    virtual int Link(const QByteArray &from, const QByteArray &to) = 0;
    virtual int Rename(const QByteArray &from, const QByteArray &to) = 0;
    // O_CREAT | O_EXCL | O_NOFOLLOW: never opens what is already there.
    virtual int CreateNew(const QByteArray &path, mode_t mode, int &fd) = 0;
    // An existing regular file, not through a link.
    virtual int OpenRead(const QByteArray &path, int &fd) = 0;
    virtual int OpenWrite(const QByteArray &path, int &fd) = 0;
    virtual int ReadAll(int fd, QByteArray &bytes) = 0;
    // The whole buffer at offset 0, then the file cut to its length.
    virtual int WriteAll(int fd, const QByteArray &bytes) = 0;
    virtual int Fsync(int fd) = 0;
    virtual int FsyncDir(const QByteArray &path) = 0;
    virtual int Chmod(int fd, mode_t mode) = 0;
    virtual int Chown(int fd, uid_t owner, gid_t group) = 0;
    virtual int Close(int fd) = 0;
};

// The real calls.
class PosixFileLayer : public FileLayer {
public:
    int Lstat(const QByteArray &path, struct stat &st) override;
    int ReadLink(const QByteArray &path, QByteArray &target) override;
    int Unlink(const QByteArray &path) override;
    int Link(const QByteArray &from, const QByteArray &to) override;
    int Rename(const QByteArray &from, const QByteArray &to) override;
    int CreateNew(const QByteArray &path, mode_t mode, int &fd) override;
    int OpenRead(const QByteArray &path, int &fd) override;
    int OpenWrite(const QByteArray &path, int &fd) override;
    int ReadAll(int fd, QByteArray &bytes) override;
    int WriteAll(int fd, const QByteArray &bytes) override;
    int Fsync(int fd) override;
    int FsyncDir(const QByteArray &path) override;
    int Chmod(int fd, mode_t mode) override;
    int Chown(int fd, uid_t owner, gid_t group) override;
    int Close(int fd) override;
};
