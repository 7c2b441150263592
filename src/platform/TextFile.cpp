#include "TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
bool IsSingleByte(unsigned char b) { return b <= 0x7F || (b >= 0xA1 && b <= 0xDF); }

// ICU's windows-31j table follows the IBM habit of swapping three control
// codes (0x1A, 0x1C, 0x7F); the Windows code page maps them to themselves.
bool IsSwappedControl(char16_t c) { return c == 0x1A || c == 0x1C || c == 0x7F; }

}  // namespace

bool IsLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

QString DecodeCp932(QByteArrayView bytes)
{
    // ICU drops a lead byte at the end and turns some invalid bytes into
    // U+001A, which would write back as a different byte. So the structure is
    // checked here and ICU only ever sees whole, well-formed characters.
    QString out;
    out.reserve(bytes.size());
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype runStart = 0;
    auto flush = [&](qsizetype end) {
        if (end > runStart) {
            QStringDecoder decoder("windows-31j", QStringDecoder::Flag::Stateless);
            out += QString(decoder.decode(QByteArrayView(bytes.constData() + runStart, end - runStart)));
        }
    };
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = data[i];
        if (IsLeadByte(b) && i + 1 < n && IsTrailByte(data[i + 1])) {
            i += 2;
        } else if (IsSingleByte(b) && !IsSwappedControl(b)) {
            ++i;
        } else {
            flush(i);
            out += IsSingleByte(b) ? QChar(b) : QChar(kReplacement);
            runStart = ++i;
        }
    }
    flush(n);
    return out;
}

bool EncodeCp932(const QString &text, QByteArray &out)
{
    out.clear();
    out.reserve(text.size() * 2);
    qsizetype runStart = 0;
    auto flush = [&](qsizetype end) {
        if (end <= runStart)
            return true;
        QStringEncoder encoder("windows-31j", QStringEncoder::Flag::Stateless);
        out += QByteArray(encoder.encode(QStringView(text).mid(runStart, end - runStart)));
        return !encoder.hasError();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (IsSwappedControl(c)) {
            if (!flush(i))
                return false;
            out += char(c);
            runStart = i + 1;
        }
    }
    return flush(text.size());
}

namespace {

// Calls line(view) for every line. CR and LF are never trail bytes, so the
// raw bytes can be cut safely.
template <typename F>
void ForEachLine(QByteArrayView bytes, F line)
{
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n')
            continue;
        line(bytes.sliced(start, i - start));
        if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        line(bytes.sliced(start));
}

}  // namespace

QList<QByteArray> SplitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    ForEachLine(bytes, [&lines](QByteArrayView line) { lines.append(line.toByteArray()); });
    return lines;
}

// Straight from the file's bytes: no copy of each raw line on the way.
QStringList DecodeLines(const QByteArray &bytes)
{
    QStringList lines;
    ForEachLine(bytes, [&lines](QByteArrayView line) { lines.append(DecodeCp932(line)); });
    return lines;
}

ReadResult ReadFileBytes(const QString &path, qint64 maxBytes, QByteArray &bytes, QString *reason)
{
    bytes.clear();
    auto fail = [reason](ReadResult result, const QString &why) {
        if (reason)
            *reason = why;
        return result;
    };
    if (path.isEmpty() || path.contains(QChar(0)))
        return fail(ReadResult::Missing, QString());
    const QFileInfo info(path);
    if (!info.exists())
        return fail(ReadResult::Missing, QString());
    // A pipe or a device would block or never end.
    if (!info.isFile())
        return fail(ReadResult::Unreadable, QString());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ReadResult::Unreadable, file.errorString());
    // Sized from the open file, and read one byte past the limit, so a file
    // that grows meanwhile is refused as well.
    if (file.size() > maxBytes)
        return fail(ReadResult::TooLarge, QString());
    bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        bytes.clear();
        return fail(ReadResult::Unreadable, file.errorString());
    }
    if (bytes.size() > maxBytes) {
        bytes.clear();
        return fail(ReadResult::TooLarge, QString());
    }
    return ReadResult::Ok;
}
