#include "Comparison.h"

#include "SlotOrder.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <functional>
#include <set>
#include <utility>

Comparison::Comparison(Document &document, QObject *parent) : QObject(parent), document_(document)
{
    connect(&document_, &Document::TableChanged, this, &Comparison::Update);
    connect(&document_, &Document::Saved, this, [this] {
        if (active_ && ownFile_)
            ReadOwnFile();
    });
    // The file on disk is the other side: another program's change is read
    // at once, and with the file gone there is nothing to compare with.
    connect(&document_.Watch(), &FileWatch::Seen, this, [this] {
        if (active_ && ownFile_ && !ReadOwnFile().loaded) {
            Stop();
            emit Ended();
        }
    });
    connect(&document_, &Document::Reset, this, [this] {
        if (active_) {
            Stop();
            emit Ended();
        }
    });
}

LoadResult Comparison::Read(const QString &path)
{
    // The open file chosen is the comparison with its own file, which follows its saves.
    const QString own = document_.Current().Name();
    const bool ownFile = !own.isEmpty() && CanonicalPath(path) == CanonicalPath(own);
    return Load(path, ownFile);
}

LoadResult Comparison::ReadOwnFile()
{
    return Load(document_.Current().Name(), true);
}

LoadResult Comparison::Load(const QString &path, bool ownFile)
{
    MachineTable table;
    AttachmentSlots attachments;
    MtlFindingList findings;
    // The own file as the load saw it: what the slots cut then is no edit.
    const LoadResult result =
        ReadMtlFile(path, ownFile ? document_.AttachMaxCount() : kMaxAttachSlots, table,
                    attachments, &findings);
    if (!result.loaded)
        return result;
    otherName_ = path;
    otherFindings_ = findings.Sorted();
    other_ = std::move(table);
    otherSlots_ = std::move(attachments);
    ownFile_ = ownFile;
    active_ = true;
    Update();
    return result;
}

void Comparison::Stop()
{
    active_ = false;
    differences_.clear();
    otherSlots_ = AttachmentSlots();
}

void Comparison::Update()
{
    if (!active_)
        return;
    differences_ = CompareTables(document_.Table(), document_.Attachments(), other_, otherSlots_);
    emit Updated();
}

// What taking the rows over does, gathered first: each change renews the differences.
struct Comparison::Plan {
    std::vector<FieldRef> values;
    std::vector<std::pair<int, int>> replaced;  // this slot, the other's slot
    std::set<int, std::greater<>> deleted;      // from the last slot, so the others stay put
    std::vector<int> added;                     // the other's slots
    bool Empty() const
    {
        return values.empty() && replaced.empty() && deleted.empty() && added.empty();
    }
};

Comparison::Plan Comparison::PlanFor(const std::vector<std::size_t> &rows) const
{
    Plan plan;
    std::set<std::pair<int, int>> pairs;
    for (const std::size_t row : rows) {
        if (row >= differences_.size())
            continue;
        const TableDifference &d = differences_[row];
        if (d.kind == TableDifference::Kind::Value)
            plan.values.push_back(d.field);
        else if (!pairs.insert({d.slotA, d.slotB}).second)
            continue;  // another part of an attachment already taken
        else if (d.slotA < 0)
            plan.added.push_back(d.slotB);
        else if (d.slotB < 0)
            plan.deleted.insert(d.slotA);
        else
            plan.replaced.emplace_back(d.slotA, d.slotB);
    }
    return plan;
}

int Comparison::Growth(const std::vector<std::size_t> &rows) const
{
    const Plan plan = PlanFor(rows);
    return int(plan.added.size()) - int(plan.deleted.size());
}

bool Comparison::Fits(const Plan &plan) const
{
    return CountAttachments(document_.Attachments()) + int(plan.added.size()) -
               int(plan.deleted.size()) <=
           document_.AttachMaxCount();
}

bool Comparison::Fits(const std::vector<std::size_t> &rows) const
{
    return Fits(PlanFor(rows));
}

Comparison::Taken Comparison::TakeOver(const std::vector<std::size_t> &rows, const QString &text)
{
    const Plan plan = PlanFor(rows);
    if (plan.Empty())
        return Taken::Nothing;
    if (!Fits(plan))
        return Taken::OverLimit;

    // The open step holds the document's signals: the differences are found
    // again once, at its end.
    document_.BeginStep(text);
    for (const FieldRef field : plan.values)
        document_.SetValueFrom(field, other_, text);
    // A record of the same number keeps its slot.
    for (const auto &[slot, otherSlot] : plan.replaced)
        document_.PutAttachment(slot, otherSlots_[std::size_t(otherSlot)], text);
    for (const int slot : plan.deleted)
        document_.DeleteAttachment(slot, text);
    int free = CountAttachments(document_.Attachments());
    for (const int otherSlot : plan.added)
        document_.PutAttachment(free++, otherSlots_[std::size_t(otherSlot)], text);
    document_.EndStep();
    return Taken::Done;
}
