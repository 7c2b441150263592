#pragma once
// Another program's change to the open file, noticed as it happens.
#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class FileWatch : public QObject {
    Q_OBJECT
public:
    // The file against the bytes last loaded or saved.
    enum class Change {
        None,      // the same bytes, or still no file when there was none
        Changed,   // other bytes in the same file
        Replaced,  // another file with other bytes under the name
        Removed,   // no file under the name
    };
    Q_ENUM(Change)

    explicit FileWatch(QObject *parent = nullptr);
    // Watches the file path (and its folder: a save by another program usually renames a new file
    // over the old one). fingerprint: ContentHash() of the bytes last loaded or saved; empty:
    // there was no file. An empty path stops watching.
    void Watch(const QString &path, const QByteArray &fingerprint);
    // The program's own save wrote these bytes: never reported as a change.
    void Saved(const QByteArray &fingerprint);
    // The user has been told: the state is None again until the file changes
    // once more, though its bytes still differ. A touch, or the same bytes
    // written again, is no new change.
    void Acknowledge();
    // The file loaded or saved is no longer there: the table is nowhere else.
    bool Gone() const { return !fingerprint_.isEmpty() && seen_ && !seen_->exists; }
    // Looks at the file now; emits StateChanged when its state differs from the last one told.
    // For the window's activation (a network share sends no events). Returns the state.
    Change Check();
    Change State() const { return state_; }
    // Tests: the watcher's own events off, as on a file system that sends none.
    void SetEventsEnabled(bool on);

signals:
    void StateChanged(FileWatch::Change change);
    // A look found the file otherwise than the last one, whatever its state.
    void Seen();

private:
    // What stat tells of a file, through a symbolic link; nothing when there is none.
    struct FileStat {
        bool exists = false;
        quint64 device = 0, inode = 0;
        qint64 size = 0, modifiedNs = 0;
        bool operator==(const FileStat &) const = default;
        bool SameFile(const FileStat &other) const
        {
            return exists && other.exists && device == other.device && inode == other.inode;
        }
    };
    static FileStat StatOf(const QString &path);

    void Rewatch(const FileStat &now);
    Change Compare(const FileStat &now) const;
    void Tell(Change change);

    QFileSystemWatcher watcher_;
    QTimer pending_;  // one look after a burst of events
    QString path_;
    QByteArray fingerprint_;
    FileStat loaded_;               // the file that held the fingerprint's bytes
    FileStat watched_;              // the file the watcher's entry follows
    std::optional<FileStat> seen_;  // at the last look, which hashed when it changed
    Change state_ = Change::None;
    // What the user acknowledged: the file's fingerprint, empty when it was gone.
    std::optional<QByteArray> acknowledged_;
    bool events_ = true;
};
