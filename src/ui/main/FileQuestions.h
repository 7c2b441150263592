#pragma once
// What the main window asks and tells about files: the offers at opening, the
// notice of lines a load drops, the questions before a save overwrites or
// drops something and before unsaved edits are left, the notices after a
// save, and the settings file's problems. The document decides; this words it
// in the message table's texts, on the dialogs seam.
#include "model/AppState.h"
#include "model/Document.h"
#include "platform/Dialogs.h"

// The lines findings name, each once ("number: text"), in line order.
QStringList LinesFound(const std::vector<MtlLineFinding> &findings);
// The first few of them, each after a line break and shortened, the rest counted.
QString FirstLines(const QStringList &lines);

class FileQuestions {
public:
    FileQuestions(Document &document, Dialogs &dialogs, const MessageTable &messages,
                  const AppSettings &settings);

    // After the file name's load: what went wrong, the lines it drops, then
    // what an earlier run left behind, offered.
    void AfterLoad(const LoadResult &result);
    // Saves after the questions a save may need, and tells how it went.
    void Save();
    // Unsaved edits before they are left: saved on Yes, given up on No. False
    // when the caller must not go on: cancelled, or the save did not happen.
    bool MaybeSave();
    // Loads the file again as it is on disk; unsaved edits only after asking
    // (default No), and then their recovery copy goes, so it is not offered
    // back.
    void Reload();
    // Tells once a run that the settings file could not be read or written.
    void ReportSettingsProblem();
    // The open-file dialog, on the folder and name given: the MTL type with
    // the suffix, then all files. On a choice, the name and folder take the
    // chosen ones and the full path is returned; else empty text.
    QString ChooseFile(QString &name, QString &folder, const QString &typeCaption,
                       const QString &suffix);

    // Why a file could not be read or written, with the system's reason and
    // the backup a failed save left.
    void ShowFileProblem(FileProblem problem, const QString &reason, const QString &backupLeft);

private:
    void ShowFindings();
    void OfferLeftovers();
    bool Offer(const Leftovers &found, Leftover kind, Msg question, MsgAnswer defaultAnswer);
    // Asks before a save replaces a file that is not what was loaded, or
    // drops lines of it.
    bool ConfirmOverwrite();
    bool Ask(Msg question, const QString &details = QString());
    // "name  (time)" as the offers show a file.
    QString NameAndTime(const QString &path, const QDateTime &time) const;

    Document &document_;
    Dialogs &dialogs_;
    const MessageTable &messages_;
    const AppSettings &settings_;
    bool settingsReported_ = false;
};
