#include "CurrentFile.h"

#include "MtlFile.h"

#include <QFileInfo>

bool CurrentFile::SameOnDisk() const
{
    const QFileInfo info(name_);
    if (state_ == State::Missing)
        return !info.exists() && !info.isSymLink();
    return SameContent(name_, hash_);
}
