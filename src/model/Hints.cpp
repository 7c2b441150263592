#include "Hints.h"

#include "MtlFile.h"
#include "Numbers.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <utility>

namespace {

struct RuleText {
    const char *name;
    Msg message;
    const char *english;
};
// In the order of HintRule. The English texts are those of the English
// message file, word for word.
constexpr std::array<RuleText, kHintRuleCount> kRules{{
    {"rapid-below-feed", Msg::HintRapidBelowFeed,
     "%1 = %2 is below %3 = %4: an axis moves fastest in rapid, so one of the two is probably "
     "mistyped."},
    {"feed-above-overall", Msg::HintFeedAboveOverall,
     "%1 = %2 is above %3 = %4: no axis feeds faster than the limit for all axes, so one of the "
     "two is probably mistyped."},
    {"rapid-accel-below-accel", Msg::HintRapidAccelBelowAccel,
     "%1 = %2 is below %3 = %4: rapid moves accelerate at least as hard as cutting moves, so one "
     "of the two is probably mistyped."},
    {"axis-not-set", Msg::HintAxisNotSet,
     "%1 is not set, while %2 = %3 is: machining times and checks have no value for this axis."},
    {"axis-outlier", Msg::HintAxisOutlier,
     "%1 = %2 is ten times or more, or a tenth or less, of both %3 = %4 and %5 = %6: a zero is "
     "probably missing or one too many."},
    {"head-taller-than-z", Msg::HintHeadTallerThanZ,
     "The stages of %1 add up to a height of %2, more than the Z stroke %3: a height or the "
     "stroke is probably mistyped."},
    {"initial-not-listed", Msg::HintInitialNotListed,
     "The initial attachment %1 is not among the attachments: the machine would start with an "
     "attachment this file does not describe."},
    {"same-name-other-outline", Msg::HintSameNameOtherOutline,
     "%1 has the name %2, like %3, but another outline: one name should stand for one "
     "attachment."},
    {"same-number", Msg::HintSameNumber,
     "%1 is in the file %2 times: whatever picks an attachment by its number finds only one of "
     "them."},
}};

const RuleText &TextOf(HintRule rule)
{
    return kRules[std::size_t(rule)];
}

bool IsSet(float value)
{
    return value > 0;  // 0 is not set, and the writer writes no line for it
}

QString Number(double value)
{
    return FormatNumber(value, Pattern::Decimal);
}

// An attachment row as the rules see it: only those the writer writes take part.
struct Row {
    const AttachmentRecord *record;
    int slot;   // -1: the edited record that has no slot
    int order;  // its place among the rows
    bool edited;
    int stages;  // as the writer writes them
};

// The writer's own test of whether a slot has a line, without making the line.
bool Written(const AttachmentRecord &r)
{
    return r.Number >= 1 && r.ShapeNumber >= 1 && (r.ShapeType == 1 || r.ShapeType == 2) &&
           !(r.Width[0] < 0);
}

// Stages count up while each is at least as wide as the one below: the
// writer writes those and the outline drawing draws them.
int CountedStages(const AttachmentRecord &r)
{
    int k = 0;
    for (float below = 0; k < int(r.Width.size()); ++k) {
        if (r.Width[std::size_t(k)] < below)
            break;
        below = r.Width[std::size_t(k)];
    }
    return k;
}

bool SameOutline(const Row &a, const Row &b)
{
    if (a.stages != b.stages)
        return false;
    for (std::size_t k = 0; k < std::size_t(a.stages); ++k)
        if (std::bit_cast<std::uint32_t>(a.record->Width[k]) !=
                std::bit_cast<std::uint32_t>(b.record->Width[k]) ||
            std::bit_cast<std::uint32_t>(a.record->Height[k]) !=
                std::bit_cast<std::uint32_t>(b.record->Height[k]))
            return false;
    return true;
}

std::vector<Row> RowsOf(const AttachmentSlots &attachments, const HintOptions &options)
{
    std::vector<Row> rows;
    rows.reserve(attachments.size() + 1);
    const int count = int(attachments.size());
    const bool inPlace = options.editing && options.editingSlot >= 0 && options.editingSlot < count;
    auto add = [&rows](const AttachmentRecord &r, int slot, int order, bool edited) {
        if (Written(r))
            rows.push_back({&r, slot, order, edited, CountedStages(r)});
    };
    for (int i = 0; i < count; ++i) {
        const bool edited = inPlace && i == options.editingSlot;
        add(edited ? *options.editing : attachments[std::size_t(i)], i, i, edited);
    }
    if (options.editing && !inPlace)
        add(*options.editing, -1, count, true);
    return rows;
}

// Gathers the hints of the rules that are on, each with its place in the order.
class Hints {
public:
    explicit Hints(const HintOptions &options) : options_(options) { }
    bool On(HintRule rule) const { return !options_.off[std::size_t(rule)]; }

