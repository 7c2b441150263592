#pragma once
// The real file layer with one operation made to fail: once, from then on, or by ending the
// process there, as a kill would. It logs what reaches the disk ("fsync m.mtl", "rename temp m.mtl"; "temp"
// for the hidden temporary file), the order a power cut judges; noHardLinks refuses links as FAT does.
#include "platform/FileLayer.h"

#include <QStringList>

#include <cerrno>
#include <map>
#include <unistd.h>
#include <vector>

class FaultyFiles : public PosixFileLayer {
public:
    enum class Mode { None,
                      Once,
                      FromThenOn,
                      Kill };
    explicit FaultyFiles(int failAt = 0, Mode mode = Mode::None) : failAt_(failAt), mode_(mode) { }
    int Operations() const { return count_; }
    void Arm(int failAt, Mode mode) { *this = FaultyFiles(failAt, mode); }  // counts afresh from the next operation
    bool noHardLinks = false;
    QStringList log;
    std::vector<int> logAt;  // the operation number of each entry

    using P = PosixFileLayer;
    int Lstat(const QByteArray &p, struct stat &st) override { return Go() ? P::Lstat(p, st) : EIO; }
    int ReadLink(const QByteArray &p, QByteArray &t) override { return Go() ? P::ReadLink(p, t) : EIO; }
    int Unlink(const QByteArray &p) override { return Log("unlink", p, Go() ? P::Unlink(p) : EIO); }
    int Link(const QByteArray &a, const QByteArray &b) override { return Log("link " + Name(a), b, !Go() ? EIO : noHardLinks ? EPERM
                                                                                                                             : P::Link(a, b)); }
    int Rename(const QByteArray &a, const QByteArray &b) override { return Log("rename " + Name(a), b, Go() ? P::Rename(a, b) : EIO); }
    int CreateNew(const QByteArray &p, mode_t m, int &fd) override { return Open(p, fd, Go() ? P::CreateNew(p, m, fd) : EIO); }
    int OpenRead(const QByteArray &p, int &fd) override { return Go() ? P::OpenRead(p, fd) : EIO; }
    int OpenWrite(const QByteArray &p, int &fd) override { return Open(p, fd, Go() ? P::OpenWrite(p, fd) : EIO); }
    int ReadAll(int fd, QByteArray &b) override { return Go() ? P::ReadAll(fd, b) : EIO; }
    int WriteAll(int fd, const QByteArray &b) override { return Log("write", paths_[fd], Go() ? P::WriteAll(fd, b) : ENOSPC); }
    int Fsync(int fd) override { return Log("fsync", paths_[fd], Go() ? P::Fsync(fd) : EIO); }
    int FsyncDir(const QByteArray &p) override { return Log("fsyncdir", {}, Go() ? P::FsyncDir(p) : EIO); }
    int Chmod(int fd, mode_t m) override { return Go() ? P::Chmod(fd, m) : EIO; }
    int Chown(int fd, uid_t u, gid_t g) override { return Go() ? P::Chown(fd, u, g) : EIO; }
    int Close(int fd) override
    {
        const bool go = Go();
        const int closed = P::Close(fd);  // a failed close still gives the descriptor back, as the real one does
        return go ? closed : EIO;
    }

private:
    static QString Name(const QByteArray &path)
    {
        const QString name = QString::fromLocal8Bit(path.mid(path.lastIndexOf('/') + 1));
        return name.startsWith('.') ? "temp" : name;
    }
    int Log(const QString &what, const QByteArray &path, int err)
    {
        if (err == 0) log << (path.isEmpty() ? what : what + ' ' + Name(path)), logAt.push_back(count_);
        return err;
    }
    int Open(const QByteArray &path, int &fd, int err) { return err == 0 ? (paths_[fd] = path, 0) : err; }
    std::map<int, QByteArray> paths_;
    // False: this operation fails.
    bool Go()
    {
        if (++count_ == failAt_ && mode_ == Mode::Kill) ::_exit(0);
        return count_ < failAt_ || mode_ == Mode::None || (count_ > failAt_ && mode_ == Mode::Once);
    }
    int count_ = 0, failAt_;
    Mode mode_;
};
