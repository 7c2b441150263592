#include "MessageFile.h"

#include "AppFiles.h"
#include "model/Numbers.h"
#include "model/Tokens.h"
#include "platform/FileSystem.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
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
    // Also for whoever started the program from a terminal: it ends after this.
    std::fprintf(stderr, "quillmark: %s\n",
                 qPrintable(QString(text).replace(u'\n', QStringLiteral("\n  "))));
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
    return ParseMessageText(DecodeCp932(bytes), table);
}

MessageFileResult ParseMessageText(const QString &text, MessageTable &table)
{
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

namespace {

// The numbers the windows read: each must have a text. 18 and 19 may be left
// out (their buttons keep their own captions); 33, 44 to 46, 48 and 49 are
// not used at all.
bool Needed(int n)
{
    return n != 18 && n != 19 && n != 33 && !(n >= 44 && n <= 46) && n != 48 && n != 49;
}
// The numbers every message file has held: a file without one is wrong. The
// newer ones are given the English text without a word.
constexpr int kOldest = int(Msg::SaveFailed);

// "2, 5-61" for the numbers in order.
QString Ranges(const QList<int> &numbers)
{
    QStringList parts;
    for (qsizetype i = 0; i < numbers.size();) {
        qsizetype j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        parts << (i == j ? QString::number(numbers[i])
                         : QStringLiteral("%1-%2").arg(numbers[i]).arg(numbers[j]));
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

// Why a file that has no usable MAX_INDEX line cannot serve.
QString WhyUnusable(MessageFileResult result, const QString &readError)
{
    if (!readError.isEmpty())
        return readError;
    return result == MessageFileResult::NoMaxIndex
               ? QStringLiteral("It has no line \"MAX_INDEX = n\".")
               : QStringLiteral("A number in it is out of range (MAX_INDEX or GSTR below 0 or "
                                "above 32767).");
}

}  // namespace

bool LoadMessageTable(AppState &state, Dialogs &dialogs, const AppFiles &files)
{
    const QString &path = files.messages;
    if (path.isEmpty()) {
        ShowBuiltIn(dialogs, kMessageFileMissing + QStringLiteral("\nLooked for:\n") +
                                 files.messagesLookedAt.join(u'\n'));
        return false;
    }
    // Far above any real message file.
    constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
    QByteArray bytes;
    QString readError;
    MessageTable table;
    MessageFileResult result = MessageFileResult::Failed;
    const ReadResult read = ReadFileBytes(path, kMaxBytes, bytes, &readError);
    if (read == ReadResult::TooLarge)
        readError = QStringLiteral("It is larger than %1 bytes.").arg(kMaxBytes);
    else if (read != ReadResult::Ok && readError.isEmpty())
        readError = QStringLiteral("It cannot be read.");
    // Saved by an editor that writes UTF-8: read as it was meant.
    const bool utf8 = read == ReadResult::Ok && bytes.isValidUtf8() &&
                      std::any_of(bytes.begin(), bytes.end(), [](char b) { return b & 0x80; });
    if (read == ReadResult::Ok)
        result = ParseMessageText(utf8 ? QString::fromUtf8(bytes) : DecodeCp932(bytes), table);
    if (result != MessageFileResult::Ok) {
        ShowBuiltIn(dialogs,
                    kMessageFileBad + u'\n' + path + u'\n' + WhyUnusable(result, readError));
        return false;
    }
    MessageTable english;
    ParseMessageFile(BuiltinEnglishMessages(), english);
    QList<int> lacking;
    for (int n = 0; n <= english.MaxIndex(); ++n) {
        if (!Needed(n) || !table.Text(n).isEmpty())
            continue;
        if (n <= kOldest)
            lacking << n;
        table.SetMissing(Msg(n), english.Text(n));
    }
    QStringList why;
    if (utf8)
        why << QStringLiteral(
            "It is saved as UTF-8, not windows-31j; its texts are read as UTF-8.");
    if (!lacking.isEmpty())
        why << QStringLiteral("It holds no text for %1 (MAX_INDEX = %2); English texts are shown "
                              "for them.")
                   .arg(Ranges(lacking))
                   .arg(table.MaxIndex());
    if (!why.isEmpty())
        dialogs.MsgBox(kMessageFileIncomplete + u'\n' + path + u'\n' + why.join(u'\n'),
                       MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok, kProgramTitle);
    state.messages = table;
    return true;
}