    void Value(HintRule rule, FieldRef field, std::optional<FieldRef> compared, QStringList data)
    {
        const auto at = std::find(kWriterOrder.begin(), kWriterOrder.end(), field);
        Hint hint{rule, field, -1, false, compared, TextOf(rule).message, std::move(data)};
        values_.push_back({int(at - kWriterOrder.begin()), std::move(hint)});
    }
    void OfRow(HintRule rule, const Row &row, QStringList data,
               std::optional<FieldRef> compared = std::nullopt)
    {
        Hint hint{rule,     {Field::MachineName}, row.slot,       row.edited,
                  compared, TextOf(rule).message, std::move(data)};
        rows_.push_back({row.order, std::move(hint)});
    }
    std::vector<Hint> Take()
    {
        std::vector<Hint> all;
        all.reserve(values_.size() + rows_.size());
        for (auto *part : {&values_, &rows_}) {
            std::stable_sort(part->begin(), part->end(),
                             [](const auto &a, const auto &b) { return a.first < b.first; });
            for (auto &[order, hint] : *part)
                all.push_back(std::move(hint));
        }
        return all;
    }

private:
    const HintOptions &options_;
    std::vector<std::pair<int, Hint>> values_, rows_;
};

// Marks `marked` when both are set and it lies below `compared` (atLeast)
// or above it.
void Compare(Hints &hints, HintRule rule, const MachineTable &t, FieldRef marked, FieldRef compared,
             bool atLeast)
{
    const float m = *SingleOf(t, marked), c = *SingleOf(t, compared);
    if (!hints.On(rule) || !IsSet(m) || !IsSet(c) || !(atLeast ? m < c : m > c))
        return;
    hints.Value(rule, marked, compared,
                {FieldKey(marked), Number(m), FieldKey(compared), Number(c)});
}

void AxisNotSet(Hints &hints, const MachineTable &t, Field field)
{
    int set = 0, first = -1;
    for (int axis = 0; axis < 3; ++axis)
        if (IsSet(*SingleOf(t, {field, axis}))) {
            ++set;
            first = first < 0 ? axis : first;
        }
    if (!hints.On(HintRule::AxisNotSet) || set == 0 || set == 3)
        return;
    const FieldRef compared{field, first};
    for (int axis = 0; axis < 3; ++axis)
        if (!IsSet(*SingleOf(t, {field, axis})))
            hints.Value(
                HintRule::AxisNotSet, {field, axis}, compared,
                {FieldKey({field, axis}), FieldKey(compared), Number(*SingleOf(t, compared))});
}

// An axis ten times both others, or a tenth of both; strokes are left out,
// as long beds have an X stroke ten times their Y or Z.
void AxisOutlier(Hints &hints, const MachineTable &t, Field field)
{
    std::array<double, 3> v{};
    for (int axis = 0; axis < 3; ++axis) {
        v[std::size_t(axis)] = *SingleOf(t, {field, axis});
        if (!IsSet(float(v[std::size_t(axis)])))
            return;
    }
    if (!hints.On(HintRule::AxisOutlier))
        return;
    for (int axis = 0; axis < 3; ++axis) {
        const int p = axis == 0 ? 1 : 0, q = axis == 2 ? 1 : 2;
        const double a = v[std::size_t(axis)], b = v[std::size_t(p)], c = v[std::size_t(q)];
        if ((a >= 10 * b && a >= 10 * c) || (a * 10 <= b && a * 10 <= c))
            hints.Value(HintRule::AxisOutlier, {field, axis}, FieldRef{field, p},
                        {FieldKey({field, axis}), Number(a), FieldKey({field, p}), Number(b),
                         FieldKey({field, q}), Number(c)});
    }
}

void ValueHints(Hints &hints, const MachineTable &t, const std::vector<Row> &rows)
{
    for (int axis = 0; axis < 3; ++axis) {
        Compare(hints, HintRule::RapidBelowFeed, t, {Field::RapidFeed, axis},
                {Field::MaxFeed, axis}, true);
        Compare(hints, HintRule::FeedAboveOverall, t, {Field::MaxFeed, axis}, {Field::MaxFeedAll},
                false);
        Compare(hints, HintRule::RapidAccelBelowAccel, t, {Field::RapidAccel, axis},
                {Field::MaxAccel, axis}, true);
    }
    for (Field field :
         {Field::Stroke, Field::RapidFeed, Field::RapidAccel, Field::MaxFeed, Field::MaxAccel}) {
        AxisNotSet(hints, t, field);
        if (field != Field::Stroke)
            AxisOutlier(hints, t, field);
    }
    const auto listed = [&t](const Row &row) { return row.record->Number == t.IniAttachment; };
    if (hints.On(HintRule::InitialNotListed) && t.IniAttachment >= 1 &&
        std::none_of(rows.begin(), rows.end(), listed))
        hints.Value(HintRule::InitialNotListed, {Field::IniAttachment}, std::nullopt,
                    {AttachmentKey(t.IniAttachment)});
}

void TallerThanZ(Hints &hints, const MachineTable &t, const std::vector<Row> &rows)
{
    const float stroke = t.Stroke[2];
    if (!hints.On(HintRule::HeadTallerThanZ) || !IsSet(stroke))
        return;
    for (const Row &row : rows) {
        float height = 0;
        for (std::size_t k = 0; k < std::size_t(row.stages); ++k)
            height += row.record->Height[k];
        if (height > stroke)
            hints.OfRow(HintRule::HeadTallerThanZ, row,
                        {AttachmentKey(row.record->Number), Number(height), Number(stroke)},
                        FieldRef{Field::Stroke, 2});
    }
}

// A hash of a name, 0 for a blank one (which takes part in no group). It
// runs on every row after every commit, so it takes four characters a step,
// each step's multiplication independent of the one before.
std::uint64_t NameHash(QStringView name)
{
    constexpr std::uint64_t kBlanks = 0x0020002000200020ULL, kMix = 0x9E3779B97F4A7C15ULL;
    std::uint64_t hash = std::uint64_t(name.size()), notBlank = 0, lane = kMix;
    auto add = [&](std::uint64_t word, std::uint64_t blanks) {
        notBlank |= word ^ blanks;
        hash += (word ^ (word >> 31)) * lane;
        lane += 0x632BE59BD9B4E01AULL;  // stays odd
    };
    qsizetype i = 0;
    for (std::uint64_t word; i + 4 <= name.size(); i += 4) {
        std::memcpy(&word, name.data() + i, sizeof word);
        add(word, kBlanks);
    }
    for (; i < name.size(); ++i)
        add(name[i].unicode(), u' ');
    hash = (hash ^ (hash >> 32)) * kMix;
    return notBlank ? (hash ^ (hash >> 29)) | 1 : 0;
}

struct NameGroup {
    std::size_t first;    // its first row
    std::size_t differs;  // the first row whose outline is not the first's, or kNone
};
constexpr std::size_t kNone = std::size_t(-1);
constexpr std::size_t kAhead = 16;

// Groups the rows by name, in an open-addressed table of group numbers.
std::vector<NameGroup> GroupByName(const std::vector<Row> &rows, std::vector<std::size_t> &groupOf)
{
    std::vector<NameGroup> groups;
    std::vector<std::uint64_t> hashes(rows.size());
    const std::size_t mask = std::bit_ceil(2 * rows.size() + 1) - 1;
    std::vector<std::uint32_t> table(mask + 1);  // group + 1, 0 for none
    groupOf.assign(rows.size(), kNone);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // The names lie all over the heap: ask for the ones ahead early.
        if (i + kAhead < rows.size())
            __builtin_prefetch(rows[i + kAhead].record->AttachName.str().constData());
        const QString &name = rows[i].record->AttachName.str();
        hashes[i] = NameHash(name);
        if (hashes[i] == 0)
            continue;
        std::size_t at = hashes[i] & mask;
        for (; table[at] != 0; at = (at + 1) & mask) {
            const std::size_t first = groups[table[at] - 1].first;
            if (hashes[first] == hashes[i] && rows[first].record->AttachName.str() == name)
                break;
        }
        if (table[at] == 0) {
            groups.push_back({i, kNone});
            table[at] = std::uint32_t(groups.size());
        }
        NameGroup &group = groups[table[at] - 1];
        if (group.differs == kNone && !SameOutline(rows[i], rows[group.first]))
            group.differs = i;
        groupOf[i] = table[at] - 1;
    }
    return groups;
}

