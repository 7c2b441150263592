// The MTL reader on arbitrary bytes: split, decode, parse, sort, write.
// Besides crashes it checks that the writer's output is a fixed point: read
// back and written again it gives the same text; and that reading straight
// from the bytes and writing straight to bytes agree with the line-by-line
// text. And that a table compared with itself differs in nothing, and with a
// copy changed in one value, chosen by the input, in exactly that value.
#include "model/Compare.h"
#include "model/MtlFile.h"
#include "model/Numbers.h"
#include "model/SlotOrder.h"
#include "platform/TextFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct CountingSink : MtlFindingSink {
    int count = 0;
    int lastLine = 0;
    void Found(int lineNumber, MtlFinding, const QString &) override
    {
        ++count;
        if (lineNumber < 1)
            std::abort();
        lastLine = lineNumber;
    }
};

QStringList Lines(const QString &text)
{
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();  // after the last CR LF
    return lines;
}

QString Normalise(const QStringList &lines, int slotCount, bool *recognised = nullptr)
{
    MachineTable table;
    AttachmentSlots attachments;
    CountingSink sink;
    const bool ok = ParseMtlLines(lines, slotCount, table, attachments, &sink);
    if (recognised)
        *recognised = ok;
    if (int(attachments.size()) != slotCount)
        std::abort();
    const int complete = CountAttachments(attachments);
    SortAttachments(attachments);
    if (CountAttachments(attachments) != complete)
        std::abort();  // sorting must never lose a complete record
    for (int i = 1; i < complete; ++i)
        if (attachments[std::size_t(i - 1)].Number > attachments[std::size_t(i)].Number)
            std::abort();
    return MtlFileText(table, attachments);
}

using Kind = TableDifference::Kind;
using Part = TableDifference::Part;

// Far enough from v that the text of three decimals changes.
float Away(float v)
{
    return std::fabs(v) < 1e6f ? v + 1 : v / 2;
}

void ChangeValue(MachineTable &t, FieldRef field, std::uint8_t amount)
{
    if (float *single = SingleOf(t, field)) {
        *single = !(*single > 0) ? 1.f + amount : amount % 2 ? 0.f : Away(*single);
        return;
    }
    switch (field.field) {
    case Field::MachineName:
        t.MachineName = QString(t.MachineName.str().startsWith("FUZZ") ? "ZZUF" : "FUZZ");
        break;
    case Field::AtcType: t.AtcType = std::int16_t((t.AtcType + 2) % 4 - 1); break;
    case Field::IniAttachment: t.IniAttachment = t.IniAttachment > 0 ? 0 : 1 + amount; break;
    default: {
        QString &code =
            field.field == Field::AttachChangeCode ? t.AttachChangeCode : t.AttachDesignCode;
        code = code.isEmpty() ? QStringLiteral("FUZZ") : QString();
    }
    }
}

// One property of a written record; the last stage's width only grows, so no
// stage comes or goes with it.
void ChangeAttachment(AttachmentRecord &r, std::uint8_t pick, TableDifference &expected)
{
    const int stages = WrittenStages(r);
    float &lastWidth = r.Width[std::size_t(stages - 1)];
    expected.kind = Kind::Attachment;
    if (pick % 5 == 0) {
        r.ShapeType = std::int16_t(3 - r.ShapeType);
        expected.part = Part::Shape;
    } else if (pick % 5 == 1) {
        r.ShapeNumber = std::int16_t(r.ShapeNumber == 32767 ? 1 : r.ShapeNumber + 1);
        expected.part = Part::ShapeNumber;
    } else if (pick % 5 == 2) {
        expected.stage = pick / 5 % stages;
        r.Height[std::size_t(expected.stage)] = Away(r.Height[std::size_t(expected.stage)]);
        expected.part = Part::Height;
    } else if (pick % 5 == 3 && lastWidth < 1e6f) {
        lastWidth += 1;
        expected.stage = stages - 1;
        expected.part = Part::Width;
    } else {
        r.AttachName = WritesName(r) ? QString() : QStringLiteral("FUZZ");
        expected.part = Part::Name;
    }
}

