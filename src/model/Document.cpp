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
// One record put into its slot or taken out of it, the records behind moving
// one slot: a step costs the size of its record, not the table's. The slot is
// kept because records of one number keep their order.
struct Document::SlotChange {
    enum Kind { Insert, Remove, Replace } kind;
    std::size_t slot = 0;
    AttachmentRecord record;
    AttachmentRecord replaced;  // what a Replace put the record over
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
        document_.Hold();
        for (const Change &change : changes)
            std::visit([this](const auto &c) { document_.Apply(c, true); }, change);
        document_.Release();
    }
    void undo() override
    {
        document_.Hold();
        for (auto it = changes.rbegin(); it != changes.rend(); ++it)
            std::visit([this](const auto &c) { document_.Apply(c, false); }, *it);
        document_.Release();
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
    connect(&watch_, &FileWatch::StateChanged, this, [this] {
        if (!loading_ && watch_.Gone() != changed_)
            Follow();
    });
    copyTimer_.setSingleShot(true);
    copyTimer_.setInterval(kCopyPause);
    connect(&copyTimer_, &QTimer::timeout, this, &Document::WriteCopy);
    SetBaseline();
}

Document::~Document()
{
    // Taking the history apart signals; the document is no longer there for it,
    // and a copy left for recovery must stay, and be whole.
    history_.disconnect(this);
    if (copyTimer_.isActive())
        WriteCopy();
}