void SameNameOtherOutline(Hints &hints, const std::vector<Row> &rows)
{
    if (!hints.On(HintRule::SameNameOtherOutline))
        return;
    std::vector<std::size_t> groupOf;
    const std::vector<NameGroup> groups = GroupByName(rows, groupOf);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (groupOf[i] == kNone || groups[groupOf[i]].differs == kNone)
            continue;
        const NameGroup &group = groups[groupOf[i]];
        const Row &other =
            rows[SameOutline(rows[i], rows[group.first]) ? group.differs : group.first];
        hints.OfRow(HintRule::SameNameOtherOutline, rows[i],
                    {AttachmentKey(rows[i].record->Number),
                     rows[i].record->AttachName.str().trimmed(),
                     AttachmentKey(other.record->Number)});
    }
}

void SameNumber(Hints &hints, const std::vector<Row> &rows)
{
    if (!hints.On(HintRule::SameNumber))
        return;
    // Sorted attachments hold equal numbers side by side; a record being edited
    // may have moved out of that order.
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    const auto byNumber = [&rows](std::size_t a, std::size_t b) {
        return rows[a].record->Number < rows[b].record->Number;
    };
    if (!std::is_sorted(order.begin(), order.end(), byNumber))
        std::stable_sort(order.begin(), order.end(), byNumber);
    for (std::size_t run = 0, end = 0; run < order.size(); run = end) {
        const std::int32_t number = rows[order[run]].record->Number;
        for (end = run + 1; end < order.size() && rows[order[end]].record->Number == number;)
            ++end;
        for (std::size_t k = run; end - run > 1 && k < end; ++k)
            hints.OfRow(HintRule::SameNumber, rows[order[k]],
                        {AttachmentKey(number), QString::number(end - run)});
    }
}

}  // namespace

