#pragma once
#include <QString>
#include <QStringView>

// Cuts the leading token off source at the first occurrence of separator.
// Both the token and the rest are trimmed of spaces. Without the separator
// the whole source is the token and source becomes empty.
QString GetToken(QString &source, const QString &separator);
// The same on a view: token and rest stay views into the caller's text, so
// cutting a long line item by item costs its length once, not per item.
QStringView CutToken(QStringView &rest, QStringView separator);
// Trims spaces (not tabs) from both ends, as the file formats do.
QString TrimSpaces(const QString &text);
QStringView TrimSpaces(QStringView text);
