#pragma once
// The file operations that saving uses, behind one small seam so that tests
// can make the Nth operation fail, once or from then on.
#include <QByteArray>
#include <QFileDevice>
#include <QString>

class FileOps {
public:
    bool DirExists(const QString &path);
    bool FileExists(const QString &path);
    bool Remove(const QString &path);
    bool Rename(const QString &from, const QString &to);
    // Writes through a temporary file that is flushed to disk and renamed over
    // path (QSaveFile). Open, write, flush and commit each count as one operation.
    // On failure path is untouched. Non-empty permissions are given to the
    // new file, so that a replaced file keeps its own.
    bool WriteWhole(const QString &path, const QByteArray &data,
                    QFileDevice::Permissions permissions = {});

    // Fault injection. Operations are counted from 1 after each call.
    void FailAt(int operation, bool fromThenOn = false);
    void ClearFaults();
    int Operations() const { return count_; }

private:
    bool Step();  // false when this operation is to fail
    int count_ = 0;
    int failAt_ = 0;
    bool failOn_ = false;
};
