#include "MtlFile.h"

#include "Numbers.h"
#include "SlotOrder.h"
#include "Tokens.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace {

const QString kAttachment = QStringLiteral("ATTACHMENT");

class LineReader {
public:
    LineReader(int attachMaxCount, MachineTable &table, AttachmentSlots &attachments,
               MtlFindingSink *sink, SourceLines *lines)
        : attachMaxCount_(qMax(0, attachMaxCount)), table_(table), attachments_(attachments),
          sink_(sink), lines_(lines)
    {
        if (lines_) {
            *lines_ = SourceLines();
            lines_->attachments.assign(attachments_.size(), 0);
        }
    }

    bool recognised = false;

    void Read(int lineNumber, QStringView raw)
    {
        lineNumber_ = lineNumber;
        raw_ = raw;
        roundedReported_ = false;
        if (raw.startsWith(u'#')) {
            // The writer puts its own two header lines where the file's first
            // two "#" lines were; any other comment is lost.
            if (lineNumber != headerLines_ + 1 || headerLines_ >= 2)
                Report(MtlFinding::CommentDropped);
            else
                ++headerLines_;
            return;
        }
        if (TrimSpaces(raw).isEmpty())
            return;

        // Keys, values and items are views into the one upper-cased line,
        // whose buffer serves every line.
        UpperSameLength(raw, upper_);
        QStringView value(upper_);
        const QStringView key = CutToken(value, u"=");
        QStringView rest = key;
        const QStringView keyword = CutToken(rest, u"(");
        int axis = -1;
        if (!rest.isEmpty()) {
            const QChar c = rest.at(0);
            axis = c == QLatin1Char('X')   ? 0
                   : c == QLatin1Char('Y') ? 1
                   : c == QLatin1Char('Z') ? 2
                                           : -1;
        }

        if (axis >= 0)
            ReadAxisLine(keyword, axis, value);
        else
            ReadPlainLine(keyword, value);
    }

private:
    void Report(MtlFinding kind)
    {
        if (sink_)
            sink_->Found(lineNumber_, kind, raw_.toString());
    }

    // Remembers which line set a field last, so that mtlcheck can name the
    // lines whose value a later one replaces, and the line of each value.
    void Set(FieldRef field)
    {
        recognised = true;
        const std::size_t at = WriterIndex(field);
        if (lines_)
            lines_->values[at] = lineNumber_;
        if (!sink_)
            return;
        if (lastLine_[at].first)
            sink_->Found(lastLine_[at].first, MtlFinding::Superseded, lastLine_[at].second);
        lastLine_[at] = {lineNumber_, raw_.toString()};
    }

    // Saving keeps three decimals at most; a value whose written text reads
    // back as another value is changed by saving, and so is one whose text
    // is another number than the file's (a Single holds about seven digits).
    // Told once per line.
    float Kept(float value, double read)
    {
        if (!sink_ || roundedReported_)
            return value;
        const double written = ParseNumeric(FormatNumber(value, Pattern::Decimal)).value_or(NAN);
        const bool rounded = float(written) != value;
        if (rounded || written != read) {
            roundedReported_ = true;
            Report(rounded ? MtlFinding::ValueRounded : MtlFinding::ValueNotHeld);
        }
        return value;
    }

    // Whole numbers are kept rounded, half to even.
    void KeptWhole(double read, std::int32_t kept)
    {
        if (sink_ && !roundedReported_ && read != kept) {
            roundedReported_ = true;
            Report(MtlFinding::ValueRounded);
        }
    }

    float Number(QStringView text)
    {
        const auto parsed = ParseNumeric(text);
        const auto single = parsed ? ToSingle(*parsed) : std::nullopt;
        if (!single) {
            Report(MtlFinding::NotNumeric);
            return 0;
        }
        if (*single < 0) {
            Report(MtlFinding::ValueChanged);
            return 0;
        }
        return Kept(*single, *parsed);
    }

    void ReadAxisLine(QStringView keyword, int axis, QStringView value)
    {
        static const std::pair<QLatin1String, Field> kAxisKeywords[] = {
            {QLatin1String("STROKE"), Field::Stroke},
            {QLatin1String("MAXIMUM FEEDRATE"), Field::MaxFeed},
            {QLatin1String("MAXIMUM ACCELERATION"), Field::MaxAccel},
            {QLatin1String("RAPID"), Field::RapidFeed},
            {QLatin1String("RAPID ACCELERATION"), Field::RapidAccel},
        };
        for (const auto &[word, field] : kAxisKeywords) {
            if (keyword == word) {
                Set({field, axis});
                *SingleOf(table_, {field, axis}) = Number(value);
                return;
            }
        }
        Report(MtlFinding::UnrecognisedLine);
    }

