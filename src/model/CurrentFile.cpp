#include "CurrentFile.h"

#include "MtlFile.h"

#include "platform/FileSystem.h"

bool CurrentFile::SameOnDisk() const
{
    if (state_ == State::Missing)
        return !StatPath(name_, false).exists;
    return SameContent(name_, hash_);
}

bool CurrentFile::Exists() const
{
    return FileExists(name_);
}
