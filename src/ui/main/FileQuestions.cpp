#include "FileQuestions.h"

#include "platform/FileSystem.h"

#include <QDir>
#include <QLocale>

namespace {
constexpr int kShownLines = 5;
constexpr int kShownWidth = 80;

QString Shown(const QString &path)
{
    return QDir::toNativeSeparators(DisplayName(path));
}
}  // namespace

FileQuestions::FileQuestions(Document &document, Dialogs &dialogs, const MessageTable &messages,
                             const AppSettings &settings)
    : document_(document), dialogs_(dialogs), messages_(messages), settings_(settings)
{
}

void FileQuestions::AfterLoad(const LoadResult &result)
{
    if (result.problem != FileProblem::None)
        ShowFileProblem(result.problem, result.reason, QString());
    ShowFindings();
    OfferLeftovers();
}

void FileQuestions::ShowFileProblem(FileProblem problem, const QString &reason,
                                    const QString &backupLeft)
{
    Msg message = Msg::SaveFailed;
    switch (problem) {
    case FileProblem::NotMtlFile: message = Msg::NotAnMtlFile; break;
    case FileProblem::TooLarge: message = Msg::FileTooLarge; break;
    case FileProblem::FolderMissing: message = Msg::FolderMissing; break;
    case FileProblem::NoMachineLine: message = Msg::NoMachineLine; break;
    case FileProblem::None:
    case FileProblem::NotSaved: break;
    }
    QString text = messages_(message);
    if (!reason.isEmpty())
        text += u'\n' + reason;
    if (!backupLeft.isEmpty())
        text += u'\n' + Shown(backupLeft);
    dialogs_.MsgBox(text, MsgButtons::Ok, MsgIcon::Exclamation);
}

QStringList LinesFound(const std::vector<MtlLineFinding> &findings)
{
    // One line may be named by several findings; the user is told of lines.
    QStringList lines;
    int last = 0;
    for (const MtlLineFinding &finding : findings) {
        if (finding.line != last)
            lines << QString::number(finding.line) + QStringLiteral(": ") + finding.text;
        last = finding.line;
    }
    return lines;
}

QString FirstLines(const QStringList &lines)
{
    QString text;
    for (int i = 0; i < qMin<int>(kShownLines, int(lines.size())); ++i) {
        const QString &line = lines.at(i);
        text += u'\n' + (line.size() > kShownWidth ? line.left(kShownWidth - 1) + u'\u2026' : line);
    }
    if (lines.size() > kShownLines)
        text += QStringLiteral("\n\u2026 (+%1)").arg(lines.size() - kShownLines);
    return text;
}

void FileQuestions::ShowFindings()
{
    const QStringList lines = LinesFound(document_.Findings());
    if (lines.isEmpty())
        return;
    dialogs_.MsgBox(
        messages_(Msg::LinesNotKept) + QString::number(lines.size()) + FirstLines(lines),
        MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok, kProgramTitle, lines.join(u'\n'));
}

QString FileQuestions::NameAndTime(const QString &path, const QDateTime &time) const
{
    return Shown(path) + QStringLiteral("  (") +
           QLocale().toString(time.toLocalTime(), QLocale::ShortFormat) + u')';
}

