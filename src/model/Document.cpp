#include "Document.h"

#include "LineDiff.h"
#include "SlotOrder.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"

#include <QDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <variant>

namespace {

// Bit for bit: -0 and 0 differ in the file, and a restored value must be the
// very value it was.
bool SameFloats(const float *a, const float *b, std::size_t n)
{
    return std::memcmp(a, b, n * sizeof(float)) == 0;
}

bool SameRecord(const AttachmentRecord &a, const AttachmentRecord &b)
{
    return a.Number == b.Number && a.ShapeNumber == b.ShapeNumber && a.ShapeType == b.ShapeType &&
           SameFloats(a.Width.data(), b.Width.data(), a.Width.size()) &&
           SameFloats(a.Height.data(), b.Height.data(), a.Height.size()) &&
           a.AttachName == b.AttachName;
}

bool SameTable(const MachineTable &a, const MachineTable &b)
{
    auto same = [](const AxisValues &x, const AxisValues &y) {
        return SameFloats(x.data(), y.data(), x.size());
    };
    return a.MachineName == b.MachineName && same(a.Stroke, b.Stroke) && a.AtcType == b.AtcType &&
           SameFloats(&a.ToolChangeTime, &b.ToolChangeTime, 1) &&
           SameFloats(&a.MaxFeedAll, &b.MaxFeedAll, 1) && same(a.MaxFeed, b.MaxFeed) &&
           same(a.MaxAccel, b.MaxAccel) && same(a.RapidFeed, b.RapidFeed) &&
           same(a.RapidAccel, b.RapidAccel) && a.IniAttachment == b.IniAttachment &&
           a.AttachChangeCode == b.AttachChangeCode && a.AttachDesignCode == b.AttachDesignCode;
}

QStringList FileLines(const QString &text)
{
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

}  // namespace

struct Document::TableChange {
    MachineTable before, after;
    FieldRef field;
};
// Only the window of slots that differs, so that a change costs its own size.
struct Document::SlotChange {
    std::size_t first = 0;
    AttachmentSlots before, after;
    std::int32_t number = 0;
};

// One step of the history: the changes made in it, in order. The document
// applies a change itself before it records it, so the stack's first redo
// has nothing to do.
class EditCommand : public QUndoCommand {
public:
    using Change = std::variant<Document::TableChange, Document::SlotChange>;
    EditCommand(Document &document, const QString &text) : QUndoCommand(text), document_(document)
    {
    }
    void redo() override
    {
        if (std::exchange(applied_, false))
            return;
        for (const Change &change : changes)
            std::visit([this](const auto &c) { document_.Apply(c, true); }, change);
    }
    void undo() override
    {
        for (auto it = changes.rbegin(); it != changes.rend(); ++it)
            std::visit([this](const auto &c) { document_.Apply(c, false); }, *it);
    }

