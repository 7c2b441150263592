#include "Comparison.h"

#include "SlotOrder.h"

#include <algorithm>
#include <functional>
#include <set>
#include <utility>

Comparison::Comparison(Document &document, QObject *parent) : QObject(parent), document_(document)
{
    connect(&document_, &Document::TableChanged, this, [this] {
        if (!taking_)
            Update();
    });
    connect(&document_, &Document::Saved, this, [this] {
        if (active_ && ownFile_)
            ReadOwnFile();
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
    return Load(path, false);
}

LoadResult Comparison::ReadOwnFile()
{
    return Load(document_.Current().Name(), true);
}

LoadResult Comparison::Load(const QString &path, bool ownFile)
{
    MachineTable table;
    AttachmentSlots attachments;
    const LoadResult result = ReadMtlFile(path, kMaxAttachSlots, table, attachments);
    if (!result.loaded)
        return result;
    otherName_ = path;
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

Comparison::Taken Comparison::TakeOver(const std::vector<std::size_t> &rows, const QString &text)
{
    // What to take, gathered first: each change renews the differences.
    std::vector<FieldRef> values;
    std::vector<std::pair<int, int>> replaced;  // this slot, the other's slot
    std::set<int, std::greater<>> deleted;      // from the last slot, so the others stay put
    std::vector<int> added;                     // the other's slots
    std::set<std::pair<int, int>> pairs;
    for (const std::size_t row : rows) {
        if (row >= differences_.size())
            continue;
        const TableDifference &d = differences_[row];
        if (d.kind == TableDifference::Kind::Value) {
            values.push_back(d.field);
        } else if (pairs.insert({d.slotA, d.slotB}).second) {
            if (d.slotA < 0)
                added.push_back(d.slotB);
            else if (d.slotB < 0)
                deleted.insert(d.slotA);
            else
                replaced.emplace_back(d.slotA, d.slotB);
        }
    }
    if (values.empty() && pairs.empty())
        return Taken::Nothing;
    const int count = CountAttachments(document_.Attachments());
    if (count - int(deleted.size()) + int(added.size()) > document_.AttachMaxCount())
        return Taken::OverLimit;

    taking_ = true;
    document_.BeginStep(text);
    for (const FieldRef field : values)
        document_.SetValueFrom(field, other_, text);
    // A record of the same number keeps its slot.
    for (const auto &[slot, otherSlot] : replaced)
        document_.PutAttachment(slot, otherSlots_[std::size_t(otherSlot)], text);
    for (const int slot : deleted)
        document_.DeleteAttachment(slot, text);
    for (const int otherSlot : added)
        document_.PutAttachment(CountAttachments(document_.Attachments()),
                                otherSlots_[std::size_t(otherSlot)], text);
    document_.EndStep();
    taking_ = false;
    Update();
    return Taken::Done;
}