bool Same(const TableDifference &x, const TableDifference &y)
{
    return x.kind == y.kind && x.field == y.field && x.number == y.number &&
           x.occurrence == y.occurrence && x.slotA == y.slotA && x.slotB == y.slotB &&
           x.part == y.part && x.stage == y.stage;
}

// The sorted table against itself, its slots as read, and a copy changed once.
void CheckComparison(const MachineTable &table, const AttachmentSlots &sorted,
                     const AttachmentSlots &asRead, std::uint8_t pick, std::uint8_t amount)
{
    if (!CompareTables(table, sorted, table, sorted).empty() ||
        !CompareTables(table, asRead, table, sorted).empty()) {
        std::fprintf(stderr, "a table differs from itself\n");
        std::abort();
    }
    std::vector<int> written;  // in number order, the slots being sorted
    for (std::size_t i = 0; i < sorted.size(); ++i)
        if (WrittenStages(sorted[i]) > 0)
            written.push_back(int(i));
    MachineTable changed = table;
    AttachmentSlots changedSlots = sorted;
    TableDifference expected{};
    if (pick % 2 == 0 || written.empty()) {
        expected.field = kWriterOrder[std::size_t(pick / 2) % kWriterOrder.size()];
        ChangeValue(changed, expected.field, amount);
    } else {
        std::size_t at = amount % written.size();
        const std::int32_t number = sorted[std::size_t(written[at])].Number;
        const bool remove = pick / 2 % 6 == 5;
        // Only the last of its number can go without the pairs after it shifting.
        while (remove && at + 1 < written.size() &&
               sorted[std::size_t(written[at + 1])].Number == number)
            ++at;
        expected.number = number;
        expected.slotA = written[at];
        for (std::size_t k = at; k > 0 && sorted[std::size_t(written[k - 1])].Number == number; --k)
            ++expected.occurrence;
        AttachmentRecord &r = changedSlots[std::size_t(written[at])];
        if (remove) {
            r.Number = 0;
            expected.kind = Kind::OnlyInA;
        } else {
            expected.slotB = expected.slotA;
            ChangeAttachment(r, pick / 12, expected);
        }
    }
    const std::vector<TableDifference> found = CompareTables(table, sorted, changed, changedSlots);
    if (found.size() != 1 || !Same(found[0], expected) || found[0].a == found[0].b) {
        std::fprintf(stderr, "one change, %zu differences:\n", found.size());
        for (const TableDifference &d : found)
            std::fprintf(stderr, "%s\n", qPrintable(DifferenceLine(d)));
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses the slot count, the rest is the file.
    const int slotCount = 1 + data[0] % 40;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    QStringList lines;
    for (const QByteArray &line : SplitLines(bytes))
        lines << DecodeCp932(line);

    bool recognised = false;
    const QString first = Normalise(lines, slotCount, &recognised);
    QByteArray encoded;
    const bool encodable = EncodeCp932(first, encoded);

    // The file reader's own way, straight from the bytes, reads the same, and
    // the bytes a save writes are that text encoded.
    MachineTable table;
    AttachmentSlots attachments;
    const bool read = ParseMtlBytes(bytes, slotCount, table, attachments);
    const AttachmentSlots asRead = attachments;
    SortAttachments(attachments);
    QByteArray saved;
    if (read != recognised || MtlFileText(table, attachments) != first ||
        MtlFileBytes(table, attachments, saved) != encodable || (encodable && saved != encoded)) {
        std::fprintf(stderr, "the file reader or writer differs:\n%s\n", qPrintable(first));
        std::abort();
    }

    // Numbers that round to 0. at three decimals read back as "not set", so
    // the first rewrite may still drop lines; after that nothing may change.
    const QString second = Normalise(Lines(first), slotCount);
    const QString third = Normalise(Lines(second), slotCount);
    if (second != third) {
        std::fprintf(stderr, "not a fixed point:\n%s\n---\n%s\n", qPrintable(second),
                     qPrintable(third));
        std::abort();
    }
    // The last byte and the middle one choose the change and its amount.
    CheckComparison(table, attachments, asRead, data[size - 1], data[size / 2]);
    return 0;
}
