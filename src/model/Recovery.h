#pragma once
// Recovery copies: while a document has unsaved edits, the bytes a save would
// write are kept in a folder of the user's, one file per edited file, so that
// a crash or a kill loses nothing. A lock file beside each copy, held while a
// program has that file open, tells a copy of a program still running from
// one a dead program left.
#include "platform/FileLayer.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

class RecoveryStore {
public:
    // folder: where the copies live; empty turns recovery off.
    RecoveryStore(FileLayer &files, const QString &folder);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    enum class Claim {
        Mine,       // this program keeps the copy of the file
        Elsewhere,  // another running program has the file open
        Off,        // no copies for this file (no folder, or no lock to be had)
    };
    // Takes the file for this program, giving up the one it had. An empty
    // name gives up only. A file is one file by whatever link it is named.
    Claim ClaimFile(const QString &name);
    Claim Claimed() const { return claim_; }
    // Takes the file held elsewhere once the other program has let it go and
    // left no copy behind; a copy it left stays for the next opening.
    Claim ClaimAgain();

    struct Found {
        enum Status { None, Usable, Unusable } status = None;
        QString path;      // of the copy
        QString fileName;  // the file it belongs to
        QDateTime time;    // when it was written
        QByteArray bytes;  // the file's bytes, as a save would have written them
        QString reason;    // why it cannot be used
        // The fingerprint of the file the edits began from (empty: there was
        // none); unknown in a copy of an older version.
        std::optional<QByteArray> base;
    };
    // The copy a program that ended without saving left for the claimed file.
    Found Find() const;

    // Keeps bytes as the claimed file's copy, with the fingerprint of the file
    // they began from; false when it could not.
    bool Write(const QByteArray &bytes, const QByteArray &base);
    void Remove();
    // Writes no more copies for the claimed file (one is there that must stay).
    void Stop() { claim_ = Claim::Off; }

    QString PathFor(const QString &name) const;
    // The claimed file's copy, when there is one.
    QString CopyPath() const;

private:
    void Release();
    // The lock of path, or -1; claim_ tells why not.
    int Lock(const QString &path);

    FileLayer &files_;
    QString folder_;
    QString name_;
    QString path_;
    QString pending_;  // the file held elsewhere
    Claim claim_ = Claim::Off;
    int lockFd_ = -1;
};

// The folder of recovery copies: beside the settings of a portable copy,
// else $XDG_STATE_HOME/quillmark, else ~/.local/state/quillmark.
QString RecoveryFolder(bool portable, const QString &settingsFile);
