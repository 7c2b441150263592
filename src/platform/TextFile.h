#pragma once
// Text files in the windows-31j code page (code page 932).
#include <QByteArray>
#include <QString>
#include <QStringList>

// The first byte of a two-byte windows-31j character.
bool IsLeadByte(unsigned char b);

// Decodes windows-31j. Bytes that are not valid windows-31j become U+FFFD,
// so they can never be written back unnoticed.
QString DecodeCp932(QByteArrayView bytes);
// Encodes into windows-31j; false when a character has no windows-31j form.
bool EncodeCp932(const QString &text, QByteArray &out);

// Splits at CR LF, a lone CR or a lone LF; a final line end adds no empty line.
QList<QByteArray> SplitLines(const QByteArray &bytes);

// Decoded lines of a file's bytes.
QStringList DecodeLines(const QByteArray &bytes);

enum class ReadResult { Ok, Missing, Unreadable, TooLarge };
// Reads a whole file. A file over maxBytes is refused before it is read, so
// a huge file costs no memory. reason gets the OS's words on failure.
ReadResult ReadFileBytes(const QString &path, qint64 maxBytes, QByteArray &bytes,
                         QString *reason = nullptr);
