#include "MessageFile.h"

#include "model/Hints.h"
#include "model/Numbers.h"
#include "model/Tokens.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace {

// A number of the file converted to 16 bits; nothing when it is not numeric.
// Numeric but beyond 16 bits sets overflow: the whole file is then refused.
std::optional<std::int16_t> ToIndex(const QString &text, bool &overflow)
{
    const std::optional<double> value = ParseNumeric(text);
    if (!value)
        return std::nullopt;
    const std::optional<std::int16_t> index = RoundToInt16(*value);
    if (!index)
        overflow = true;
    return index;
}

std::optional<std::int16_t> GstrIndex(const QString &line, bool &overflow)
{
    const qsizetype gstr = line.indexOf(QLatin1String("GSTR"), 0, Qt::CaseInsensitive);
    if (gstr < 0)
        return std::nullopt;
    const qsizetype open = line.indexOf(u'(', gstr + 4);
    if (open < 0)
        return std::nullopt;
    const qsizetype close = line.indexOf(u')', open + 1);
    if (close < 0)
        return std::nullopt;
    return ToIndex(line.mid(open + 1, close - open - 1), overflow);
}

QString EntryText(const QString &line)
{
    QString text = GetValuePart(line);
    if (text.startsWith(u'"'))
        text.remove(0, 1);
    if (text.endsWith(u'"'))
        text.chop(1);
    return text;
}

// "LANGUAGE = ja": names the language of the texts. It has no GSTR index, so
// a loader that does not know it skips it like any other line.
std::optional<QString> LanguageLine(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0 ||
        TrimSpaces(line.left(eq)).compare(QLatin1String("LANGUAGE"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return EntryText(line).trimmed();
}

void ShowBuiltIn(Dialogs &dialogs, const QString &text)
{
    dialogs.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok, kProgramTitle);
}

}  // namespace

QString StripComment(const QString &line)
{
    const qsizetype hash = line.indexOf(u'#');
    return hash < 0 ? line : line.left(hash);
}

QString GetValuePart(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QString() : TrimSpaces(line.mid(eq + 1));
}

int GetGstrIndex(const QString &line)
{
    bool overflow = false;
    const std::optional<std::int16_t> index = GstrIndex(line, overflow);
    return index ? *index : -1;
}

MessageFileResult ParseMessageFile(const QByteArray &bytes, MessageTable &table)
{
    // Decoded once, through one converter, and cut into views.
    const QString text = DecodeCp932(bytes);
    const QList<QStringView> lines = SplitLines(text);
    MessageTable loaded;
    qsizetype i = 0;
    bool overflow = false;
    QString language;
    for (; i < lines.size(); ++i) {
        const QString line = TrimSpaces(StripComment(lines.at(i).toString()));
        if (const std::optional<QString> named = LanguageLine(line))
            language = *named;
        if (!line.contains(QLatin1String("MAX_INDEX"), Qt::CaseInsensitive))
            continue;
        const std::optional<std::int16_t> maxIndex = ToIndex(GetValuePart(line), overflow);
        if (overflow)
            return MessageFileResult::Failed;
        if (!maxIndex)
            continue;
        if (*maxIndex < 0)
            return MessageFileResult::Failed;
        loaded.Create(*maxIndex);
        break;
    }
    if (!loaded.Loaded())
        return MessageFileResult::NoMaxIndex;
    for (++i; i < lines.size(); ++i) {
        const QString line = TrimSpaces(StripComment(lines.at(i).toString()));
        const std::optional<std::int16_t> index = GstrIndex(line, overflow);
        if (overflow)
            return MessageFileResult::Failed;
        if (index && *index >= 0 && *index <= loaded.MaxIndex())
            loaded.Set(*index, EntryText(line));
        else if (const std::optional<QString> named = LanguageLine(line))
            language = *named;
    }
    loaded.SetLanguage(language);
    table = loaded;
    return MessageFileResult::Ok;
}

bool LoadMessageTable(AppState &state, Dialogs &dialogs, const QString &path)
{
    if (!FileExists(path)) {
        ShowBuiltIn(dialogs, kMessageFileMissing);
        return false;
    }
    // Far above any real message file.
    constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
    QByteArray bytes;
    MessageTable table;
    if (ReadFileBytes(path, kMaxBytes, bytes) != ReadResult::Ok ||
        ParseMessageFile(bytes, table) != MessageFileResult::Ok) {
        ShowBuiltIn(dialogs, kMessageFileBad);
        return false;
    }
    // A message file made for an older version lacks the newer numbers; a
    // question must never come up without its text.
    static const std::pair<Msg, const char *> kNewer[] = {
        {Msg::ChangedOnDisk,
         "The file has been changed by another program since it was loaded. Overwrite it?"},
        {Msg::OverwriteUnloadable,
         "This file could not be loaded. Overwrite it with an empty machine table?"},
        {Msg::BackupLeft, "The file has been saved, but its backup could not be removed:"},
        {Msg::SettingsUnreadable, "The settings file cannot be read. Default settings are used and "
                                  "the file is left unchanged."},
        {Msg::SettingsNotWritten, "The settings file could not be written."},
        {Msg::FileTooLarge, "The file is too large to load (limit 16 MiB)."},
        {Msg::MtlFileType, "MTL file"},
        {Msg::LinesNotKept,
         "Some lines of this file are not kept as they stand: saving drops or changes them. "
         "Lines (number: text): "},
        {Msg::SaveDropsLines,
         "Saving drops or changes lines of this file (see the details). Save anyway?"},
        {Msg::Undo, "Undo"},
        {Msg::Redo, "Redo"},
        {Msg::OpenElsewhere,
         "This file is open in another Quillmark window, which keeps its unsaved edits."},
        {Msg::RecoverEdits,
         "Unsaved edits of this file were kept when Quillmark last ended without saving them. "
         "Recover them?"},
        {Msg::LeftoverUnusable, "This copy cannot be used and is left as it is:"},
        {Msg::InterruptedSaveBackup,
         "A save of this file was interrupted. Its backup holds other content than the file. "
         "Open the backup's content as unsaved edits?"},
        {Msg::OutlineName, "Attachment outline"},
        {Msg::OutlineDescription, "%1 stages, widest %2, total height %3"},
        {Msg::HintCount, "Hints: %1"},
        {Msg::NoHints, "No hints"},
    };
    for (const auto &[number, text] : kNewer)
        table.SetMissing(number, QString::fromLatin1(text));
    for (int rule = 0; rule < kHintRuleCount; ++rule)
        table.SetMissing(HintMessage(HintRule(rule)),
                         QString::fromLatin1(HintEnglish(HintRule(rule))));
    state.messages = table;
    return true;
}
