#pragma once
// Text files in the windows-31j code page (code page 932).
#include <QByteArray>
#include <QString>
#include <QStringList>

// Decodes windows-31j. Bytes that are not valid windows-31j become U+FFFD,
// so they can never be written back unnoticed.
QString DecodeCp932(const QByteArray &bytes);
// Encodes into windows-31j; false when a character has no windows-31j form.
bool EncodeCp932(const QString &text, QByteArray &out);

// Splits at CR LF, a lone CR or a lone LF; a final line end adds no empty line.
QList<QByteArray> SplitLines(const QByteArray &bytes);

enum class ReadResult { Ok, Missing, Unreadable };
// Reads a whole text file into decoded lines.
ReadResult ReadTextLines(const QString &path, QStringList &lines);
