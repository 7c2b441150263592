#include "Compare.h"

#include "MtlFile.h"
#include "Numbers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <string_view>
#include <utility>

namespace {

using Kind = TableDifference::Kind;
using Part = TableDifference::Part;
using Stages = std::array<float, 5>;

bool SameBits(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

// Whether two stage values are written alike. Nearly all are equal bit for
// bit, so the text is made only for the few that are not.
bool WrittenAlike(float a, float b)
{
    if (SameBits(a, b))
        return true;
    char textA[kMaxNumberChars], textB[kMaxNumberChars];
    return std::string_view(textA, WriteNumber(textA, a, Pattern::Decimal)) ==
           std::string_view(textB, WriteNumber(textB, b, Pattern::Decimal));
}

void CompareValues(const MachineTable &a, const MachineTable &b, std::vector<TableDifference> &out)
{
    for (const FieldRef field : kWriterOrder) {
        const float *singleA = SingleOf(a, field), *singleB = SingleOf(b, field);
        if (singleA && singleB && SameBits(*singleA, *singleB))
            continue;
        QString textA = WrittenValue(a, field), textB = WrittenValue(b, field);
        if (textA == textB)
            continue;
        TableDifference &d = out.emplace_back();
        d.kind = Kind::Value;
        d.field = field;
        d.a = std::move(textA);
        d.b = std::move(textB);
    }
}

// A record the writer writes, with what the comparison needs of it.
struct Written {
    std::int32_t number;
    int slot;
    int stages;
};

// Ordered by number, equal numbers in slot order.
std::vector<Written> WrittenRecords(const AttachmentSlots &attachments)
{
    std::vector<Written> records;
    for (std::size_t i = 0; i < attachments.size(); ++i)
        if (const int stages = WrittenStages(attachments[i]))
            records.push_back({attachments[i].Number, int(i), stages});
    auto byNumber = [](const Written &x, const Written &y) { return x.number < y.number; };
    // A table as loaded or saved is in order already.
    if (!std::is_sorted(records.begin(), records.end(), byNumber))
        std::stable_sort(records.begin(), records.end(), byNumber);
    return records;
}

class AttachmentComparison {
public:
    AttachmentComparison(const AttachmentSlots &a, const AttachmentSlots &b,
                         std::vector<TableDifference> &out)
        : slotsA_(a), slotsB_(b), out_(out)
    {
    }

    // The k-th records of one number on each side, nullptr on a side with fewer.
    void Compare(const Written *x, const Written *y, int occurrence)
    {
        pair_ = TableDifference();
        pair_.number = x ? x->number : y->number;
        pair_.occurrence = occurrence;
        pair_.slotA = x ? x->slot : -1;
        pair_.slotB = y ? y->slot : -1;
        if (!x || !y) {
            pair_.kind = x ? Kind::OnlyInA : Kind::OnlyInB;
            (x ? pair_.a : pair_.b) = FormatAttachLine(x ? slotsA_ : slotsB_, (x ? x : y)->slot);
            out_.push_back(std::move(pair_));
            return;
        }
        pair_.kind = Kind::Attachment;
        const AttachmentRecord &ra = slotsA_[std::size_t(x->slot)];
        const AttachmentRecord &rb = slotsB_[std::size_t(y->slot)];
        if (ra.ShapeType != rb.ShapeType)
            Add(Part::Shape, 0, ShapeName(ra.ShapeType), ShapeName(rb.ShapeType));
        if (ra.ShapeNumber != rb.ShapeNumber)
            Add(Part::ShapeNumber, 0, FormatNumber(ra.ShapeNumber, Pattern::Digits),
                FormatNumber(rb.ShapeNumber, Pattern::Digits));
        for (int k = 0; k < std::max(x->stages, y->stages); ++k) {
            CompareStage(Part::Width, k, ra.Width, x->stages, rb.Width, y->stages);
            CompareStage(Part::Height, k, ra.Height, x->stages, rb.Height, y->stages);
        }
        if (!(ra.AttachName == rb.AttachName)) {
            QString nameA = WritesName(ra) ? ra.AttachName.str() : QString();
            QString nameB = WritesName(rb) ? rb.AttachName.str() : QString();
            if (nameA != nameB)
                Add(Part::Name, 0, std::move(nameA), std::move(nameB));
        }
    }

private:
    void CompareStage(Part part, int k, const Stages &a, int stagesA, const Stages &b, int stagesB)
    {
        const float valueA = a[std::size_t(k)], valueB = b[std::size_t(k)];
        const bool inA = k < stagesA, inB = k < stagesB;
        if (inA && inB && WrittenAlike(valueA, valueB))
            return;
        Add(part, k, inA ? FormatNumber(valueA, Pattern::Decimal) : QString(),
            inB ? FormatNumber(valueB, Pattern::Decimal) : QString());
    }

    void Add(Part part, int stage, QString a, QString b)
    {
        TableDifference &d = out_.emplace_back(pair_);
        d.part = part;
        d.stage = stage;
        d.a = std::move(a);
        d.b = std::move(b);
    }

    const AttachmentSlots &slotsA_, &slotsB_;
    std::vector<TableDifference> &out_;
    TableDifference pair_;  // what every difference of the pair shares
};

void CompareAttachments(const AttachmentSlots &slotsA, const AttachmentSlots &slotsB,
                        std::vector<TableDifference> &out)
{
    const std::vector<Written> a = WrittenRecords(slotsA), b = WrittenRecords(slotsB);
    AttachmentComparison comparison(slotsA, slotsB, out);
    std::size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        const bool fromA = j == b.size() || (i < a.size() && a[i].number < b[j].number);
        const std::int32_t number = fromA ? a[i].number : b[j].number;
        for (int occurrence = 0;; ++occurrence) {
            const Written *x = i < a.size() && a[i].number == number ? &a[i++] : nullptr;
            const Written *y = j < b.size() && b[j].number == number ? &b[j++] : nullptr;
            if (!x && !y)
                break;
            comparison.Compare(x, y, occurrence);
        }
    }
}

// A side as a line shows it; names lose the blanks that pad them.
QString Shown(const QString &text, bool name)
{
    if (!name)
        return text.isEmpty() ? QStringLiteral("(not set)") : text;
    qsizetype length = text.size();
    while (length > 0 && text[length - 1] == u' ')
        --length;
    return length > 0 ? text.first(length) : QStringLiteral("(none)");
}

QString PartWords(const TableDifference &d)
{
    switch (d.part) {
    case Part::Shape: return QStringLiteral("shape");
    case Part::ShapeNumber: return QStringLiteral("shape number");
    case Part::Width: return QStringLiteral("stage %1 width").arg(d.stage + 1);
    case Part::Height: return QStringLiteral("stage %1 height").arg(d.stage + 1);
    case Part::Name: return QStringLiteral("name");
    case Part::None: break;
    }
    return QString();
}

}  // namespace

