#pragma once
// The real file layer with one operation made to fail: once, from then on, or by ending the
// process there, as a power cut or a kill would.
#include "platform/FileLayer.h"

#include <cerrno>
#include <unistd.h>

class FaultyFiles : public PosixFileLayer {
public:
    enum class Mode { None, Once, FromThenOn, Kill };
    explicit FaultyFiles(int failAt = 0, Mode mode = Mode::None) : failAt_(failAt), mode_(mode) {}
    int Operations() const { return count_; }
    void Arm(int failAt, Mode mode) { *this = FaultyFiles(failAt, mode); }  // counts afresh from the next operation

    using P = PosixFileLayer;
    int Lstat(const QByteArray &p, struct stat &st) override { return Go() ? P::Lstat(p, st) : EIO; }
    int ReadLink(const QByteArray &p, QByteArray &t) override { return Go() ? P::ReadLink(p, t) : EIO; }
    int Unlink(const QByteArray &p) override { return Go() ? P::Unlink(p) : EIO; }
    int Link(const QByteArray &a, const QByteArray &b) override { return Go() ? P::Link(a, b) : EIO; }
    int Rename(const QByteArray &a, const QByteArray &b) override { return Go() ? P::Rename(a, b) : EIO; }
    int CreateNew(const QByteArray &p, mode_t m, int &fd) override { return Go() ? P::CreateNew(p, m, fd) : EIO; }
    int OpenRead(const QByteArray &p, int &fd) override { return Go() ? P::OpenRead(p, fd) : EIO; }
    int OpenWrite(const QByteArray &p, int &fd) override { return Go() ? P::OpenWrite(p, fd) : EIO; }
    int ReadAll(int fd, QByteArray &b) override { return Go() ? P::ReadAll(fd, b) : EIO; }
    int WriteAll(int fd, const QByteArray &b) override { return Go() ? P::WriteAll(fd, b) : ENOSPC; }
    int Fsync(int fd) override { return Go() ? P::Fsync(fd) : EIO; }
    int FsyncDir(const QByteArray &p) override { return Go() ? P::FsyncDir(p) : EIO; }
    int Chmod(int fd, mode_t m) override { return Go() ? P::Chmod(fd, m) : EIO; }
    int Chown(int fd, uid_t u, gid_t g) override { return Go() ? P::Chown(fd, u, g) : EIO; }
    int Close(int fd) override
    {
        const bool go = Go();
        const int closed = P::Close(fd);  // a failed close still gives the descriptor back, as the real one does
        return go ? closed : EIO;
    }

private:
    // False: this operation fails.
    bool Go()
    {
        if (++count_ == failAt_ && mode_ == Mode::Kill) ::_exit(0);
        return count_ < failAt_ || mode_ == Mode::None || (count_ > failAt_ && mode_ == Mode::Once);
    }
    int count_ = 0, failAt_;
    Mode mode_;
};
