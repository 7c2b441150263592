#include "MtlFile.h"

#include "Numbers.h"
#include "Tokens.h"
#include "platform/FileSystem.h"
#include "platform/SafeReplace.h"
#include "platform/TextFile.h"

#include <QtEndian>

#include <cstddef>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <tuple>

namespace {

// The writer puts its pieces either into text or, through a Cp932Builder
// with the same two calls, straight into the file's bytes.
struct TextOut {
    QString &text;
    void AppendAscii(QByteArrayView ascii)
    {
        text.append(QLatin1StringView(ascii.data(), ascii.size()));
    }
    void Append(QStringView piece) { text.append(piece); }
};

template <typename Out>
void PutNumber(Out &out, double value, NumberPattern pattern)
{
    char text[kMaxNumberChars];
    out.AppendAscii(QByteArrayView(text, WriteNumber(text, value, pattern) - text));
}

// The line of r; false, with nothing put, when the slot is not to be listed
// or written. All but the name is ASCII, made here and put in one go.
template <typename Out>
bool PutAttachLine(Out &out, const AttachmentRecord &r)
{
    const int stages = WrittenStages(r);
    if (stages == 0)
        return false;

    constexpr std::string_view kKey = "ATTACHMENT", kEquals = " = ";
    constexpr std::size_t kStages = std::tuple_size_v<decltype(r.Width)>;
    char line[kKey.size() + kEquals.size() + 32 + (2 + 2 * kStages) * kMaxNumberChars];
    char *to = std::copy(kKey.begin(), kKey.end(), line);
    to = WriteNumber(to, r.Number, Pattern::TwoDigits);
    to = std::copy(kEquals.begin(), kEquals.end(), to);
    const QString shape = ShapeName(r.ShapeType);  // an ASCII word
    for (QChar c : shape)
        *to++ = char(c.unicode());
    if (r.ShapeNumber != 1)
        to = WriteNumber(to, r.ShapeNumber, Pattern::Digits);
    *to++ = '/';

    for (std::size_t k = 0; k < std::size_t(stages); ++k) {
        to = WriteNumber(to, r.Width[k], Pattern::Decimal);
        *to++ = ',';
        to = WriteNumber(to, r.Height[k], Pattern::Decimal);
        *to++ = ',';
    }

    const bool named = WritesName(r);
    if (!named)
        --to;  // the "," of the last stage
    out.AppendAscii(QByteArrayView(line, to - line));
    if (named)
        out.Append(r.AttachName.str());
    return true;
}

template <typename Out>
void PutFile(Out &out, const MachineTable &table, const AttachmentSlots &attachments)
{
    const QByteArrayView stars = "******************************";
    auto end = [&out] { out.AppendAscii("\r\n"); };
    out.AppendAscii("#");
    out.AppendAscii(stars.first(18));
    out.AppendAscii("   MACHINE TABLE FOR MORVEX2000   ");
    out.AppendAscii(stars.first(18));
    end();
    out.AppendAscii("#");
    out.AppendAscii(stars.first(21));
    out.AppendAscii("   EDITED WITH Quillmark    ");
    out.AppendAscii(stars.first(7));
    out.AppendAscii("Ver");
    out.Append(kVersionText);
    out.AppendAscii(stars.first(7));
    end();
    for (const FieldRef field : kWriterOrder) {
        const QString value = WrittenValue(table, field);
        if (value.isEmpty())
            continue;
        out.Append(FieldKey(field));
        out.AppendAscii(" = ");
        out.Append(value);
        end();
    }
    for (const AttachmentRecord &r : attachments)
        if (PutAttachLine(out, r))
            end();
}

// Room for a table of 32767 attachments up front, so that it is not copied
// over and over while it grows.
qsizetype ExpectedSize(const AttachmentSlots &attachments)
{
    return 1024 + qsizetype(attachments.size()) * 72;
}

}  // namespace

QString WrittenValue(const MachineTable &table, FieldRef field)
{
    if (const float *single = SingleOf(table, field)) {
        if (!(*single > 0))
            return QString();
        return FormatNumber(*single, field.field == Field::ToolChangeTime ? Pattern::DecimalNoLead
                                                                          : Pattern::Decimal);
    }
    switch (field.field) {
    case Field::MachineName: return table.MachineName.str();
    case Field::AtcType:
        if (table.AtcType < 0 || table.AtcType > 2)
            return QString();
        return AtcTypeNames[std::size_t(table.AtcType)];
    case Field::IniAttachment:
        if (table.IniAttachment <= 0)
            return QString();
        return AttachmentKey(table.IniAttachment);
    case Field::AttachChangeCode: return table.AttachChangeCode;
    case Field::AttachDesignCode: return table.AttachDesignCode;
    default: return QString();
    }
}

int WrittenStages(const AttachmentRecord &r)
{
    // A free slot may still hold the rest of a deleted record until the next
    // sort; it is never listed or written.
    if (r.Number < 1 || r.ShapeNumber < 1 || (r.ShapeType != 1 && r.ShapeType != 2))
        return 0;
    // The stages stop at the first width smaller than the one before; a
    // negative first width leaves no line at all.
    float previous = 0;
    int k = 0;
    for (; k < int(r.Width.size()) && !(r.Width[std::size_t(k)] < previous); ++k)
        previous = r.Width[std::size_t(k)];
    return k;
}

bool WritesName(const AttachmentRecord &r)
{
    const QString &name = r.AttachName.str();
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c != u' '; });
}