QString HintRuleName(HintRule rule)
{
    return QString::fromLatin1(TextOf(rule).name);
}

std::optional<HintRule> HintRuleByName(QStringView name)
{
    const QStringView trimmed = name.trimmed();
    for (std::size_t i = 0; i < kRules.size(); ++i)
        if (trimmed.compare(QLatin1StringView(kRules[i].name), Qt::CaseInsensitive) == 0)
            return HintRule(i);
    return std::nullopt;
}

std::array<bool, kHintRuleCount> HintsOffFrom(const QString &value, QStringList *unknown)
{
    std::array<bool, kHintRuleCount> off{};
    for (QStringView name : QStringView(value).split(u',')) {
        if (name.trimmed().isEmpty())
            continue;
        if (const std::optional<HintRule> rule = HintRuleByName(name))
            off[std::size_t(*rule)] = true;
        else if (unknown)
            unknown->append(name.trimmed().toString());
    }
    return off;
}

std::vector<Hint> FindHints(const MachineTable &table, const AttachmentSlots &attachments,
                            const HintOptions &options)
{
    const std::vector<Row> rows = RowsOf(attachments, options);
    Hints hints(options);
    ValueHints(hints, table, rows);
    TallerThanZ(hints, table, rows);
    SameNameOtherOutline(hints, rows);
    SameNumber(hints, rows);
    return hints.Take();
}

Msg HintMessage(HintRule rule)
{
    return TextOf(rule).message;
}

const char *HintEnglish(HintRule rule)
{
    return TextOf(rule).english;
}

QString HintText(const QString &text, const Hint &hint)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int n = i + 1 < text.size() ? text[i + 1].digitValue() : -1;
        if (text[i] == u'%' && n >= 1 && n <= hint.data.size()) {
            out += hint.data[n - 1];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}
