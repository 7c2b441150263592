// mtlcheck: reads MTL files exactly as the editor does and lists every line
// that the editor would ignore or change, or prints what saving would write.
#include "app/AppFiles.h"
#include "app/CommandLine.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "model/AppState.h"
#include "model/Compare.h"
#include "model/Hints.h"
#include "model/MtlFile.h"
#include "model/Numbers.h"
#include "model/SlotOrder.h"
#include "platform/FileSystem.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

enum Exit { kClean = 0, kChanged = 1, kFailed = 2 };

// File names go out as the bytes they came in as.
void Print(std::FILE *to, const QString &text)
{
    const QByteArray bytes = EncodeName(text);
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), to);
}

// A terminal must not be driven by control characters from a file.
QString Printable(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char('?');
    return out;
}

// Why a file could not be loaded, as the editor's message would say it.
QString LoadProblem(const LoadResult &result)
{
    QString why;
    switch (result.problem) {
    case FileProblem::NotMtlFile:
        why = QStringLiteral("not an .mtl file, missing or unreadable");
        break;
    case FileProblem::TooLarge:
        why = QStringLiteral("larger than the limit of %1 bytes").arg(kMaxMtlFileBytes);
        break;
    case FileProblem::NoMachineLine: why = QStringLiteral("no machine line recognised"); break;
    default: break;
    }
    if (!result.reason.isEmpty())
        why += QStringLiteral(" (") + result.reason + QLatin1Char(')');
    return why;
}

QString Describe(MtlFinding kind, int attachMaxCount)
{
    switch (kind) {
    case MtlFinding::UnrecognisedLine:
        return QStringLiteral("ignored: unrecognised keyword or axis");
    case MtlFinding::BadAttachmentNumber:
        return QStringLiteral("ignored: attachment number is not a positive number");
    case MtlFinding::AttachmentOverflow:
        return QStringLiteral("ignored: more attachment lines than the %1 slots")
            .arg(attachMaxCount);
    case MtlFinding::NotNumeric:
        return QStringLiteral("changed: a number field is not numeric, 0 is used");
    case MtlFinding::ShapeNotKept:
        return QStringLiteral("dropped: shape not recognised, the attachment is not kept");
    case MtlFinding::ValueChanged:
        return QStringLiteral(
            "changed: value not kept as written (negative, unknown word or over 20 characters)");
    case MtlFinding::ItemsDropped:
        return QStringLiteral("changed: attachment stages or items are not kept");
    case MtlFinding::Superseded: return QStringLiteral("ignored: a later line sets the same value");
    case MtlFinding::ValueRounded:
        return QStringLiteral("changed: saving rounds a value, it reads back different");
    case MtlFinding::ValueNotHeld:
        return QStringLiteral("changed: saving writes another number (a Single holds about seven "
                              "digits)");
    case MtlFinding::CommentDropped:
        return QStringLiteral("dropped: a comment line (saving writes only its own two header "
                              "lines)");
    }
    return QString();
}

// What the command line and the editor's settings file ask for.
struct Options {
    std::int16_t attachMaxCount = 10;
    bool hints = true;    // --no-hints: none
    bool strict = false;  // --strict: hints count as findings
    std::array<bool, kHintRuleCount> hintsOff{};
};

// The line a hint names: its value's or its attachment's, else that of the
// first value it was compared with.
int HintLine(const Hint &hint, const SourceLines &lines)
{
    const int own =
        hint.slot >= 0 ? lines.attachments.at(std::size_t(hint.slot)) : lines.Of(hint.field);
    return own > 0 || !hint.comparedWith ? own : lines.Of(*hint.comparedWith);
}

int PrintHints(const Options &options, const QString &shownName, const MachineTable &table,
               const AttachmentSlots &attachments, const SourceLines &lines)
{
    if (!options.hints)
        return 0;
    HintOptions hintOptions;
    hintOptions.off = options.hintsOff;
    const std::vector<Hint> hints = FindHints(table, attachments, hintOptions);
    for (const Hint &hint : hints)
        Print(stdout,
              QStringLiteral("%1:%2: hint: %3 [%4]\n")
                  .arg(shownName)
                  .arg(HintLine(hint, lines))
                  .arg(Printable(HintText(QString::fromLatin1(HintEnglish(hint.rule)), hint)),
                       HintRuleName(hint.rule)));
    return int(hints.size());
}

