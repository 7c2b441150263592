#pragma once
// The MTL machine definition file: reader and writer.
#include "AppState.h"

// What the reader drops or changes, for mtlcheck. The editor passes no sink.
enum class MtlFinding {
    UnrecognisedLine,     // unknown keyword, axis, or malformed line
    BadAttachmentNumber,  // attachment key whose number is not a positive number
    AttachmentOverflow,   // attachment line beyond the slot capacity
    NotNumeric,           // a number field whose text is not numeric: default used
    ShapeNotKept,         // shape token that leaves the record incomplete
    // Added for mtlcheck; the editor behaves as before.
    ValueChanged,         // negative value stored as 0, unknown ATC word, text cut to 20
    ItemsDropped,         // attachment stages or items read but not kept or not written back
    Superseded,           // a later line sets the same field
    ValueRounded,         // saving writes the value rounded: it reads back as another one
};
class MtlFindingSink {
public:
    virtual ~MtlFindingSink() = default;
    virtual void Found(int lineNumber, MtlFinding kind, const QString &lineText) = 0;
};

// Far above what 32767 attachments can fill; a larger file is refused unread.
inline constexpr qint64 kMaxMtlFileBytes = 16 * 1024 * 1024;

// What a load did. The caller shows the message, if any.
struct LoadResult {
    bool loaded = false;  // the table was replaced
    int message = 0;      // 59: not an ".MTL" file, missing or unreadable; 67: too large
    QString reason;       // the OS's words, when it gave any
    QByteArray hash;      // of the bytes read, to see later whether the file changed
};
// Reads the file into state.machineTable and state.Attachments, which change
// only when the file holds at least one recognised machine line.
LoadResult ReadMtlFile(AppState &state, const QString &fileName, MtlFindingSink *sink = nullptr);

// The parsing itself on decoded lines: fills table and attachments (attachMaxCount
// of them, cleared first) and returns whether a machine line was recognised.
bool ParseMtlLines(const QStringList &lines, int attachMaxCount, MachineTable &table,
                   AttachmentSlots &attachments, MtlFindingSink *sink = nullptr);
// The same on a file's bytes, cut into lines and decoded as the file reader does.
bool ParseMtlBytes(QByteArrayView bytes, int attachMaxCount, MachineTable &table,
                   AttachmentSlots &attachments, MtlFindingSink *sink = nullptr);
// True when the name ends in ".MTL" in any case: the one test of an MTL file
// name, for the reader, the command line and a drop.
bool HasMtlExtension(const QString &fileName);

// The line of slot index, or empty text when the slot is not to be listed or written.
QString FormatAttachLine(const AttachmentSlots &attachments, int index);
// The whole file text, lines joined with CR LF, the last one included.
QString MtlFileText(const MachineTable &table, const AttachmentSlots &attachments);
// The same text as the bytes a save writes, in windows-31j, made straight
// into one buffer; false when a text holds a character windows-31j cannot hold.
bool MtlFileBytes(const MachineTable &table, const AttachmentSlots &attachments, QByteArray &bytes);
// What a save did. The caller shows the message, if any.
struct SaveResult {
    int message = 0;     // 0: saved; 60: no such folder; 61: not saved
    QString reason;      // the OS's words, when it gave any
    QString backupLeft;  // a backup that is still there (see ReplaceFile)
    QByteArray hash;     // of the bytes written
    bool Saved() const { return message == 0; }
};
// Writes the table over the file: its name always holds the complete old or
// the complete new bytes, with name + "bak" as the backup while it runs.
SaveResult WriteMtlFile(AppState &state, const QString &fileName);

// The fingerprint by which a loaded or saved file is recognised again: its
// size and a fast hash of its bytes. It tells another program's change, not
// an attacker's, so a cryptographic hash would only cost time.
QByteArray ContentHash(const QByteArray &bytes);
// Whether the file still holds the bytes of the fingerprint; a file of
// another size is not read.
bool SameContent(const QString &path, const QByteArray &fingerprint);

// The version text of the editor mark line and the window title.
inline const QString kVersionText = QStringLiteral(QUILLMARK_VERSION);