void FileQuestions::OfferLeftovers()
{
    const Leftovers &found = document_.FindLeftovers();
    if (found.heldElsewhere) {
        dialogs_.MsgBox(messages_(Msg::OpenElsewhere) + u'\n' + Shown(document_.Current().Name()),
                        MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    // The user's own edits first, Yes by default; the backup opens something
    // other than what was asked for, so No is its default.
    if (Offer(found, Leftover::Copy, Msg::RecoverEdits, MsgAnswer::Yes))
        return;
    Offer(found, Leftover::Backup, Msg::InterruptedSaveBackup, MsgAnswer::No);
}

// True when the leftover was taken.
bool FileQuestions::Offer(const Leftovers &found, Leftover kind, Msg question,
                          MsgAnswer defaultAnswer)
{
    const Leftovers::Item &item = kind == Leftover::Copy ? found.copy : found.backup;
    if (item.state == Leftovers::State::Unusable) {
        QString text = messages_(Msg::LeftoverUnusable) + u'\n' + Shown(item.path);
        if (!item.unheld.isEmpty())
            text += u'\n' + messages_(Msg::CharactersNotHeld) + item.unheld;
        else if (!item.reason.isEmpty())
            text += u'\n' + item.reason;
        dialogs_.MsgBox(text, MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    if (item.state != Leftovers::State::Differs)
        return false;
    QString text = messages_(question) + u'\n';
    text += kind == Leftover::Copy ? NameAndTime(document_.Current().Name(), item.time)
                                   : NameAndTime(found.file, found.fileTime) + u'\n' +
                                         NameAndTime(item.path, item.time);
    const bool take = dialogs_.MsgBox(text, MsgButtons::YesNo, MsgIcon::Question, defaultAnswer,
                                      kProgramTitle) == MsgAnswer::Yes;
    document_.AnswerLeftover(kind, take);
    return take;
}

void FileQuestions::Reload()
{
    if (document_.Changed()) {
        if (!Ask(Msg::ReloadQuestion))
            return;
        document_.DiscardRecovery();
    }
    AfterLoad(document_.Reload());
}

bool FileQuestions::Ask(Msg question, const QString &details)
{
    return dialogs_.MsgBox(messages_(question), MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No,
                           kProgramTitle, details) == MsgAnswer::Yes;
}

bool FileQuestions::ConfirmOverwrite()
{
    switch (document_.OverwriteRisk()) {
    case Document::Risk::None: break;
    case Document::Risk::ChangedOnDisk:
        if (!Ask(Msg::ChangedOnDisk))
            return false;
        break;
    case Document::Risk::NotLoaded: return Ask(Msg::OverwriteUnloadable);
    }
    // A save that drops lines of the file on disk, as it is now, shows what it
    // changes: after a load, recovered edits, or another program's change alike.
    return document_.DiskFindings().empty() || Ask(Msg::SaveDropsLines, document_.Difference());
}

void FileQuestions::Save()
{
    const QString &name = document_.Current().Name();
    if (name.isEmpty())
        return;
    if (document_.FolderMissing()) {
        ShowFileProblem(FileProblem::FolderMissing, Shown(name), QString());
        return;
    }
    if (!ConfirmOverwrite())
        return;
    const SaveResult result = document_.Save();
    if (!result.Saved()) {
        const QString reason = result.unheld.isEmpty()
                                   ? result.reason
                                   : messages_(Msg::CharactersNotHeld) + result.unheld;
        ShowFileProblem(result.problem, reason, result.backupLeft);
        return;
    }
    QString text = messages_(Msg::Saved);
    if (!result.backupLeft.isEmpty())
        text += u'\n' + messages_(Msg::BackupLeft) + u'\n' + Shown(result.backupLeft);
    dialogs_.MsgBox(text, MsgButtons::Ok, MsgIcon::Information);
}

bool FileQuestions::MaybeSave()
{
    if (!document_.Changed() || document_.Current().Name().isEmpty())
        return true;  // nothing to save, or no file to save to
    if (document_.FolderMissing()) {
        // Nowhere to save: the edits stay in their recovery copy, if they have one.
        QString text = messages_(Msg::FolderGoneEndAnyway);
        const QString copy = document_.RecoveryCopy();
        if (!copy.isEmpty())
            text += u'\n' + messages_(Msg::EditsKeptIn) + u'\n' + Shown(copy);
        return dialogs_.MsgBox(text, MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No,
                               kProgramTitle) == MsgAnswer::Yes;
    }
    const MsgAnswer answer =
        dialogs_.MsgBox(messages_(Msg::SaveChanges), MsgButtons::YesNoCancel, MsgIcon::Information);
    if (answer == MsgAnswer::Cancel)
        return false;
    if (answer == MsgAnswer::Yes) {
        Save();
        // A save that failed or was refused has said why; going on would lose the edits.
        return !document_.Changed();
    }
    document_.DiscardRecovery();
    return true;
}

void FileQuestions::ReportSettingsProblem()
{
    if (settingsReported_ || (settings_.IniUsable && !settings_.IniWriteFailed))
        return;
    settingsReported_ = true;
    dialogs_.MsgBox(
        messages_(settings_.IniUsable ? Msg::SettingsNotWritten : Msg::SettingsUnreadable) + u'\n' +
            Shown(settings_.IniPath),
        MsgButtons::Ok, MsgIcon::Exclamation);
}

QString FileQuestions::ChooseFile(QString &name, QString &folder, const QString &typeCaption,
                                  const QString &suffix)
{
    if (suffix.isEmpty())
        return QString();
    OpenFileRequest request;
    request.title = messages_(Msg::OpenDialogTitle);
    request.filter = typeCaption + u'(' + suffix + QStringLiteral(")|*") + suffix + u'|' +
                     messages_(Msg::AllFilesFilter) + QStringLiteral("|*.*");
    request.defaultExtension = suffix;
    request.fileName = name;
    request.directory = folder;
    const QString path = dialogs_.OpenFile(request);
    if (path.isEmpty())
        return QString();
    name = NameOf(path);
    folder = GetFileDir(path);
    return path;
}
