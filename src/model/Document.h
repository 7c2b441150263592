#pragma once
// The machine definition being edited: its table, its attachment slots, the
// file it came from and the history of every committed change. The windows
// ask it for each change and follow its signals; it never shows anything.
#include "CurrentFile.h"
#include "Fields.h"
#include "FileWatch.h"
#include "Leftovers.h"
#include "MachineTable.h"
#include "MtlFile.h"
#include "Recovery.h"

#include <QObject>
#include <QTimer>
#include <QUndoStack>

#include <cstdint>
#include <optional>
#include <vector>

class EditCommand;

// What an undo or redo brought back, or a comparison points at, for the
// window to show.
struct ChangeTarget {
    bool attachment = false;  // else the value of field
    FieldRef field{Field::MachineName};
    std::int32_t number = 0;  // the attachment's number
    int slot = -1;            // its slot, where it has one
};

class Document : public QObject {
    Q_OBJECT
public:
    Document(FileLayer &files, std::int16_t attachMaxCount, QObject *parent = nullptr);
    ~Document() override;

    const MachineTable &Table() const { return table_; }
    const AttachmentSlots &Attachments() const { return slots_; }
    std::int16_t AttachMaxCount() const { return attachMaxCount_; }
    const CurrentFile &Current() const { return current_; }
    QUndoStack &History() { return history_; }

    // A save would write other bytes than the table had when it was loaded or
    // last saved: undoing back, or typing the old value again, clears it. A
    // table whose file another program removed is unsaved too: it is nowhere
    // else.
    bool Changed() const { return changed_; }

    // Empties the table and reads the named file into it, when there is one;
    // an empty name only forgets the file. The history starts anew.
    LoadResult Load(const QString &name);
    // The file as it is on disk now, loaded again under its name.
    LoadResult Reload() { return Load(current_.Name()); }
    // Another program's changes to the file, watched from its load on; the
    // document's own saves are never one.
    FileWatch &Watch() { return watch_; }
    // What the last load dropped or will write differently, in line order;
    // empty again once the file has been saved.
    const std::vector<MtlLineFinding> &Findings() const { return findings_; }

    // Saving. FolderMissing: the file's folder is gone, so nothing can be
    // saved. OverwriteRisk: what a save would put at risk, to be asked about
    // first. DiskFindings: what the file on disk holds now that a save drops
    // or writes differently. Difference: on-disk lines against the lines a
    // save writes.
    enum class Risk {
        None,
        ChangedOnDisk,  // another program changed the file since it was loaded or saved
        NotLoaded,      // the file is there, but it gave no machine table
    };
    bool FolderMissing() const;
    Risk OverwriteRisk() const;
    std::vector<MtlLineFinding> DiskFindings() const;
    QString Difference() const;
    // The exact bytes a save writes now; false when a text has no windows-31j form.
    bool FileBytes(QByteArray &bytes) const;
    SaveResult Save();

    // Edits. Each returns whether the table changed: storing the value it
    // already holds is no change and no step. text names the step for undo.
    bool SetNumber(FieldRef field, float value, const QString &text);
    bool SetMachineName(const QString &name, const QString &text);
    bool SetAtcType(int type, const QString &text);
    bool SetIniAttachment(std::int32_t number, const QString &text);
    // The field takes the value it has in another table.
    bool SetValueFrom(FieldRef field, const MachineTable &from, const QString &text);
    // Writes record into slot (a free one adds it) and puts the slots in
    // order; returns the slot the record ended in, or -1 for a slot outside
    // the table.
    int PutAttachment(int slot, const AttachmentRecord &record, const QString &text);
    bool DeleteAttachment(int slot, const QString &text);

    // Changes made between the two calls are one step of the history. The
    // step is there from its first change on, so that the mark and the
    // recovery copy follow it while it is still open.
    void BeginStep(const QString &text);
    void EndStep();
    // While held, AttachmentsChanged, Restored and TableChanged wait, and come
    // once at the release: a step of many changes refills the window once, not
    // per change. An open step holds them.
    void Hold();
    void Release();

