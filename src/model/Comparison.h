#pragma once
// The open table against another machine file, or against its own file as it
// is on disk, kept up to date while the table is edited; and the other side
// of chosen differences taken over into the table.
#include "Compare.h"
#include "Document.h"
#include "MtlFile.h"

#include <QObject>

#include <cstddef>
#include <vector>

class Comparison : public QObject {
    Q_OBJECT
public:
    explicit Comparison(Document &document, QObject *parent = nullptr);

    // Reads the other file with every slot, so that none of its attachments is
    // cut. OwnFile: the document's file (also when Read names it), read as the
    // load read it and again after each save, so that the differences are
    // what the edits changed since the load or last save.
    LoadResult Read(const QString &path);
    LoadResult ReadOwnFile();
    bool OwnFile() const { return ownFile_; }
    const QString &OtherName() const { return otherName_; }
    // The lines of the file read that a load does not take as they stand.
    const std::vector<MtlLineFinding> &OtherFindings() const { return otherFindings_; }
    bool Active() const { return active_; }
    // Stops following the document, until the next Read.
    void Stop();

    // This table is A, the other file B.
    const std::vector<TableDifference> &Differences() const { return differences_; }
    const MachineTable &Other() const { return other_; }
    const AttachmentSlots &OtherAttachments() const { return otherSlots_; }

    enum class Taken { Done, Nothing, OverLimit };
    // Takes the other file's side of the differences at rows as one step: a
    // value is set, an attachment only there is added, one in both replaced,
    // one only here deleted. Several rows of one attachment take it once.
    // OverLimit: the attachments would not fit the slots, and nothing changed.
    Taken TakeOver(const std::vector<std::size_t> &rows, const QString &text);
    // Whether the attachments would fit the slots after taking the rows over.
    bool Fits(const std::vector<std::size_t> &rows) const;
    // How many attachments taking the rows over adds, less those it deletes.
    int Growth(const std::vector<std::size_t> &rows) const;

signals:
    // The differences were made anew.
    void Updated();
    // Another file was loaded: the comparison is over.
    void Ended();

private:
    struct Plan;
    Plan PlanFor(const std::vector<std::size_t> &rows) const;
    bool Fits(const Plan &plan) const;
    LoadResult Load(const QString &path, bool ownFile);
    void Update();

    Document &document_;
    QString otherName_;
    std::vector<MtlLineFinding> otherFindings_;
    MachineTable other_;
    AttachmentSlots otherSlots_;
    std::vector<TableDifference> differences_;
    bool ownFile_ = false;
    bool active_ = false;
};
