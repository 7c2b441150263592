#pragma once
#include <QString>

// A non-empty path naming an existing normal file: not a directory, not hidden.
bool FileExists(const QString &path);
// The path up to and including its last separator; empty when it has none.
QString GetFileDir(const QString &path);
// The directory of the running program, ending with a separator.
QString AppPath();
// The platform's path separator(s): "/" here, "\\" as well on Windows builds.
bool IsPathSeparator(QChar c);