    // Recovery: with a store, every load claims its file there, and while
    // the table has unsaved changes the store keeps what a save would write.
    void SetRecovery(RecoveryStore *store);
    // After a load: what an earlier run left for the file, each read and
    // judged once. One that holds the file's own content is removed at once;
    // no copy is written over an unusable one.
    const Leftovers &FindLeftovers();
    // The answer to an offer. Taken, the leftover becomes the table as unsaved
    // edits of the file: nothing is written, and the history starts there.
    // Declined, a recovery copy is removed; a backup stays for the next save.
    void AnswerLeftover(Leftover kind, bool take);
    // The edits are given up: their recovery copy goes.
    void DiscardRecovery();
    // Where the edits' recovery copy is, when there is one.
    QString RecoveryCopy() const;
    // The file is closed: its recovery copy stays only for edits that could
    // not be saved, and the file is given up for other programs.
    void Close();

signals:
    // The table was replaced by a load.
    void Reset();
    // The slots changed: by an edit, an undo or a redo.
    void AttachmentsChanged();
    // A record came into the slot, the records from there on moving one slot
    // down; or it went, those behind it moving up.
    void SlotInserted(int slot);
    void SlotRemoved(int slot);
    // Another record of the same number took the slot's place.
    void SlotReplaced(int slot);
    // An undo or redo put something back.
    void Restored(const ChangeTarget &target);
    void ChangedStateChanged(bool changed);
    // After every change of the table (an edit, an undo, a redo, a load, a
    // save); once at the end of an open step.
    void TableChanged();
    // The table was written to its file.
    void Saved();

private:
    friend class EditCommand;
    struct TableChange;
    struct SlotChange;
    bool SetTable(const MachineTable &after, FieldRef field, const QString &text);
    // Makes the change and records it.
    void MoveSlot(const SlotChange &change, const QString &text);
    // Puts the record in, or takes it out; backwards the other way round.
    void Shift(const SlotChange &change, bool forward);
    template <typename Change>
    void Record(Change &&change, const QString &text);
    void Apply(const TableChange &change, bool forward);
    void Apply(const SlotChange &change, bool forward);
    // The table as it now stands is compared with the saved one, and its
    // recovery copy kept or removed.
    void Follow();
    // Reads and judges one leftover, keeping its table for an answer of Yes.
    Leftovers::Item Judge(const QString &path, bool read, const QByteArray &bytes,
                          const QString &reason, Leftover kind);
    void Adopt(MachineTable table, AttachmentSlots attachments,
               const std::optional<QByteArray> &base = std::nullopt);
    // Takes the table as it now stands for what was loaded or saved.
    void SetBaseline();
    // The recovery copy kept while the table is changed, removed once it is not.
    void KeepCopy(bool changed);
    void WriteCopy();

    FileLayer &files_;
    std::int16_t attachMaxCount_;
    MachineTable table_;
    AttachmentSlots slots_;
    CurrentFile current_;
    FileWatch watch_;
    std::vector<MtlLineFinding> findings_;
    QUndoStack history_;
    int held_ = 0;
    bool attachmentsPending_ = false;
    bool tablePending_ = false;
    std::optional<ChangeTarget> restoredPending_;
    void AttachmentsDone();
    void RestoredDone(const ChangeTarget &target);
    bool stepOpen_ = false;
    QString stepText_;
    EditCommand *step_ = nullptr;  // the open step, once it has a change
    RecoveryStore *recovery_ = nullptr;
    bool loading_ = false;  // a copy left from before is still to be offered
    bool changed_ = false;
    Leftovers leftovers_;
    struct Parsed {
        MachineTable table;
        AttachmentSlots attachments;
        std::optional<QByteArray> base;  // of the file a copy's edits began from
    };
    std::optional<Parsed> offered_[2];  // by Leftover: the table an answer of Yes takes
    MachineTable savedTable_;           // what was loaded or last saved
    AttachmentSlots savedSlots_;
    // A copy of this many bytes or more is written once the edits pause.
    static constexpr qsizetype kCopyAtOnceBytes = 256 * 1024;
    static constexpr int kCopyPause = 300;  // ms
    qsizetype copyBytes_ = 0;               // of the last copy written
    QTimer copyTimer_;
};