// A file as read, with what reading it found.
struct ReadFile {
    MachineTable table;
    AttachmentSlots attachments;
    SourceLines lines;
    int findings = 0;
};

// Reads the file and lists its findings; says why when it cannot be loaded.
bool ReadReported(const QString &name, std::int16_t attachMaxCount, ReadFile &file)
{
    MtlFindingList sink;
    const LoadResult result =
        ReadMtlFile(name, attachMaxCount, file.table, file.attachments, &sink, &file.lines);
    const std::vector<MtlLineFinding> findings = sink.Sorted();
    const QString shownName = Printable(name);
    for (const MtlLineFinding &f : findings)
        Print(stdout, QStringLiteral("%1:%2: %3: %4\n")
                          .arg(shownName)
                          .arg(f.line)
                          .arg(Describe(f.kind, attachMaxCount), Printable(f.text)));
    file.findings = int(findings.size());
    if (result.loaded)
        return true;
    Print(stdout, QStringLiteral("%1: cannot be loaded: %2\n").arg(shownName, LoadProblem(result)));
    if (result.problem != FileProblem::None)
        Print(stderr, QStringLiteral("mtlcheck: %1: %2\n").arg(shownName, LoadProblem(result)));
    return false;
}

int CheckFile(const Options &options, const QString &name)
{
    ReadFile file;
    if (!ReadReported(name, options.attachMaxCount, file))
        return kFailed;
    const QString shownName = Printable(name);
    int problems = file.findings;
    QByteArray bytes;
    if (!MtlFileBytes(file.table, file.attachments, bytes)) {
        Print(stdout, QStringLiteral("%1: cannot be saved: a text holds a character that "
                                     "windows-31j cannot hold\n")
                          .arg(shownName));
        ++problems;
    }
    const int hints = PrintHints(options, shownName, file.table, file.attachments, file.lines);
    Print(stdout, QStringLiteral("%1: %2 attachment(s), %3 finding(s), %4 hint(s)\n")
                      .arg(shownName)
                      .arg(CountAttachments(file.attachments))
                      .arg(problems)
                      .arg(hints));
    return problems > 0 || (options.strict && hints > 0) ? kChanged : kClean;
}

// What differs between two machines, in the files' own terms. Findings of
// either file are listed first and do not count.
int CompareFiles(std::int16_t attachMaxCount, const QString &nameA, const QString &nameB)
{
    ReadFile a, b;
    const bool readA = ReadReported(nameA, attachMaxCount, a);
    if (!ReadReported(nameB, attachMaxCount, b) || !readA)
        return kFailed;
    Print(stdout, QStringLiteral("A: %1\nB: %2\n").arg(Printable(nameA), Printable(nameB)));
    const std::vector<TableDifference> differences =
        CompareTables(a.table, a.attachments, b.table, b.attachments);
    for (const TableDifference &d : differences)
        Print(stdout, Printable(DifferenceLine(d)) + u'\n');
    return differences.empty() ? kClean : kChanged;
}

int PrintFile(std::int16_t attachMaxCount, const QString &name)
{
    MachineTable table;
    AttachmentSlots attachments;
    const LoadResult result = ReadMtlFile(name, attachMaxCount, table, attachments);
    if (!result.loaded) {
        Print(stderr, QStringLiteral("mtlcheck: %1: cannot be loaded: %2\n")
                          .arg(Printable(name), LoadProblem(result)));
        return kFailed;
    }
    QByteArray bytes;
    if (!MtlFileBytes(table, attachments, bytes)) {
        Print(stderr, QStringLiteral("mtlcheck: %1: a text holds a character that windows-31j "
                                     "cannot hold; saving would fail\n")
                          .arg(Printable(name)));
        return kFailed;
    }
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    return kClean;
}

}  // namespace