std::vector<TableDifference> CompareTables(const MachineTable &a, const AttachmentSlots &slotsA,
                                           const MachineTable &b, const AttachmentSlots &slotsB)
{
    std::vector<TableDifference> out;
    CompareValues(a, b, out);
    CompareAttachments(slotsA, slotsB, out);
    return out;
}

QString DifferenceKey(const TableDifference &d)
{
    if (d.kind == Kind::Value)
        return FieldKey(d.field);
    QString key = AttachmentKey(d.number);
    // The second and later records of one number, as they pair up.
    if (d.occurrence > 0)
        key += QStringLiteral(" #%1").arg(d.occurrence + 1);
    return key;
}

QString DifferenceLine(const TableDifference &d)
{
    const bool name =
        d.kind == Kind::Value ? d.field.field == Field::MachineName : d.part == Part::Name;
    const QString change = Shown(d.a, name) + QStringLiteral(" -> ") + Shown(d.b, name);
    const QString key = DifferenceKey(d);
    switch (d.kind) {
    case Kind::Value: return key + QStringLiteral(": ") + change;
    case Kind::OnlyInA: return key + QStringLiteral(": only in A");
    case Kind::OnlyInB: return key + QStringLiteral(": only in B");
    default: return key + QStringLiteral(": ") + PartWords(d) + u' ' + change;
    }
}
