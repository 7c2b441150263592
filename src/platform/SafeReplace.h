#pragma once
// Replacing a file's bytes without ever losing them.
#include "FileLayer.h"

#include <QString>

struct ReplaceOutcome {
    enum Status { Replaced, FolderMissing, Failed };
    Status status = Failed;
    QString reason;      // the OS's words for what went wrong, if anything did
    QString backupLeft;  // a backup that is still there: after a failed restore,
                         // or after a save whose backup could not be removed
    bool Ok() const { return status == Replaced; }
};

// Writes bytes as the new content of the file name. At every moment, whatever
// fails and even if the process dies, the name holds the complete old or the
// complete new bytes: the new bytes go to a temporary file in the same folder
// and are renamed over the name. With a backup, name + "bak" is a hard link to
// (or a copy of) the old file while the save runs; a stale one is removed
// first, never written through. A symbolic link keeps pointing at its target,
// which gets the bytes; a file with several hard links is written in place
// after a complete backup copy, and put back from it when writing fails.
// Mode, owner and group are kept where the process may set them.
// sync false: no fsync of file or folder, for a copy whose loss in a power
// cut costs nothing. newFileMode: the mode of a file that did not exist (0:
// as the umask gives).
ReplaceOutcome ReplaceFile(FileLayer &fs, const QString &name, const QByteArray &bytes,
                           bool withBackup, bool sync = true, mode_t newFileMode = 0);

// Removes the hidden temporary files that a save of name killed before its
// rename left behind in its folder, once older than a minute (younger ones
// may belong to a save still running in another program). Regular files of
// ours only, never through a link.
void RemoveStaleTemporaries(FileLayer &fs, const QString &name);
