#include "FileWatch.h"

#include "MtlFile.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"

#include <QFileInfo>

namespace {

// A name the file system can be asked about at all.
bool Nameable(const QString &path)
{
    return !path.isEmpty() && !path.contains(QChar(0));
}

}  // namespace

FileWatch::FileWatch(QObject *parent) : QObject(parent)
{
    // Events come in bursts (a save by rename is several); one look after the burst serves them
    // all, and nothing runs while the file is left alone.
    pending_.setSingleShot(true);
    pending_.setInterval(0);
    connect(&pending_, &QTimer::timeout, this, &FileWatch::Check);
    const auto later = [this] {
        if (events_ && !pending_.isActive())
            pending_.start();
    };
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, later);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, later);
}

void FileWatch::Watch(const QString &path, const QByteArray &fingerprint)
{
    path_ = path;
    fingerprint_ = fingerprint;
    const FileStat now = StatOf(path);
    loaded_ = fingerprint.isEmpty() ? FileStat() : now;
    seen_.reset();
    acknowledged_.reset();
    pending_.stop();
    Rewatch(now);
    Tell(Change::None);
    // A change between the load and this call is found by the first look.
    if (!path.isEmpty() && events_)
        pending_.start();
}

void FileWatch::Saved(const QByteArray &fingerprint)
{
    // Called straight after the rename: the watcher's events of the save are still queued and
    // find the new file settled here.
    fingerprint_ = fingerprint;
    loaded_ = StatOf(path_);
    seen_.reset();
    acknowledged_.reset();
    Check();
}

void FileWatch::Acknowledge()
{
    QByteArray bytes;
    acknowledged_ =
        StatOf(path_).exists && ReadFileBytes(path_, kMaxMtlFileBytes + 1, bytes) == ReadResult::Ok
            ? ContentHash(bytes)
            : QByteArray();
    Tell(Change::None);
}

FileWatch::Change FileWatch::Check()
{
    if (path_.isEmpty())
        return state_;
    const FileStat now = StatOf(path_);
    Rewatch(now);
    if (seen_ != now) {
        seen_ = now;
        Change change = Compare(now);
        // What the user was told of stays told until the file is back as it
        // was loaded: a writer that empties the file first shows other bytes
        // for a moment, then the same ones again.
        const bool told =
            acknowledged_ && change != Change::None &&
            (now.exists ? !acknowledged_->isEmpty() && SameContent(path_, *acknowledged_)
                        : acknowledged_->isEmpty());
        if (told)
            change = Change::None;
        else if (change == Change::None)
            acknowledged_.reset();
        Tell(change);
        emit Seen();
    }
    // A file that comes back is another one, even where the freed inode number is given to it.
    if (!now.exists)
        loaded_ = FileStat();
    return state_;
}

void FileWatch::SetEventsEnabled(bool on)
{
    events_ = on;
    if (!on)
        pending_.stop();
}

FileWatch::FileStat FileWatch::StatOf(const QString &path)
{
    // Through the program's own name bytes: a name that is no UTF-8 is a file too.
    const PathInfo info = StatPath(path);
    FileStat result;
    if (!info.exists)
        return result;
    result.exists = true;
    result.device = info.device;
    result.inode = info.inode;
    result.size = info.size;
    result.modifiedNs = info.modifiedNs;
    return result;
}

void FileWatch::Rewatch(const FileStat &now)
{
    // The watcher forgets a removed file, and after a rename over the name it still follows the
    // old file: the name is watched afresh whenever another file is under it.
    const QStringList files = watcher_.files();
    const bool follows = files.contains(path_) && now.SameFile(watched_);
    if (!follows && !files.isEmpty())
        watcher_.removePaths(files);
    if (!follows && now.exists && watcher_.addPath(path_))
        watched_ = now;

    // The folder of the name, and of a link's target, where the renames happen.
    QStringList folders;
    if (Nameable(path_)) {
        folders << CanonicalPath(FolderOf(AbsolutePath(path_)));
        // A link whose target is gone still names the folder where it comes back.
        QString target = CanonicalPath(path_);
        if (target.isEmpty())
            target = QFileInfo(path_).symLinkTarget();
        if (!target.isEmpty())
            folders << CanonicalPath(FolderOf(target));
    }
    folders.removeAll(QString());
    folders.removeDuplicates();
    for (const QString &folder : watcher_.directories())
        if (!folders.contains(folder))
            watcher_.removePath(folder);
    for (const QString &folder : folders)
        if (!watcher_.directories().contains(folder))
            watcher_.addPath(folder);
}

FileWatch::Change FileWatch::Compare(const FileStat &now) const
{
    if (!now.exists)
        return fingerprint_.isEmpty() ? Change::None : Change::Removed;
    // SameContent reads nothing of a file of another size, so nothing over the size limit.
    if (!fingerprint_.isEmpty() && SameContent(path_, fingerprint_))
        return Change::None;
    return now.SameFile(loaded_) ? Change::Changed : Change::Replaced;
}

void FileWatch::Tell(Change change)
{
    if (change == state_)
        return;
    state_ = change;
    emit StateChanged(change);
}
