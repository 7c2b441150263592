#pragma once
// Text files in the windows-31j code page (code page 932).
#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

// The first byte of a two-byte windows-31j character.
bool IsLeadByte(unsigned char b);

// Decodes windows-31j. Bytes that are not valid windows-31j become U+FFFD,
// so they can never be written back unnoticed.
QString DecodeCp932(QByteArrayView bytes);

// The same piece after piece (the lines of a file), through one converter,
// into a text whose room is kept from one piece to the next.
class Cp932Decoder {
public:
    Cp932Decoder();
    void Decode(QByteArrayView bytes, QString &out);

private:
    QStringDecoder decoder_;
};

// Encodes into windows-31j; false when a character has no windows-31j form.
bool EncodeCp932(QStringView text, QByteArray &out);
// The characters of text that a line of a windows-31j file cannot hold (no
// windows-31j form, or a line break), each once, in the order they come.
QString CharactersNotHeld(QStringView text);

// Builds windows-31j bytes piece by piece, in one buffer and through one
// converter: what EncodeCp932 does for a whole text, without the text.
class Cp932Builder {
public:
    explicit Cp932Builder(qsizetype expectedBytes = 0);
    // Characters below 0x80 only, which windows-31j keeps as they are.
    void AppendAscii(QByteArrayView ascii);
    void Append(QStringView text);
    // The bytes, which ends the building; false, and no bytes, when a
    // character has no windows-31j form.
    bool Take(QByteArray &out);

private:
    char *Room(qsizetype bytes);

    QByteArray bytes_;
    qsizetype used_ = 0;
    QStringEncoder encoder_;
};

// Calls line(view) for every line of text, raw bytes or decoded: CR LF, a
// lone CR or a lone LF ends a line, and a final line end adds no empty line.
// CR and LF are never trail bytes, so raw bytes can be cut as safely as text.
template <typename View, typename F>
void ForEachLine(View text, F line)
{
    // The next CR and the next LF are each looked for with the library's
    // fast search, and looked for again only once passed: a file without
    // one of them is searched for it once, not once a line.
    const qsizetype n = text.size();
    qsizetype nextCr = -1, nextLf = -1, start = 0;
    auto next = [&text, n](qsizetype &found, qsizetype from, char c) {
        if (found < from) {
            found = text.indexOf(c, from);
            if (found < 0)
                found = n;
        }
    };
    while (start < n) {
        next(nextCr, start, '\r');
        next(nextLf, start, '\n');
        const qsizetype end = qMin(nextCr, nextLf);
        if (end == n)
            break;
        line(text.sliced(start, end - start));
        start = end + (end == nextCr && end + 1 == nextLf ? 2 : 1);
    }
    if (start < n)
        line(text.sliced(start));
}

QList<QByteArray> SplitLines(const QByteArray &bytes);
// Views into text, which must outlive them.
QList<QStringView> SplitLines(QStringView text);

// Decoded lines of a file's bytes.
QStringList DecodeLines(const QByteArray &bytes);

enum class ReadResult { Ok, Missing, Unreadable, TooLarge };
// Reads a whole file. A file over maxBytes is refused before it is read, so
// a huge file costs no memory. reason gets the OS's words on failure.
ReadResult ReadFileBytes(const QString &path, qint64 maxBytes, QByteArray &bytes,
                         QString *reason = nullptr);