    void ReadPlainLine(QStringView keyword, QStringView value)
    {
        // Attachment lines first, being nearly all of a big file; no other
        // keyword starts with their word.
        if (keyword.startsWith(kAttachment)) {
            ReadAttachment(keyword, value);
        } else if (keyword == QLatin1String("NAME")) {
            Set({Field::MachineName});
            table_.MachineName = value;
            if (TrimSpaces(QStringView(table_.MachineName.str())) != value)
                Report(MtlFinding::ValueChanged);
        } else if (keyword == QLatin1String("ATC TYPE")) {
            Set({Field::AtcType});
            table_.AtcType = -1;
            for (std::size_t i = 0; i < AtcTypeNames.size(); ++i)
                if (value == AtcTypeNames[i])
                    table_.AtcType = std::int16_t(i);
            if (table_.AtcType < 0)
                Report(MtlFinding::ValueChanged);
        } else if (keyword == QLatin1String("TOOL CHANGE TIME")) {
            Set({Field::ToolChangeTime});
            table_.ToolChangeTime = Number(value);
        } else if (keyword == QLatin1String("MAXIMUM FEEDRATE")) {
            Set({Field::MaxFeedAll});
            table_.MaxFeedAll = Number(value);
        } else if (keyword == QLatin1String("INI")) {
            if (!value.startsWith(kAttachment)) {
                Report(MtlFinding::UnrecognisedLine);
                return;
            }
            Set({Field::IniAttachment});
            const auto parsed = ParseNumeric(value.sliced(kAttachment.size()));
            const auto number = parsed ? RoundToInt32(*parsed) : std::nullopt;
            if (!number)
                Report(MtlFinding::NotNumeric);
            else
                KeptWhole(*parsed, *number);
            table_.IniAttachment = number.value_or(0);
        } else if (keyword == QLatin1String("ATTACH CHANGE CODE")) {
            Set({Field::AttachChangeCode});
            table_.AttachChangeCode = value.toString();
        } else if (keyword == QLatin1String("ATTACH DESIGN CODE")) {
            Set({Field::AttachDesignCode});
            table_.AttachDesignCode = value.toString();
        } else {
            Report(MtlFinding::UnrecognisedLine);
        }
    }

    // "SQUARE" or "UNDEFINE", directly followed by a shape number or not.
    static bool ReadShape(QStringView token, AttachmentRecord &record)
    {
        static const QString words[] = {QStringLiteral("SQUARE"), QStringLiteral("UNDEFINE")};
        for (int type = 1; type <= 2; ++type) {
            const QString &word = words[type - 1];
            if (!token.startsWith(word))
                continue;
            const QStringView digits = token.sliced(word.size());
            int number = 1;
            if (!digits.isEmpty()) {
                if (digits.size() > 5)
                    return false;
                number = 0;
                for (QChar c : digits) {
                    if (c.unicode() < '0' || c.unicode() > '9')
                        return false;
                    number = number * 10 + (c.unicode() - '0');
                }
                if (number < 1 || number > 32767)
                    return false;
            }
            record.ShapeType = std::int16_t(type);
            record.ShapeNumber = std::int16_t(number);
            return true;
        }
        return false;
    }

    // One stage value; a text that is not numeric reads as 0. Only the last
    // item of the line may be a name, so a word elsewhere is reported.
    float StageValue(QStringView item, QStringView rest, bool &numeric)
    {
        const auto parsed = ParseNumeric(item);
        numeric = parsed.has_value();
        const auto single = parsed ? ToSingle(*parsed) : std::nullopt;
        if (!single && !rest.isEmpty())
            Report(MtlFinding::NotNumeric);
        return single ? Kept(*single, *parsed) : 0;
    }

    void ReadAttachment(QStringView keyword, QStringView value)
    {
        const auto parsed = ParseNumeric(keyword.sliced(kAttachment.size()));
        const auto number = parsed && *parsed >= 1 ? RoundToInt32(*parsed) : std::nullopt;
        if (!number) {
            Report(MtlFinding::BadAttachmentNumber);
            return;
        }
        if (slotCount_ >= attachMaxCount_ || slotCount_ >= int(attachments_.size())) {
            Report(MtlFinding::AttachmentOverflow);
            return;
        }
        // A fresh slot: its stages are 0 and its name blank until read.
        if (lines_)
            lines_->attachments[std::size_t(slotCount_)] = lineNumber_;
        AttachmentRecord &record = attachments_[std::size_t(slotCount_++)];
        record.Number = *number;
        KeptWhole(*parsed, *number);

        QStringView rest = value;
        const QStringView shape = CutToken(rest, u"/");
        if (!ReadShape(shape, record))
            Report(MtlFinding::ShapeNotKept);

        QStringView candidate;
        bool candidateNumeric = false;  // as the stages found it; the items after are not parsed
        int stagesRead = 0;
        for (int k = 0; k < 5; ++k) {
            if (rest.isEmpty())
                break;
            candidate = CutToken(rest, u",");
            record.Width[std::size_t(k)] = StageValue(candidate, rest, candidateNumeric);
            stagesRead = k + 1;
            if (record.Width[std::size_t(k)] == 0 || rest.isEmpty())
                break;
            candidate = CutToken(rest, u",");
            record.Height[std::size_t(k)] = StageValue(candidate, rest, candidateNumeric);
        }

        // Items after the stages are dropped; empty items and zeros lose nothing.
        auto losesSomething = [](QStringView item) {
            const auto v = ParseNumeric(item);
            return !item.isEmpty() && (!v || *v != 0);
        };
        bool dropped = false;
        bool candidateFromRest = false;
        while (!rest.isEmpty()) {
            if (candidateFromRest && losesSomething(candidate))
                dropped = true;
            candidate = CutToken(rest, u",");
            candidateFromRest = true;
        }
        if (!candidate.isEmpty() &&
            !(candidateFromRest ? IsNumeric(candidate) : candidateNumeric)) {
            record.AttachName = candidate;
            if (TrimSpaces(QStringView(record.AttachName.str())) != candidate)
                Report(MtlFinding::ValueChanged);
        } else if (candidateFromRest && losesSomething(candidate)) {
            dropped = true;
        }

        // The writer stops at the first width smaller than the one before
        // (and writes nothing when the first is negative).
        float previous = 0;
        for (int k = 0; k < stagesRead && record.Width[std::size_t(k)] != 0; ++k) {
            if (record.Width[std::size_t(k)] < previous) {
                dropped = true;
                break;
            }
            previous = record.Width[std::size_t(k)];
        }
        if (dropped)
            Report(MtlFinding::ItemsDropped);
    }

