#include "Document.h"

#include "LineDiff.h"
#include "SlotOrder.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

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

// One change: the whole table before and after (it is small), or the window
// of slots that differs. The document applies a change itself before it
// makes the command, so the stack's first redo has nothing to do.
class EditCommand : public QUndoCommand {
public:
    EditCommand(Document &document, const QString &text, QUndoCommand *parent)
        : QUndoCommand(text, parent), document_(document)
    {
    }
    void redo() override
    {
        if (std::exchange(applied_, false))
            return;
        document_.Apply(*this, true);
    }
    void undo() override { document_.Apply(*this, false); }

    bool attachments = false;  // else the table
    MachineTable tableBefore, tableAfter;
    FieldRef field{Field::MachineName};
    std::size_t first = 0;
    AttachmentSlots slotsBefore, slotsAfter;
    std::int32_t number = 0;

private:
    Document &document_;
    bool applied_ = true;
};

Document::Document(FileLayer &files, std::int16_t attachMaxCount, QObject *parent)
    : QObject(parent), files_(files), attachMaxCount_(qMax<std::int16_t>(1, attachMaxCount)),
      slots_(std::size_t(attachMaxCount_))
{
    connect(&history_, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit ChangedStateChanged(!clean); });
    connect(&history_, &QUndoStack::indexChanged, this, &Document::UpdateRecovery);
    connect(&history_, &QUndoStack::cleanChanged, this, &Document::UpdateRecovery);
}

Document::~Document()
{
    // Taking the history apart signals; the document is no longer there for it,
    // and a copy left for recovery must stay.
    history_.disconnect(this);
    delete step_;
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
    loading_ = false;
    emit Reset();
    return result;
}

void Document::SetRecovery(RecoveryStore *store)
{
    recovery_ = store;
}

bool Document::Recover(const QByteArray &bytes)
{
    MachineTable table;
    AttachmentSlots attachments;
    if (!ParseMtlLines(DecodeLines(bytes), attachMaxCount_, table, attachments))
        return false;
    SortAttachments(attachments);
    table_ = table;
    slots_ = std::move(attachments);
    findings_.clear();
    history_.clear();
    history_.resetClean();  // unsaved from the start; the copy is kept again
    emit Reset();
    return true;
}

bool Document::CanRecover(const QByteArray &bytes) const
{
    MachineTable table;
    AttachmentSlots attachments;
    return ParseMtlLines(DecodeLines(bytes), attachMaxCount_, table, attachments);
}

void Document::DiscardRecovery()
{
    if (recovery_)
        recovery_->Remove();
}

void Document::UpdateRecovery()
{
    if (!recovery_ || loading_)
        return;
    QByteArray bytes;
    if (!Changed())
        recovery_->Remove();
    else if (FileBytes(bytes))
        recovery_->Write(bytes);
}

bool Document::CanSave() const
{
    const QString &name = current_.Name();
    if (name.isEmpty())
        return false;
    if (FileExists(name))
        return true;
    // A new name in an existing folder; never something that exists but is
    // no normal file (a folder, a hidden file the reader did not see).
    const QFileInfo info(name);
    return !info.exists() && !info.isSymLink() && info.absoluteDir().exists();
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
        history_.setClean();
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
    if (!step_)
        step_ = new QUndoCommand(text);
}

void Document::EndStep()
{
    QUndoCommand *step = std::exchange(step_, nullptr);
    if (!step)
        return;
    if (step->childCount() == 0)
        delete step;
    else
        history_.push(step);
}

bool Document::SetTable(const MachineTable &after, FieldRef field, const QString &text)
{
    if (SameTable(after, table_))
        return false;
    auto *command = new EditCommand(*this, text, step_);
    command->tableBefore = table_;
    command->tableAfter = after;
    command->field = field;
    table_ = after;
    Push(command);
    return true;
}

bool Document::SetSlots(AttachmentSlots after, std::int32_t number, const QString &text)
{
    // Only the slots that differ are kept, so a step costs its own size, not
    // the table's.
    const std::size_t n = slots_.size();
    std::size_t first = 0;
    while (first < n && SameRecord(slots_[first], after[first]))
        ++first;
    if (first == n)
        return false;
    std::size_t end = n;
    while (end > first && SameRecord(slots_[end - 1], after[end - 1]))
        --end;
    auto *command = new EditCommand(*this, text, step_);
    command->attachments = true;
    command->first = first;
    command->number = number;
    command->slotsBefore.assign(slots_.begin() + qsizetype(first), slots_.begin() + qsizetype(end));
    command->slotsAfter.assign(after.begin() + qsizetype(first), after.begin() + qsizetype(end));
    slots_.swap(after);
    Push(command);
    emit AttachmentsChanged();
    return true;
}

void Document::Push(EditCommand *command)
{
    if (!step_)
        history_.push(command);  // a child waits for its step's end
}

void Document::Apply(const EditCommand &command, bool forward)
{
    if (!command.attachments) {
        table_ = forward ? command.tableAfter : command.tableBefore;
        emit Restored({false, command.field, 0});
        return;
    }
    const AttachmentSlots &window = forward ? command.slotsAfter : command.slotsBefore;
    std::copy(window.begin(), window.end(), slots_.begin() + qsizetype(command.first));
    emit AttachmentsChanged();
    emit Restored({true, {Field::MachineName}, command.number});
}
