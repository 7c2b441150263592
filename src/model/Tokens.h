#pragma once
#include <QString>

// Cuts the leading token off source at the first occurrence of separator.
// Both the token and the rest are trimmed of spaces. Without the separator
// the whole source is the token and source becomes empty.
QString GetToken(QString &source, const QString &separator);
// Trims spaces (not tabs) from both ends, as the file formats do.
QString TrimSpaces(const QString &text);