bool WritesAlike(const MachineTable &a, const AttachmentSlots &slotsA, const MachineTable &b,
                 const AttachmentSlots &slotsB)
{
    if (!BitEqual(a, b))
        for (const FieldRef field : kWriterOrder)
            if (WrittenValue(a, field) != WrittenValue(b, field))
                return false;
    // The records the writer writes, pair by pair in slot order.
    auto next = [](const AttachmentSlots &records, std::size_t i) {
        while (i < records.size() && WrittenStages(records[i]) == 0)
            ++i;
        return i;
    };
    std::size_t i = next(slotsA, 0), j = next(slotsB, 0);
    for (; i < slotsA.size() && j < slotsB.size(); i = next(slotsA, i + 1), j = next(slotsB, j + 1))
        if (!BitEqual(slotsA[i], slotsB[j]) &&
            FormatAttachLine(slotsA, int(i)) != FormatAttachLine(slotsB, int(j)))
            return false;
    return i >= slotsA.size() && j >= slotsB.size();
}

QString FormatAttachLine(const AttachmentSlots &attachments, int index)
{
    QString line;
    TextOut out{line};
    if (index >= 0 && index < int(attachments.size()))
        PutAttachLine(out, attachments[std::size_t(index)]);
    return line;
}

QString MtlFileText(const MachineTable &table, const AttachmentSlots &attachments)
{
    QString text;
    text.reserve(ExpectedSize(attachments));
    TextOut out{text};
    PutFile(out, table, attachments);
    return text;
}

bool MtlFileBytes(const MachineTable &table, const AttachmentSlots &attachments, QByteArray &bytes)
{
    Cp932Builder out(ExpectedSize(attachments));
    PutFile(out, table, attachments);
    return out.Take(bytes);
}

QString CharactersNotHeld(const MachineTable &table, const AttachmentSlots &attachments)
{
    QByteArray bytes;
    if (MtlFileBytes(table, attachments, bytes))
        return QString();
    // Each text's own, then each of those once.
    QString unheld = CharactersNotHeld(table.MachineName.str()) +
                     CharactersNotHeld(table.AttachChangeCode) +
                     CharactersNotHeld(table.AttachDesignCode);
    for (const AttachmentRecord &r : attachments)
        if (r.Number != 0)
            unheld += CharactersNotHeld(r.AttachName.str());
    return CharactersNotHeld(unheld);
}

QString AttachmentKey(std::int32_t number)
{
    return QStringLiteral("ATTACHMENT") + FormatNumber(number, Pattern::TwoDigits);
}

QByteArray ContentHash(const QByteArray &bytes)
{
    // A function of the bytes alone: a recovery copy keeps the fingerprint of
    // its file for the next run, and Qt's hashes are seeded anew in each run.
    quint64 hash = 0x9e3779b97f4a7c15ULL ^ quint64(bytes.size());
    const auto mix = [&hash](quint64 word) {
        hash = (hash ^ word) * 0xff51afd7ed558ccdULL;
        hash ^= hash >> 29;
    };
    const char *p = bytes.constData();
    const qsizetype whole = bytes.size() / 8 * 8;
    for (qsizetype i = 0; i < whole; i += 8)
        mix(qFromLittleEndian<quint64>(p + i));
    quint64 rest = 0;
    for (qsizetype i = whole; i < bytes.size(); ++i)
        rest |= quint64(uchar(p[i])) << (8 * (i - whole));
    mix(rest);
    hash = (hash ^ (hash >> 32)) * 0xc4ceb9fe1a85ec53ULL;
    const quint64 fields[2] = {quint64(bytes.size()), hash ^ (hash >> 29)};
    return QByteArray(reinterpret_cast<const char *>(fields), sizeof fields);
}

bool SameContent(const QString &path, const QByteArray &fingerprint)
{
    quint64 size = 0;
    if (fingerprint.size() < qsizetype(sizeof size))
        return false;
    std::memcpy(&size, fingerprint.constData(), sizeof size);
    // Read one byte past the size, so that a file that grew is told apart.
    QByteArray bytes;
    return size <= quint64(kMaxMtlFileBytes) && StatPath(path).size == qint64(size) &&
           ReadFileBytes(path, qint64(size) + 1, bytes) == ReadResult::Ok &&
           ContentHash(bytes) == fingerprint;
}

SaveResult WriteMtlFile(FileLayer &files, const QString &fileName, const MachineTable &table,
                        const AttachmentSlots &attachments)
{
    SaveResult result;
    // The text is made and encoded before anything on disk is touched, so a
    // character windows-31j cannot hold leaves the old file as it was.
    QByteArray bytes;
    if (!MtlFileBytes(table, attachments, bytes)) {
        result.problem = FileProblem::NotSaved;
        result.unheld = CharactersNotHeld(table, attachments);
        return result;
    }
    const ReplaceOutcome outcome = ReplaceFile(files, fileName, bytes, true);
    result.reason = outcome.reason;
    result.backupLeft = outcome.backupLeft;
    switch (outcome.status) {
    case ReplaceOutcome::Replaced: {
        result.hash = ContentHash(bytes);
        // A save killed before its rename left its temporary file; the
        // temporaries sit beside the link's target.
        const QString target = CanonicalPath(fileName);
        RemoveStaleTemporaries(files, target.isEmpty() ? fileName : target);
        break;
    }
    case ReplaceOutcome::FolderMissing: result.problem = FileProblem::FolderMissing; break;
    case ReplaceOutcome::Failed: result.problem = FileProblem::NotSaved; break;
    }
    return result;
}
