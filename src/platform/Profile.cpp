#include "Profile.h"

#include "SafeReplace.h"
#include "TextFile.h"

#include <QFileInfo>

#include <utility>
#include <vector>

namespace {

// Blanks as the profile functions skip them. Neither is ever a trail byte,
// and neither is "=", so keys and values can be cut out of the raw bytes.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray TrimBlanks(const QByteArray &bytes)
{
    qsizetype start = 0;
    qsizetype end = bytes.size();
    while (start < end && IsBlank(bytes.at(start)))
        ++start;
    while (end > start && IsBlank(bytes.at(end - 1)))
        --end;
    return bytes.mid(start, end - start);
}

QString TrimBlanks(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (start < end && blank(text.at(start)))
        ++start;
    while (end > start && blank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

struct Line {
    enum Kind { Other, Section, Key };
    QByteArray raw;
    Kind kind = Other;
    QString name;       // section name or key, for comparing
    qsizetype eq = -1;  // position of the "=" of a key line
};

std::vector<Line> Parse(const QByteArray &bytes)
{
    std::vector<Line> lines;
    const QList<QByteArray> raw = SplitLines(bytes);
    Cp932Decoder decoder;
    lines.reserve(raw.size());
    for (const QByteArray &r : raw) {
        Line line;
        line.raw = r;
        const QByteArray trimmed = TrimBlanks(r);
        if (trimmed.startsWith(';')) {
            // comment
        } else if (trimmed.startsWith('[')) {
            // "[" and "]" can be trail bytes: look for them in decoded text.
            QString text;
            decoder.Decode(trimmed, text);
            const qsizetype close = text.indexOf(u']');
            line.kind = Line::Section;
            line.name = TrimBlanks(close < 0 ? text.mid(1) : text.mid(1, close - 1));
        } else if (const qsizetype eq = r.indexOf('='); eq >= 0) {
            const QByteArray key = TrimBlanks(r.left(eq));
            if (!key.isEmpty()) {
                line.kind = Line::Key;
                decoder.Decode(key, line.name);
                line.eq = eq;
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the first section of that name, or -1.
qsizetype FindSection(const std::vector<Line> &lines, const QString &section)
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == Line::Section && SameName(lines[i].name, section))
            return qsizetype(i);
    return -1;
}

// One past the last line of the section that starts at index start.
qsizetype SectionEnd(const std::vector<Line> &lines, qsizetype start)
{
    qsizetype i = start + 1;
    while (i < qsizetype(lines.size()) && lines[i].kind != Line::Section)
        ++i;
    return i;
}

qsizetype FindKey(const std::vector<Line> &lines, qsizetype start, qsizetype end,
                  const QString &key)
{
    for (qsizetype i = start + 1; i < end; ++i)
        if (lines[i].kind == Line::Key && SameName(lines[i].name, key))
            return i;
    return -1;
}

// The longest start of bytes that fits maxBytes without cutting a character.
QByteArray CutToBytes(const QByteArray &bytes, int maxBytes)
{
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int width = IsLeadByte(uchar(bytes.at(i))) && i + 1 < bytes.size() ? 2 : 1;
        if (i + width > maxBytes)
            break;
        i += width;
    }
    return bytes.left(i);
}

bool HasLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

// Settings files are small; anything larger is not one.
constexpr qint64 kMaxProfileBytes = 1024 * 1024;

bool ReadWholeFile(const QString &path, QByteArray &bytes)
{
    return ReadFileBytes(path, kMaxProfileBytes, bytes) == ReadResult::Ok;
}

}  // namespace

QString ProfileReadBytes(const QByteArray &bytes, const QString &section, const QString &key,
                         int maxBytes)
{
    if (maxBytes <= 0)
        return QString();
    const std::vector<Line> lines = Parse(bytes);
    const qsizetype start = FindSection(lines, TrimBlanks(section));
    if (start < 0)
        return QString();
    const qsizetype found = FindKey(lines, start, SectionEnd(lines, start), TrimBlanks(key));
    if (found < 0)
        return QString();
    const Line &line = lines[found];
    QByteArray value = TrimBlanks(line.raw.mid(line.eq + 1));
    // The profile reader drops one pair of quotes around a value.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return DecodeCp932(CutToBytes(value, maxBytes));
}

std::optional<QByteArray> ProfileWriteBytes(const QByteArray &bytes, const QString &section,
                                            const QString &key, const QString &value)
{
    const QString sectionName = TrimBlanks(section);
    const QString keyName = TrimBlanks(key);
    // A line break would let the value start lines of its own, and these
    // names could never be read back.
    if (sectionName.isEmpty() || sectionName.contains(u']') || HasLineBreak(sectionName) ||
        keyName.isEmpty() || keyName.contains(u'=') || keyName.startsWith(u'[') ||
        keyName.startsWith(u';') || HasLineBreak(keyName) || HasLineBreak(value))
        return std::nullopt;
    QByteArray sectionBytes, keyBytes, valueBytes;
    if (!EncodeCp932(sectionName, sectionBytes) || !EncodeCp932(keyName, keyBytes) ||
        !EncodeCp932(value, valueBytes))
        return std::nullopt;

    std::vector<Line> lines = Parse(bytes);
    const qsizetype start = FindSection(lines, sectionName);
    if (start < 0) {
        Line header;
        header.raw = '[' + sectionBytes + ']';
        lines.push_back(header);
        Line entry;
        entry.raw = keyBytes + '=' + valueBytes;
        lines.push_back(entry);
    } else {
        const qsizetype end = SectionEnd(lines, start);
        const qsizetype found = FindKey(lines, start, end, keyName);
        if (found >= 0) {
            Line &line = lines[found];
            line.raw = TrimBlanks(line.raw.left(line.eq)) + '=' + valueBytes;
        } else {
            // After the section's last non-blank line, so that blank lines
            // before the next section stay where they are.
            qsizetype at = end;
            while (at > start + 1 && TrimBlanks(lines[at - 1].raw).isEmpty())
                --at;
            Line entry;
            entry.raw = keyBytes + '=' + valueBytes;
            lines.insert(lines.begin() + at, entry);
        }
    }

    QByteArray out;
    out.reserve(bytes.size() + valueBytes.size() + keyBytes.size() + sectionBytes.size() + 16);
    for (const Line &line : lines) {
        out += line.raw;
        out += "\r\n";
    }
    return out;
}

QString ProfileRead(const QString &path, const QString &section, const QString &key, int maxBytes)
{
    QByteArray bytes;
    if (path.isEmpty() || !ReadWholeFile(path, bytes))
        return QString();
    return ProfileReadBytes(bytes, section, key, maxBytes);
}

// Reads an existing file whole; false when it cannot be read or decoded.
static bool ReadUsable(const QString &path, QByteArray &bytes)
{
    return ReadWholeFile(path, bytes) && !DecodeCp932(bytes).contains(QChar(0xFFFD));
}

bool ProfileLoad(const QString &path, QByteArray &bytes)
{
    bytes.clear();
    const QFileInfo info(path);
    return (!info.exists() && !info.isSymLink()) || ReadUsable(path, bytes);
}

bool ProfileUsable(const QString &path)
{
    QByteArray bytes;
    return ProfileLoad(path, bytes);
}

bool ProfileStore(const QString &path, const QByteArray &bytes)
{
    PosixFileLayer files;
    return ReplaceFile(files, path, bytes, false).Ok();
}

bool ProfileWrite(const QString &path, const QString &section, const QString &key,
                  const QString &value)
{
    // An existing file that cannot be read must not be replaced by a file
    // holding only the new key.
    QByteArray old;
    if (path.isEmpty() || !ProfileLoad(path, old))
        return false;
    const std::optional<QByteArray> bytes = ProfileWriteBytes(old, section, key, value);
    if (!bytes)
        return false;
    if (QFileInfo::exists(path) && *bytes == old)
        return true;
    return ProfileStore(path, *bytes);
}
