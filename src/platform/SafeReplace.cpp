#include "SafeReplace.h"

#include "FileSystem.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <unistd.h>

namespace {

QByteArray DirOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray BaseOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The longest name a folder entry may have on the usual file systems.
constexpr qsizetype kNameMax = NAME_MAX;
// Up to seven base-36 digits after the name.
constexpr qsizetype kRandomDigits = 7;

// "." + the file's name + "." before the random digits, the name cut (at a
// character, not inside one) so that the whole stays within kNameMax.
QByteArray TemporaryPrefix(const QByteArray &base)
{
    qsizetype keep = qMin(base.size(), kNameMax - 2 - kRandomDigits);
    // A UTF-8 continuation byte belongs to the character before it.
    while (keep > 0 && keep < base.size() &&
           (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80)
        --keep;
    return '.' + base.left(keep) + '.';
}

// Hard links are not to be had there: a copy has to do.
bool LinkUnsupported(int err)
{
    return err == EPERM || err == EXDEV || err == EMLINK || err == ENOTSUP || err == EOPNOTSUPP ||
           err == ENOSYS;
}

class Replacer {
public:
    Replacer(FileLayer &fs, const QByteArray &bytes, bool sync, mode_t newFileMode)
        : fs_(fs), bytes_(bytes), sync_(sync), newFileMode_(newFileMode)
    {
    }

    ReplaceOutcome Run(const QString &name, bool withBackup)
    {
        target_ = EncodeName(name);
        if (target_.isEmpty())
            return Fail(ENOENT);
        bool wasLink = false;
        if (const int err = ResolveLinks(wasLink))
            return Fail(err);
        dir_ = DirOf(target_);
        struct stat dirStat { };
        if (::stat(dir_.constData(), &dirStat) != 0 || !S_ISDIR(dirStat.st_mode)) {
            out_.status = ReplaceOutcome::FolderMissing;
            return out_;
        }

        struct stat st { };
        // A name too long for "bak" after it is saved without a backup: the
        // rename alone keeps the name whole.
        if (withBackup && BaseOf(target_).size() + 3 > kNameMax)
            withBackup = false;
        if (withBackup) {
            backup_ = target_ + "bak";
            // Whatever sits there, a file or a link, goes as a directory entry.
            int err = fs_.Lstat(backup_, st);
            if (err == 0)
                err = S_ISDIR(st.st_mode) ? EISDIR : fs_.Unlink(backup_);
            if (err != 0 && err != ENOENT)
                return Fail(err);
        }

        const int err = fs_.Lstat(target_, old_);
        exists_ = err == 0;
        if (err != 0 && err != ENOENT)
            return Fail(err);
        // A link whose target is gone: creating it could put the file anywhere.
        if (!exists_ && wasLink)
            return Fail(ENOENT);
        if (exists_ && !S_ISREG(old_.st_mode))
            return Fail(S_ISDIR(old_.st_mode) ? EISDIR : EINVAL);
        if (exists_ && old_.st_nlink > 1)
            return InPlace(withBackup);
        return ViaTemporary(withBackup);
    }

private:
    ReplaceOutcome Fail(int err)
    {
        out_.status = ReplaceOutcome::Failed;
        out_.reason = QString::fromLocal8Bit(std::strerror(err));
        return out_;
    }

    void LeaveBackup() { out_.backupLeft = DecodeName(backup_); }

    int ResolveLinks(bool &wasLink)
    {
        for (int hops = 0; hops < 40; ++hops) {
            struct stat st { };
            const int err = fs_.Lstat(target_, st);
            if (err == ENOENT)
                return 0;
            if (err != 0)
                return err;
            if (!S_ISLNK(st.st_mode))
                return 0;
            QByteArray next;
            if (const int e = fs_.ReadLink(target_, next))
                return e;
            target_ = next.startsWith('/') ? next : DirOf(target_) + '/' + next;
            wasLink = true;
        }
        return ELOOP;
    }

    int ReadOld(QByteArray &old)
    {
        int fd = -1;
        int err = fs_.OpenRead(target_, fd);
        if (err != 0)
            return err;
        err = fs_.ReadAll(fd, old);
        const int closed = fs_.Close(fd);
        return err != 0 ? err : closed;
    }

    // A complete copy on disk, created exclusively so nothing planted is followed.
    int CopyBackup(const QByteArray &old)
    {
        int fd = -1;
        int err = fs_.CreateNew(backup_, 0600, fd);
        if (err != 0)
            return err;
        err = fs_.WriteAll(fd, old);
        if (err == 0)
            err = fs_.Fsync(fd);
        const int closed = fs_.Close(fd);
        if (err == 0)
            err = closed;
        if (err == 0)
            err = fs_.FsyncDir(dir_);
        if (err != 0)
            fs_.Unlink(backup_);
        return err;
    }

    int MakeBackup()
    {
        const int err = fs_.Link(target_, backup_);
        if (!LinkUnsupported(err))
            return err;
        QByteArray old;
        if (const int e = ReadOld(old))
            return e;
        return CopyBackup(old);
    }

    void RemoveBackup()
    {
        if (backup_.isEmpty())
            return;
        if (const int err = fs_.Unlink(backup_)) {
            LeaveBackup();
            out_.reason = QString::fromLocal8Bit(std::strerror(err));
            return;
        }
        fs_.FsyncDir(dir_);
    }

    int WriteTemporary(QByteArray &temp)
    {
        int fd = -1;
        int err = EEXIST;
        for (int attempt = 0; attempt < 16 && err == EEXIST; ++attempt) {
            temp = dir_ + '/' + TemporaryPrefix(BaseOf(target_)) +
                   QByteArray::number(QRandomGenerator::global()->generate(), 36);
            err = fs_.CreateNew(temp, 0600, fd);
        }
        if (err != 0)
            return err;
        err = fs_.WriteAll(fd, bytes_);
        mode_t mode;
        if (exists_) {
            mode = old_.st_mode & 07777;
            // Owner before mode: a change of owner clears set-id bits.
            if (err == 0 && (old_.st_uid != ::geteuid() || old_.st_gid != ::getegid())) {
                if (fs_.Chown(fd, old_.st_uid, old_.st_gid) != 0)
                    fs_.Chown(fd, uid_t(-1), old_.st_gid);  // the group, where allowed
            }
        } else if (newFileMode_ != 0) {
            mode = newFileMode_;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        if (err == 0)
            err = fs_.Chmod(fd, mode);
        if (err == 0 && sync_)
            err = fs_.Fsync(fd);
        const int closed = fs_.Close(fd);
        return err != 0 ? err : closed;
    }

    ReplaceOutcome ViaTemporary(bool withBackup)
    {
        const bool backupMade = exists_ && withBackup;
        if (backupMade) {
            if (const int err = MakeBackup())
                return Fail(err);
        } else {
            backup_.clear();
        }
        QByteArray temp;
        int err = WriteTemporary(temp);
        if (err == 0)
            err = fs_.Rename(temp, target_);
        if (err != 0) {
            // The name was never touched: it still holds the old bytes.
            if (!temp.isEmpty())
                fs_.Unlink(temp);
            if (backupMade)
                fs_.Unlink(backup_);
            return Fail(err);
        }
        if (const int synced = sync_ ? fs_.FsyncDir(dir_) : 0) {
            // The new name may not survive a power cut: put the old file back.
            if (backupMade && (fs_.Rename(backup_, target_) != 0 || fs_.FsyncDir(dir_) != 0))
                LeaveBackup();
            return Fail(synced);
        }
        out_.status = ReplaceOutcome::Replaced;
        RemoveBackup();
        return out_;
    }

    // Other names share this file: only writing into it keeps them.
    ReplaceOutcome InPlace(bool withBackup)
    {
        QByteArray old;
        if (const int err = ReadOld(old))
            return Fail(err);
        if (withBackup) {
            if (const int err = CopyBackup(old))
                return Fail(err);
        } else {
            backup_.clear();
        }
        int fd = -1;
        int err = fs_.OpenWrite(target_, fd);
        if (err != 0) {
            if (withBackup)
                fs_.Unlink(backup_);
            return Fail(err);
        }
        err = fs_.WriteAll(fd, bytes_);
        if (err == 0)
            err = fs_.Fsync(fd);
        if (err != 0) {
            int restored = fs_.WriteAll(fd, old);
            if (restored == 0)
                restored = fs_.Fsync(fd);
            fs_.Close(fd);
            if (restored == 0 && withBackup)
                fs_.Unlink(backup_);
            else if (withBackup)
                LeaveBackup();
            return Fail(err);
        }
        fs_.Close(fd);  // the bytes are on disk already
        out_.status = ReplaceOutcome::Replaced;
        RemoveBackup();
        return out_;
    }

    FileLayer &fs_;
    const QByteArray &bytes_;
    bool sync_;
    mode_t newFileMode_;
    QByteArray target_;
    QByteArray dir_;
    QByteArray backup_;
    struct stat old_ { };
    bool exists_ = false;
    ReplaceOutcome out_;
};

}  // namespace

ReplaceOutcome ReplaceFile(FileLayer &fs, const QString &name, const QByteArray &bytes,
                           bool withBackup, bool sync, mode_t newFileMode)
{
    return Replacer(fs, bytes, sync, newFileMode).Run(name, withBackup);
}

void RemoveStaleTemporaries(FileLayer &fs, const QString &name)
{
    // The names WriteTemporary gives: the prefix and up to seven base-36 digits.
    const QByteArray target = EncodeName(name);
    const QByteArray dir = DirOf(target), prefix = TemporaryPrefix(BaseOf(target));
    DIR *entries = ::opendir(dir.constData());
    if (!entries)
        return;
    const time_t minuteAgo = ::time(nullptr) - 60;
    while (const dirent *entry = ::readdir(entries)) {
        const QByteArrayView entryName(entry->d_name);
        const QByteArrayView digits = entryName.sliced(qMin(prefix.size(), entryName.size()));
        if (!entryName.startsWith(prefix) || digits.isEmpty() || digits.size() > kRandomDigits ||
            !std::all_of(digits.begin(), digits.end(),
                         [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); }))
            continue;
        const QByteArray path = dir + '/' + entryName.toByteArray();
        struct stat st { };
        if (fs.Lstat(path, st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            st.st_mtime < minuteAgo)
            fs.Unlink(path);
    }
    ::closedir(entries);
}