    std::vector<Change> changes;

private:
    Document &document_;
    bool applied_ = true;
};

Document::Document(FileLayer &files, std::int16_t attachMaxCount, QObject *parent)
    : QObject(parent), files_(files), attachMaxCount_(qMax<std::int16_t>(1, attachMaxCount)),
      slots_(std::size_t(attachMaxCount_))
{
    connect(&history_, &QUndoStack::indexChanged, this, &Document::Follow);
    SetBaseline();
}

Document::~Document()
{
    // Taking the history apart signals; the document is no longer there for it,
    // and a copy left for recovery must stay.
    history_.disconnect(this);
}

LoadResult Document::Load(const QString &name)
{
    LoadResult result;
    findings_.clear();
    if (recovery_)
        recovery_->ClaimFile(name);
    loading_ = true;
    if (name.isEmpty()) {
        current_.Clear();
    } else {
        ClearMachineTable(table_);
        slots_.assign(std::size_t(attachMaxCount_), AttachmentRecord());
        if (FileExists(name)) {
            MtlFindingList findings;
            result = ReadMtlFile(name, attachMaxCount_, table_, slots_, &findings);
            // A file that gave no table is not the current file: saving the
            // empty table over it has to be confirmed.
            if (result.loaded) {
                current_.SetLoaded(name, result.hash);
                findings_ = findings.Sorted();
            } else {
                current_.SetFailed(name);
            }
        } else {
            current_.SetMissing(name);
        }
    }
    // An empty stack keeps a reset clean state through clear().
    history_.clear();
    history_.setClean();
    SetBaseline();
    Follow();
    loading_ = false;
    emit Reset();
    return result;
}

void Document::SetRecovery(RecoveryStore *store)
{
    recovery_ = store;
}

namespace {
// The table a leftover's bytes hold, sorted; false when they hold none that a
// save could write back.
bool ParseLeftover(const QByteArray &bytes, int slotCount, MachineTable &table,
                   AttachmentSlots &attachments, QString *unheld)
{
    if (!ParseMtlBytes(bytes, slotCount, table, attachments))
        return false;
    const QString characters = CharactersNotHeld(table, attachments);
    if (unheld)
        *unheld = characters;
    if (!characters.isEmpty())
        return false;
    SortAttachments(attachments);
    return true;
}
}  // namespace

void Document::Adopt(MachineTable table, AttachmentSlots attachments)
{
    table_ = std::move(table);
    slots_ = std::move(attachments);
    findings_.clear();
    history_.clear();
    history_.resetClean();  // unsaved from the start; the copy is kept again
    Follow();
    emit Reset();
}

Leftovers::Item Document::Judge(const QString &path, bool read, const QByteArray &bytes,
                                const QString &reason, Leftover kind)
{
    Leftovers::Item item;
    item.path = path;
    item.reason = reason;
    Parsed parsed;
    if (!read ||
        !ParseLeftover(bytes, attachMaxCount_, parsed.table, parsed.attachments, &item.unheld)) {
        item.state = Leftovers::State::Unusable;
        return item;
    }
    QByteArray onDisk;
    ReadFileBytes(leftovers_.file, kMaxMtlFileBytes, onDisk);
    item.state = bytes == onDisk ? Leftovers::State::Equal : Leftovers::State::Differs;
    if (item.state == Leftovers::State::Differs)
        offered_[int(kind)] = std::move(parsed);
    return item;
}

const Leftovers &Document::FindLeftovers()
{
    leftovers_ = Leftovers();
    for (std::optional<Parsed> &offered : offered_)
        offered.reset();
    const QString &name = current_.Name();
    if (name.isEmpty())
        return leftovers_;
    if (recovery_ && recovery_->Claimed() == RecoveryStore::Claim::Elsewhere) {
        leftovers_.heldElsewhere =
            true;  // that program keeps the copy: offering it would fork the edits
        return leftovers_;
    }
    // The backup lies beside the file a link names.
    const QString canonical = CanonicalPath(name);
    leftovers_.file = canonical.isEmpty() ? name : canonical;
    leftovers_.fileTime = StatPath(leftovers_.file).modified;
    const RecoveryStore::Found found = recovery_ ? recovery_->Find() : RecoveryStore::Found();
    if (found.status != RecoveryStore::Found::None) {
        leftovers_.copy = Judge(found.path, found.status == RecoveryStore::Found::Usable,
                                found.bytes, found.reason, Leftover::Copy);
        leftovers_.copy.time = found.time;
        if (leftovers_.copy.state == Leftovers::State::Equal)
            recovery_->Remove();  // nothing was lost
        else if (leftovers_.copy.state == Leftovers::State::Unusable)
            recovery_->Stop();  // kept for whoever can use it: no copy is written over it
    }
    const QString backup = leftovers_.file + QStringLiteral("bak");
    const PathInfo info = StatPath(backup, false);
    if (info.isFile) {
        QByteArray bytes;
        QString reason;
        const bool read = ReadFileBytes(backup, kMaxMtlFileBytes, bytes, &reason) == ReadResult::Ok;
        leftovers_.backup = Judge(backup, read, bytes, reason, Leftover::Backup);
        leftovers_.backup.time = info.modified;
        if (leftovers_.backup.state == Leftovers::State::Equal)
            files_.Unlink(EncodeName(backup));  // a finished save's leftover
    }
    return leftovers_;
}

void Document::AnswerLeftover(Leftover kind, bool take)
{
    std::optional<Parsed> offered = std::exchange(offered_[int(kind)], std::nullopt);
    if (take && offered)
        Adopt(std::move(offered->table), std::move(offered->attachments));
    else if (!take && kind == Leftover::Copy && recovery_)
        recovery_->Remove();
}

QString Document::RecoveryCopy() const
{
    return recovery_ ? recovery_->CopyPath() : QString();
}

void Document::Close()
{
    // Edits that were neither saved nor given up (their folder is gone, say)
    // keep their copy for the next start.
    if (!Changed())
        DiscardRecovery();
    if (recovery_)
        recovery_->ClaimFile(QString());
}

void Document::DiscardRecovery()
{
    if (recovery_)
        recovery_->Remove();
}

void Document::SetBaseline()
{
    QByteArray bytes;
    baseline_ = FileBytes(bytes) ? ContentHash(bytes) : QByteArray();
}

void Document::Follow()
{
    // Text that no save can write is a change that cannot be kept anywhere.
    QByteArray bytes;
    const bool writable = history_.isClean() || FileBytes(bytes);
    const bool changed = !history_.isClean() && (!writable || ContentHash(bytes) != baseline_);
    if (recovery_ && !loading_) {
        if (changed && recovery_->Claimed() == RecoveryStore::Claim::Elsewhere)
            recovery_->ClaimAgain();  // the other program may have ended
        if (!changed)
            recovery_->Remove();
        else if (writable)
            recovery_->Write(bytes);
    }
    if (std::exchange(changed_, changed) != changed)
        emit ChangedStateChanged(changed);
}

bool Document::FolderMissing() const
{
    const QString &name = current_.Name();
    return !name.isEmpty() && !StatPath(FolderOf(name)).isDir;
}

Document::Risk Document::OverwriteRisk() const
{
    switch (current_.GetState()) {
    case CurrentFile::State::None: return Risk::None;
    case CurrentFile::State::Failed:
        return FileExists(current_.Name()) ? Risk::NotLoaded : Risk::None;
    case CurrentFile::State::Loaded:
    case CurrentFile::State::Missing:
        return current_.SameOnDisk() ? Risk::None : Risk::ChangedOnDisk;
    }
    return Risk::None;
}

std::vector<MtlLineFinding> Document::DiskFindings() const
{
    QByteArray bytes;
    if (ReadFileBytes(current_.Name(), kMaxMtlFileBytes, bytes) != ReadResult::Ok)
        return {};
    MtlFindingList findings;
    MachineTable table;
    AttachmentSlots attachments;
    ParseMtlBytes(bytes, attachMaxCount_, table, attachments, &findings);
    return findings.Sorted();
}

QString Document::Difference() const
{
    QByteArray bytes;
    QStringList onDisk;
    if (ReadFileBytes(current_.Name(), kMaxMtlFileBytes, bytes) == ReadResult::Ok)
        onDisk = DecodeLines(bytes);
    const QString name = QDir::toNativeSeparators(current_.Name());
    return UnifiedDiff(onDisk, FileLines(MtlFileText(table_, slots_)), name, name);
}

bool Document::FileBytes(QByteArray &bytes) const
{
    return MtlFileBytes(table_, slots_, bytes);
}

SaveResult Document::Save()
{
    const SaveResult result = WriteMtlFile(files_, current_.Name(), table_, slots_);
    if (result.Saved()) {
        current_.SetSaved(result.hash);
        findings_.clear();
        baseline_ = result.hash;
        history_.setClean();
        Follow();
    }
    return result;
}

bool Document::SetNumber(FieldRef field, float value, const QString &text)
{
    MachineTable after = table_;
    float *single = SingleOf(after, field);
    if (!single)
        return false;
    *single = value;
    return SetTable(after, field, text);
}

bool Document::SetMachineName(const QString &name, const QString &text)
{
    if (!CharactersNotHeld(name).isEmpty())
        return false;  // no save could write it
    MachineTable after = table_;
    after.MachineName = name;
    return SetTable(after, {Field::MachineName}, text);
}

bool Document::SetAtcType(int type, const QString &text)
{
    MachineTable after = table_;
    after.AtcType = std::int16_t(type >= 0 && type <= 2 ? type : -1);
    return SetTable(after, {Field::AtcType}, text);
}

bool Document::SetIniAttachment(std::int32_t number, const QString &text)
{
    MachineTable after = table_;
    after.IniAttachment = number;
    return SetTable(after, {Field::IniAttachment}, text);
}

int Document::PutAttachment(int slot, const AttachmentRecord &record, const QString &text)
{
    if (slot < 0 || slot >= int(slots_.size()))
        return -1;
    AttachmentSlots after = slots_;
    after[std::size_t(slot)] = record;
    SortAttachments(after);
    SetSlots(std::move(after), record.Number, text);
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (SameRecord(slots_[i], record))
            return int(i);
    return -1;  // not a complete record: the order drops it
}

bool Document::DeleteAttachment(int slot, const QString &text)
{
    if (slot < 0 || slot >= int(slots_.size()) || slots_[std::size_t(slot)].Number == 0)
        return false;
    AttachmentSlots after = slots_;
    const std::int32_t number = after[std::size_t(slot)].Number;
    after[std::size_t(slot)].Number = 0;
    SortAttachments(after);
    return SetSlots(std::move(after), number, text);
}

void Document::BeginStep(const QString &text)
{
    if (stepOpen_)
        return;
    stepOpen_ = true;
    stepText_ = text;
    step_ = nullptr;
}

void Document::EndStep()
{
    stepOpen_ = false;
    step_ = nullptr;
}

template <typename Change>
void Document::Record(Change &&change, const QString &text)
{
    // A later change of an open step joins the step already pushed, as long as
    // nothing has been undone since.
    const bool joins = stepOpen_ && step_ && history_.index() == history_.count() &&
                       history_.command(history_.count() - 1) == step_;
    if (joins) {
        step_->changes.emplace_back(std::forward<Change>(change));
        Follow();
        return;
    }
    auto *command = new EditCommand(*this, stepOpen_ ? stepText_ : text);
    command->changes.emplace_back(std::forward<Change>(change));
    if (stepOpen_)
        step_ = command;
    history_.push(command);
}

bool Document::SetTable(const MachineTable &after, FieldRef field, const QString &text)
{
    if (SameTable(after, table_))
        return false;
    TableChange change{table_, after, field};
    table_ = after;
    Record(std::move(change), text);
    return true;
}

bool Document::SetSlots(AttachmentSlots after, std::int32_t number, const QString &text)
{
    const std::size_t n = slots_.size();
    std::size_t first = 0;
    while (first < n && SameRecord(slots_[first], after[first]))
        ++first;
    if (first == n)
        return false;
    std::size_t end = n;
    while (end > first && SameRecord(slots_[end - 1], after[end - 1]))
        --end;
    SlotChange change;
    change.first = first;
    change.number = number;
    change.before.assign(slots_.begin() + qsizetype(first), slots_.begin() + qsizetype(end));
    change.after.assign(after.begin() + qsizetype(first), after.begin() + qsizetype(end));
    slots_.swap(after);
    Record(std::move(change), text);
    emit AttachmentsChanged();
    return true;
}

void Document::Apply(const TableChange &change, bool forward)
{
    table_ = forward ? change.after : change.before;
    emit Restored({false, change.field, 0});
}

void Document::Apply(const SlotChange &change, bool forward)
{
    const AttachmentSlots &window = forward ? change.after : change.before;
    std::copy(window.begin(), window.end(), slots_.begin() + qsizetype(change.first));
    emit AttachmentsChanged();
    emit Restored({true, {Field::MachineName}, change.number});
}
