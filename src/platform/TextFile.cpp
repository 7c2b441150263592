#include "TextFile.h"

#include "FileSystem.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsTrailByte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}
bool IsSingleByte(unsigned char b)
{
    return b <= 0x7F || (b >= 0xA1 && b <= 0xDF);
}

// The length of the ASCII at the start of p, eight bytes at a time.
qsizetype AsciiRun(const unsigned char *p, qsizetype n)
{
    qsizetype k = 0;
    for (; k + 8 <= n; k += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + k, sizeof w);
        if (w & 0x8080808080808080)
            break;
    }
    while (k < n && p[k] < 0x80)
        ++k;
    return k;
}

}  // namespace

bool IsLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

QString DecodeCp932(QByteArrayView bytes)
{
    QString out;
    Cp932Decoder().Decode(bytes, out);
    return out;
}

Cp932Decoder::Cp932Decoder() : decoder_("windows-31j", QStringDecoder::Flag::Stateless)
{
}

void Cp932Decoder::Decode(QByteArrayView bytes, QString &out)
{
    // ICU drops a lead byte at the end and turns some invalid bytes into
    // U+001A, which would write back as a different byte. So the structure is
    // checked here and ICU only ever sees whole, well-formed characters, all
    // through one converter, straight into the result. A byte below 0x80 is
    // that character in windows-31j and needs no ICU, which would get three
    // of them wrong: its table follows the IBM habit of swapping the control
    // codes 0x1A, 0x1C and 0x7F, which Windows maps to themselves. The room
    // reserved is all the text can take, so nothing is moved while it fills,
    // and room never written costs no memory.
    out.truncate(0);
    out.reserve(decoder_.requiredSpace(bytes.size()));
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype ascii = AsciiRun(data + i, n - i);
        out.append(QLatin1StringView(bytes.sliced(i, ascii)));
        i += ascii;
        qsizetype end = i;
        while (end < n) {
            const unsigned char b = data[end];
            if (IsLeadByte(b) && end + 1 < n && IsTrailByte(data[end + 1]))
                end += 2;
            else if (IsSingleByte(b) && b >= 0x80)
                ++end;
            else
                break;
        }
        if (end > i) {
            const QByteArrayView run = bytes.sliced(i, end - i);
            const qsizetype at = out.size();
            out.resize(at + decoder_.requiredSpace(run.size()));
            out.truncate(decoder_.appendToBuffer(out.data() + at, run) - out.constData());
            i = end;
        } else if (i < n) {
            out.append(QChar(kReplacement));  // a byte that starts no character
            ++i;
        }
    }
}

bool EncodeCp932(QStringView text, QByteArray &out)
{
    Cp932Builder builder;
    builder.Append(text);
    return builder.Take(out);
}

QString CharactersNotHeld(QStringView text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x80 && c != u'\r' && c != u'\n';
    });
    QString unheld;
    if (plain)
        return unheld;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = text.sliced(i, n);
        i += n;
        const bool held =
            character[0] != u'\r' && character[0] != u'\n' &&
            (character[0].unicode() < 0x80 || [character] {
                // An encoder keeps its error once it has one.
                QStringEncoder encoder("windows-31j", QStringEncoder::Flag::Stateless);
                const QByteArray encoded = encoder.encode(character);
                return !encoder.hasError();
            }());
        if (!held && !unheld.contains(character))
            unheld += character;
    }
    return unheld;
}

Cp932Builder::Cp932Builder(qsizetype expectedBytes)
    : encoder_("windows-31j", QStringEncoder::Flag::Stateless)
{
    // Room reserved but never written costs no memory.
    bytes_.resize(expectedBytes);
}

char *Cp932Builder::Room(qsizetype bytes)
{
    if (bytes_.size() - used_ < bytes)
        bytes_.resize(qMax(used_ + bytes, 2 * bytes_.size()));
    return bytes_.data() + used_;
}

void Cp932Builder::AppendAscii(QByteArrayView ascii)
{
    std::memcpy(Room(ascii.size()), ascii.data(), std::size_t(ascii.size()));
    used_ += ascii.size();
}

void Cp932Builder::Append(QStringView text)
{
    char *const start = Room(encoder_.requiredSpace(text.size()));
    char *to = start;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        // ASCII as itself (the controls that ICU swaps, as decoding explains,
        // included); the rest in runs through ICU.
        for (; i < n && text[i].unicode() < 0x80; ++i)
            *to++ = char(text[i].unicode());
        const qsizetype runStart = i;
        while (i < n && text[i].unicode() >= 0x80)
            ++i;
        if (i > runStart)
            to = encoder_.appendToBuffer(to, text.sliced(runStart, i - runStart));
    }
    used_ += to - start;
}

bool Cp932Builder::Take(QByteArray &out)
{
    const bool ok = !encoder_.hasError();
    bytes_.truncate(ok ? used_ : 0);
    out = std::move(bytes_);
    return ok;
}

QList<QByteArray> SplitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    ForEachLine(QByteArrayView(bytes),
                [&lines](QByteArrayView line) { lines.append(line.toByteArray()); });
    return lines;
}

QList<QStringView> SplitLines(QStringView text)
{
    QList<QStringView> lines;
    ForEachLine(text, [&lines](QStringView line) { lines.append(line); });
    return lines;
}

// Decoded once, with one converter, and cut afterwards.
QStringList DecodeLines(const QByteArray &bytes)
{
    const QString text = DecodeCp932(bytes);
    QStringList lines;
    ForEachLine(QStringView(text), [&lines](QStringView line) { lines.append(line.toString()); });
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
    const PathInfo info = StatPath(path);
    if (!info.exists)
        return fail(ReadResult::Missing, QString());
    // A pipe or a device would block or never end.
    if (!info.isFile)
        return fail(ReadResult::Unreadable, QString());
    const int fd = ::open(EncodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return fail(ReadResult::Unreadable, QString::fromLocal8Bit(std::strerror(errno)));
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(ReadResult::Unreadable, file.errorString());
    }
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
