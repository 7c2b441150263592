#include "CurrentFile.h"

#include "MtlFile.h"
#include "platform/TextFile.h"

#include <QFileInfo>

bool CurrentFile::SameOnDisk() const
{
    const QFileInfo info(name_);
    if (state_ == State::Missing)
        return !info.exists() && !info.isSymLink();
    QByteArray bytes;
    return ReadFileBytes(name_, kMaxMtlFileBytes, bytes) == ReadResult::Ok &&
           ContentHash(bytes) == hash_;
}
