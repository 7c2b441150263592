#pragma once
// The MTL machine definition file: reader and writer.
#include "Fields.h"
#include "MachineTable.h"
#include "platform/FileLayer.h"

#include <vector>

// What the reader drops or changes, for mtlcheck. The editor passes no sink.
enum class MtlFinding {
    UnrecognisedLine,     // unknown keyword, axis, or malformed line
    BadAttachmentNumber,  // attachment key whose number is not a positive number
    AttachmentOverflow,   // attachment line beyond the slot capacity
    NotNumeric,           // a number field whose text is not numeric: default used
    ShapeNotKept,         // shape token that leaves the record incomplete
    // Added for mtlcheck; the editor behaves as before.
    ValueChanged,    // negative value stored as 0, unknown ATC word, text cut to 20
    ItemsDropped,    // attachment stages or items read but not kept or not written back
    Superseded,      // a later line sets the same field
    ValueRounded,    // saving writes the value rounded: it reads back as another one
    ValueNotHeld,    // a Single holds no such value: saving writes another number
    CommentDropped,  // a "#" line other than the two header lines, which saving writes anew
};
class MtlFindingSink {
public:
    virtual ~MtlFindingSink() = default;
    virtual void Found(int lineNumber, MtlFinding kind, const QString &lineText) = 0;
};

struct MtlLineFinding {
    int line;
    MtlFinding kind;
    QString text;
};
// Keeps every finding; Sorted() gives them in line order.
class MtlFindingList : public MtlFindingSink {
public:
    void Found(int lineNumber, MtlFinding kind, const QString &lineText) override;
    std::vector<MtlLineFinding> Sorted() const;

private:
    std::vector<MtlLineFinding> findings_;
};

// Far above what 32767 attachments can fill; a larger file is refused unread.
inline constexpr qint64 kMaxMtlFileBytes = 16 * 1024 * 1024;

// What went wrong with a file. The windows and mtlcheck tell it in their words.
enum class FileProblem {
    None,
    NotMtlFile,     // not named .mtl, missing, or unreadable
    TooLarge,       // over kMaxMtlFileBytes: refused unread
    NoMachineLine,  // read, but no line of it is a machine line: nothing loaded
    FolderMissing,  // the folder to save into is not there
    NotSaved,       // the save failed; the file's name holds its old bytes
};

// The line that set each value and each attachment, for messages that name
// a line (0 where no line did): values by their place in kWriterOrder,
// attachments by slot.
struct SourceLines {
    std::array<int, kWriterOrder.size()> values{};
    std::vector<int> attachments;
    int Of(FieldRef field) const;
};

// What a load did.
struct LoadResult {
    bool loaded = false;  // the table was replaced
    FileProblem problem = FileProblem::None;
    QString reason;   // the OS's words, when it gave any
    QByteArray hash;  // of the bytes read, to see later whether the file changed
};
// Reads the file into table and attachments (attachMaxCount slots), which
// change only when the file holds at least one recognised machine line.
LoadResult ReadMtlFile(const QString &fileName, int attachMaxCount, MachineTable &table,
                       AttachmentSlots &attachments, MtlFindingSink *sink = nullptr,
                       SourceLines *lines = nullptr);

// The parsing itself on decoded lines: fills table and attachments (attachMaxCount
// of them, cleared first) and returns whether a machine line was recognised.
bool ParseMtlLines(const QStringList &lines, int attachMaxCount, MachineTable &table,
                   AttachmentSlots &attachments, MtlFindingSink *sink = nullptr);
// The same on a file's bytes, cut into lines and decoded as the file reader does.
bool ParseMtlBytes(QByteArrayView bytes, int attachMaxCount, MachineTable &table,
                   AttachmentSlots &attachments, MtlFindingSink *sink = nullptr,
                   SourceLines *lines = nullptr);
// True when the name ends in ".MTL" in any case: the one test of an MTL file
// name, for the reader, the command line and a drop.
bool HasMtlExtension(const QString &fileName);

// The line of slot index, or empty text when the slot is not to be listed or written.
QString FormatAttachLine(const AttachmentSlots &attachments, int index);
// What the writer writes of a value or a record, so that a comparison sees the
// same: the text after "KEY = ", empty when the value gets no line (the name
// always gets one); the number of stages written, 0 when the record gets no
// line; whether the record's name is written.
QString WrittenValue(const MachineTable &table, FieldRef field);
int WrittenStages(const AttachmentRecord &record);
bool WritesName(const AttachmentRecord &record);
// Whether saves of the two tables write the same bytes: where the bits
// differ, the written texts are compared (-0 and 0, 850 and 850.0001 write
// alike). Stops at the first difference.
bool WritesAlike(const MachineTable &a, const AttachmentSlots &slotsA, const MachineTable &b,
                 const AttachmentSlots &slotsB);
// The whole file text, lines joined with CR LF, the last one included.
QString MtlFileText(const MachineTable &table, const AttachmentSlots &attachments);
// The same text as the bytes a save writes, in windows-31j, made straight
// into one buffer; false when a text holds a character windows-31j cannot hold.
bool MtlFileBytes(const MachineTable &table, const AttachmentSlots &attachments, QByteArray &bytes);
// The characters of the table's texts that the file cannot hold, each once;
// empty when a save can write them all.
QString CharactersNotHeld(const MachineTable &table, const AttachmentSlots &attachments);
// What a save did.
struct SaveResult {
    FileProblem problem = FileProblem::None;
    QString reason;      // the OS's words, when it gave any
    QString unheld;      // characters of the table the file cannot hold
    QString backupLeft;  // a backup that is still there (see ReplaceFile)
    QByteArray hash;     // of the bytes written
    bool Saved() const { return problem == FileProblem::None; }
};
// Writes the table over the file: its name always holds the complete old or
// the complete new bytes, with name + "bak" as the backup while it runs.
SaveResult WriteMtlFile(FileLayer &files, const QString &fileName, const MachineTable &table,
                        const AttachmentSlots &attachments);

// The key of an attachment's line: ATTACHMENT05.
QString AttachmentKey(std::int32_t number);

// The fingerprint by which a loaded or saved file is recognised again: its
// size and a fast hash of its bytes. It tells another program's change, not
// an attacker's, so a cryptographic hash would only cost time.
QByteArray ContentHash(const QByteArray &bytes);
// Whether the file still holds the bytes of the fingerprint; a file of
// another size is not read.
bool SameContent(const QString &path, const QByteArray &fingerprint);

// The version text of the editor mark line and the window title.
inline const QString kVersionText = QStringLiteral(QUILLMARK_VERSION);