// The options and the editor's settings: its slot count and the hints it
// turns off, read only, never written. nullopt: the command line is wrong.
std::optional<Options> ReadOptions(const QCommandLineParser &parser)
{
    Options options;
    PosixFileLayer fileLayer;
    AppState state(fileLayer);
    SetIniPath(state, FindAppFiles(AppPath()).settings);
    if (!state.settings.IniUsable)
        Print(stderr,
              QStringLiteral("mtlcheck: the settings file %1 cannot be read; its defaults "
                             "are used (the default of %2 attachment slots, every hint)\n")
                  .arg(Printable(state.settings.IniPath), Settings::AttachMaxCount.defaultValue));
    QString count = ReadIniValue(state, Settings::AttachMaxCount);
    if (parser.isSet(QStringLiteral("attach-max"))) {
        count = parser.value(QStringLiteral("attach-max"));
        if (!ParseNumeric(count))
            return std::nullopt;
    }
    options.attachMaxCount = AttachCountFrom(count);
    QStringList unknown;
    options.hintsOff = HintsOffFrom(ReadIniValue(state, Settings::HintsOff), &unknown);
    for (const QString &name : unknown)
        Print(stderr, QStringLiteral("mtlcheck: \"%1\" in \"%2\" is no hint rule; it is left "
                                     "out\n")
                          .arg(Printable(name), Settings::HintsOff.key));
    options.hints = !parser.isSet(QStringLiteral("no-hints"));
    options.strict = parser.isSet(QStringLiteral("strict"));
    return options;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mtlcheck"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMARK_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists what loading each MTL file would drop or change, and the values\n"
                       "that are probably mistyped (hints), or prints the bytes that saving\n"
                       "would write.\n"
                       "Exit status: 0 clean, 1 something dropped or changed, 2 a file\n"
                       "cannot be loaded or the command line is wrong."));
    parser.addOptions({
        {QStringLiteral("attach-max"),
         QStringLiteral("Number of attachment slots (default: the editor's \"ATTACH MAX COUNT\")."),
         QStringLiteral("N")},
        {QStringLiteral("print"), QStringLiteral("Print what saving would write.")},
        {QStringLiteral("compare"),
         QStringLiteral("Compare two files: values by key, attachments by number (exit status 1 "
                        "when the machines differ). Both are read with 32767 attachment slots "
                        "unless --attach-max says otherwise.")},
        {QStringLiteral("strict"), QStringLiteral("Count hints as findings (exit status 1).")},
        {QStringLiteral("no-hints"), QStringLiteral("List no hints (wins over --strict).")},
    });
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("The MTL files."),
                                 QStringLiteral("FILE..."));
    // File names as the system gives their bytes, whatever they are.
    if (const std::optional<int> exitStatus = ParseCommandLine(parser, ArgumentsOf(argc, argv)))
        return *exitStatus;

    const bool print = parser.isSet(QStringLiteral("print"));
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return UsageError(parser, QStringLiteral("no file named"));
    if (print && files.size() != 1)
        return UsageError(parser, QStringLiteral("--print takes exactly one file"));
    const bool compare = parser.isSet(QStringLiteral("compare"));
    if (compare && (print || files.size() != 2))
        return UsageError(parser, QStringLiteral("--compare takes exactly two files"));
    const std::optional<Options> options = ReadOptions(parser);
    if (!options)
        return UsageError(parser, QStringLiteral("--attach-max needs a number"));

    int result = kClean;
    if (print) {
        result = PrintFile(options->attachMaxCount, files.first());
    } else if (compare) {
        // No attachment may be cut from a comparison.
        const bool counted = parser.isSet(QStringLiteral("attach-max"));
        result =
            CompareFiles(counted ? options->attachMaxCount : kMaxAttachSlots, files[0], files[1]);
    } else {
        for (const QString &name : files)
            result = std::max(result, CheckFile(*options, name));
    }
    // A report that did not reach its reader is no report.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Print(stderr, QStringLiteral("mtlcheck: cannot write to standard output\n"));
        return kFailed;
    }
    return result;
}