LoadResult Document::Load(const QString &name)
{
    if (copyTimer_.isActive())
        WriteCopy();  // the edits of the file left
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
    // A file that could not be read has no bytes to tell a change by.
    const bool unread = current_.GetState() == CurrentFile::State::Failed && result.hash.isEmpty();
    watch_.Watch(unread ? QString() : name, result.hash);
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

void Document::Adopt(MachineTable table, AttachmentSlots attachments,
                     const std::optional<QByteArray> &base)
{
    table_ = std::move(table);
    slots_ = std::move(attachments);
    // Another program's change since the edits began is not overwritten
    // unasked, and the copy written now keeps what they began from.
    if (base)
        current_.SetBase(*base);
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
        if (auto &offered = offered_[int(Leftover::Copy)])
            offered->base = found.base;
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
        Adopt(std::move(offered->table), std::move(offered->attachments), offered->base);
    else if (!take && kind == Leftover::Copy && recovery_)
        recovery_->Remove();
}

QString Document::RecoveryCopy() const
{
    return recovery_ ? recovery_->CopyPath() : QString();
}

void Document::Close()
{
    if (copyTimer_.isActive())
        WriteCopy();
    // Edits that were neither saved nor given up (their folder is gone, say)
    // keep their copy for the next start.
    if (!Changed())
        DiscardRecovery();
    if (recovery_)
        recovery_->ClaimFile(QString());
}

void Document::DiscardRecovery()
{
    // A copy still to be written after a pause must not bring them back.
    copyTimer_.stop();
    if (recovery_)
        recovery_->Remove();
}

void Document::SetBaseline()
{
    savedTable_ = table_;
    savedSlots_ = slots_;
}

void Document::Follow()
{
    const bool changed =
        (!history_.isClean() && !WritesAlike(table_, slots_, savedTable_, savedSlots_)) ||
        watch_.Gone();
    const bool flips = std::exchange(changed_, changed) != changed;
    KeepCopy(changed);
    if (flips)
        emit ChangedStateChanged(changed);
    if (held_ > 0)
        tablePending_ = true;
    else
        emit TableChanged();
}

void Document::KeepCopy(bool changed)
{
    if (!recovery_ || loading_)
        return;
    if (!changed) {
        copyTimer_.stop();
        recovery_->Remove();
        return;
    }
    if (recovery_->Claimed() == RecoveryStore::Claim::Elsewhere)
        recovery_->ClaimAgain();  // the other program may have ended
    // A small copy is written at once; a big one once the edits pause, so that
    // a step of a big table costs no more than its change.
    if (copyBytes_ < kCopyAtOnceBytes)
        WriteCopy();
    else
        copyTimer_.start();
}

void Document::WriteCopy()
{
    copyTimer_.stop();
    QByteArray bytes;
    if (recovery_ && changed_ && FileBytes(bytes) && recovery_->Write(bytes, current_.Hash()))
        copyBytes_ = bytes.size();
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
        watch_.Saved(result.hash);
        findings_.clear();
        SetBaseline();
        history_.setClean();
        Follow();
        emit Saved();
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

bool Document::SetValueFrom(FieldRef field, const MachineTable &from, const QString &text)
{
    MachineTable after = table_;
    CopyValue(after, from, field);
    return SetTable(after, field, text);
}

int Document::PutAttachment(int slot, const AttachmentRecord &record, const QString &text)
{
    if (slot < 0 || slot >= int(slots_.size()) || !IsComplete(record))
        return -1;  // the order would drop an incomplete record
    const bool replaces = IsComplete(slots_[std::size_t(slot)]);
    if (replaces && BitEqual(slots_[std::size_t(slot)], record))
        return slot;
    // A record that keeps its number keeps its slot: no count of the table, so
    // that replacing every record costs in proportion to them.
    if (replaces && slots_[std::size_t(slot)].Number == record.Number) {
        MoveSlot({SlotChange::Replace, std::size_t(slot), record, slots_[std::size_t(slot)]}, text);
        AttachmentsDone();
        return slot;
    }
    const int count = CountAttachments(slots_);
    if (!replaces && count >= int(slots_.size()))
        return -1;  // no free slot
    // The record takes the place the order gives it: among equal numbers, the
    // one it had, or after them when it is new.
    const bool ownStep = !stepOpen_;
    if (ownStep)
        BeginStep(text);
    if (replaces)
        MoveSlot({SlotChange::Remove, std::size_t(slot), slots_[std::size_t(slot)], {}}, text);
    const auto equal = std::equal_range(
        slots_.begin(), slots_.begin() + (replaces ? count - 1 : count), record,
        [](const AttachmentRecord &x, const AttachmentRecord &y) { return x.Number < y.Number; });
    const qsizetype at = std::clamp<qsizetype>(
        replaces ? slot : count, equal.first - slots_.begin(), equal.second - slots_.begin());
    MoveSlot({SlotChange::Insert, std::size_t(at), record, {}}, text);
    if (ownStep)
        EndStep();
    AttachmentsDone();
    return int(at);
}

bool Document::DeleteAttachment(int slot, const QString &text)
{
    if (slot < 0 || slot >= int(slots_.size()) || slots_[std::size_t(slot)].Number == 0)
        return false;
    MoveSlot({SlotChange::Remove, std::size_t(slot), slots_[std::size_t(slot)], {}}, text);
    AttachmentsDone();
    return true;
}

void Document::BeginStep(const QString &text)
{
    if (stepOpen_)
        return;
    Hold();
    stepOpen_ = true;
    stepText_ = text;
    step_ = nullptr;
}

void Document::EndStep()
{
    if (std::exchange(stepOpen_, false))
        Release();
    step_ = nullptr;
}

void Document::Hold()
{
    ++held_;
}

void Document::Release()
{
    if (held_ == 0 || --held_ > 0)
        return;
    if (std::exchange(attachmentsPending_, false))
        emit AttachmentsChanged();
    if (const std::optional<ChangeTarget> target = std::exchange(restoredPending_, std::nullopt))
        emit Restored(*target);
    if (std::exchange(tablePending_, false))
        emit TableChanged();
}

void Document::AttachmentsDone()
{
    if (held_ > 0)
        attachmentsPending_ = true;
    else
        emit AttachmentsChanged();
}

void Document::RestoredDone(const ChangeTarget &target)
{
    if (held_ > 0)
        restoredPending_ = target;
    else
        emit Restored(target);
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
    if (BitEqual(after, table_))
        return false;
    TableChange change{table_, after, field};
    table_ = after;
    Record(std::move(change), text);
    return true;
}

void Document::MoveSlot(const SlotChange &change, const QString &text)
{
    Shift(change, true);
    Record(SlotChange(change), text);
}

void Document::Shift(const SlotChange &change, bool forward)
{
    // The slots keep their number: a free one goes or comes at the end.
    const auto at = slots_.begin() + qsizetype(change.slot);
    if (change.kind == SlotChange::Replace) {
        *at = forward ? change.record : change.replaced;
        emit SlotReplaced(int(change.slot));
    } else if ((change.kind == SlotChange::Insert) == forward) {
        slots_.insert(at, change.record);
        slots_.pop_back();
        emit SlotInserted(int(change.slot));
    } else {
        slots_.erase(at);
        slots_.push_back(AttachmentRecord());
        emit SlotRemoved(int(change.slot));
    }
}

void Document::Apply(const TableChange &change, bool forward)
{
    table_ = forward ? change.after : change.before;
    RestoredDone({false, change.field, 0});
}

void Document::Apply(const SlotChange &change, bool forward)
{
    Shift(change, forward);
    AttachmentsDone();
    // A record taken out has no slot to show.
    const bool there =
        (change.kind == SlotChange::Insert) == forward || change.kind == SlotChange::Replace;
    RestoredDone({true, {Field::MachineName}, change.record.Number, there ? int(change.slot) : -1});
}
