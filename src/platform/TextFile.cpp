#include "TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
bool IsSingleByte(unsigned char b) { return b <= 0x7F || (b >= 0xA1 && b <= 0xDF); }

// ICU's windows-31j table follows the IBM habit of swapping three control
// codes (0x1A, 0x1C, 0x7F); the Windows code page maps them to themselves.
bool IsSwappedControl(char16_t c) { return c == 0x1A || c == 0x1C || c == 0x7F; }

}  // namespace

QString DecodeCp932(const QByteArray &bytes)
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

QList<QByteArray> SplitLines(const QByteArray &bytes)
{
    // CR and LF are never trail bytes, so the raw bytes can be cut safely.
    QList<QByteArray> lines;
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

ReadResult ReadTextLines(const QString &path, QStringList &lines)
{
    lines.clear();
    if (path.isEmpty())
        return ReadResult::Missing;
    const QFileInfo info(path);
    if (!info.exists())
        return ReadResult::Missing;
    if (info.isDir())
        return ReadResult::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadResult::Unreadable;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return ReadResult::Unreadable;
    const QList<QByteArray> raw = SplitLines(bytes);
    lines.reserve(raw.size());
    for (const QByteArray &line : raw)
        lines.append(DecodeCp932(line));
    return ReadResult::Ok;
}