    int attachMaxCount_;
    MachineTable &table_;
    AttachmentSlots &attachments_;
    MtlFindingSink *sink_;
    int slotCount_ = 0;
    int lineNumber_ = 0;
    QStringView raw_;
    QString upper_;
    bool roundedReported_ = false;
    int headerLines_ = 0;  // "#" lines from the first line on
    SourceLines *lines_;
    std::array<std::pair<int, QString>, kWriterOrder.size()> lastLine_{};
};

}  // namespace

bool HasMtlExtension(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".MTL"), Qt::CaseInsensitive);
}

namespace {

// Fills table and attachments through reader, which is given each line with its number.
template <typename EachLine>
bool ParseMtl(int attachMaxCount, MachineTable &table, AttachmentSlots &attachments,
              MtlFindingSink *sink, SourceLines *lines, EachLine eachLine)
{
    ClearMachineTable(table);
    attachments.assign(std::size_t(qMax(0, attachMaxCount)), AttachmentRecord());
    LineReader reader(attachMaxCount, table, attachments, sink, lines);
    qsizetype number = 0;
    eachLine([&reader, &number](QStringView line) {
        reader.Read(int(qMin<qsizetype>(++number, INT_MAX)), line);
    });
    return reader.recognised;
}

}  // namespace

bool ParseMtlLines(const QStringList &lines, int attachMaxCount, MachineTable &table,
                   AttachmentSlots &attachments, MtlFindingSink *sink)
{
    return ParseMtl(attachMaxCount, table, attachments, sink, nullptr, [&lines](auto read) {
        for (const QString &line : lines)
            read(line);
    });
}

bool ParseMtlBytes(QByteArrayView bytes, int attachMaxCount, MachineTable &table,
                   AttachmentSlots &attachments, MtlFindingSink *sink, SourceLines *lines)
{
    // Each line decoded into one text that serves them all, through one
    // converter: the file is never held a second time as text.
    Cp932Decoder decoder;
    QString text;
    return ParseMtl(attachMaxCount, table, attachments, sink, lines, [&](auto read) {
        ForEachLine(bytes, [&](QByteArrayView line) {
            decoder.Decode(line, text);
            read(text);
        });
    });
}

LoadResult ReadMtlFile(const QString &fileName, int attachMaxCount, MachineTable &table,
                       AttachmentSlots &attachments, MtlFindingSink *sink, SourceLines *lines)
{
    LoadResult result;
    result.problem = FileProblem::NotMtlFile;
    if (!HasMtlExtension(fileName) || !FileExists(fileName))
        return result;
    MachineTable readTable;
    AttachmentSlots readSlots;
    {
        QByteArray bytes;
        const ReadResult read = ReadFileBytes(fileName, kMaxMtlFileBytes, bytes, &result.reason);
        if (read != ReadResult::Ok) {
            if (read == ReadResult::TooLarge)
                result.problem = FileProblem::TooLarge;
            return result;
        }
        result.problem = FileProblem::None;
        result.hash = ContentHash(bytes);
        if (!ParseMtlBytes(bytes, attachMaxCount, readTable, readSlots, sink, lines)) {
            result.problem = FileProblem::NoMachineLine;
            return result;
        }
    }

    CopyMachineTable(table, readTable);
    // The slots read take the place of the caller's whole, without a copy of each.
    attachments.swap(readSlots);
    SortAttachments(attachments, lines ? &lines->attachments : nullptr);
    result.loaded = true;
    return result;
}

int SourceLines::Of(FieldRef field) const
{
    return values[WriterIndex(field)];
}

void MtlFindingList::Found(int lineNumber, MtlFinding kind, const QString &lineText)
{
    findings_.push_back({lineNumber, kind, lineText});
}

std::vector<MtlLineFinding> MtlFindingList::Sorted() const
{
    std::vector<MtlLineFinding> sorted = findings_;
    std::stable_sort(
        sorted.begin(), sorted.end(),
        [](const MtlLineFinding &a, const MtlLineFinding &b) { return a.line < b.line; });
    return sorted;
}
