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
};
class MtlFindingSink {
public:
    virtual ~MtlFindingSink() = default;
    virtual void Found(int lineNumber, MtlFinding kind, const QString &lineText) = 0;
};

// Reads the file into state.machineTable and state.Attachments; true when it
// replaced them (at least one recognised machine line). Message 59 when the
// name is not an ".MTL" file, does not exist or cannot be read.
bool ReadMtlFile(AppState &state, const QString &fileName, MtlFindingSink *sink = nullptr);

// The parsing itself on decoded lines: fills table and attachments (attachMaxCount
// of them, cleared first) and returns whether a machine line was recognised.
bool ParseMtlLines(const QStringList &lines, int attachMaxCount, MachineTable &table,
                   AttachmentSlots &attachments, MtlFindingSink *sink = nullptr);
// True when the file name itself ends in ".MTL" in any case.
bool HasMtlExtension(const QString &fileName);

// The line of slot index, or empty text when the slot is not to be listed or written.
QString FormatAttachLine(const AttachmentSlots &attachments, int index);
// The whole file text, lines joined with CR LF, the last one included.
QString MtlFileText(const MachineTable &table, const AttachmentSlots &attachments);
// Writes the table over the file with the backup protocol; shows message 60
// or 61 and returns false on failure.
bool WriteMtlFile(AppState &state, const QString &fileName);

// The version text of the editor mark line and the window title.
inline const QString kVersionText = QStringLiteral(QUILLMARK_VERSION);
