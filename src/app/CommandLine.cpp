#include "CommandLine.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdio>

namespace {

void Print(std::FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), to);
    std::fflush(to);
}

}  // namespace

std::optional<int> ParseCommandLine(QCommandLineParser &parser, const QStringList &arguments)
{
    // Not addHelpOption(): its --help-all lists Qt's own options, which these
    // programs do not take.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    if (!parser.parse(arguments))
        return UsageError(parser, parser.errorText());
    if (parser.isSet(help)) {
        Print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        Print(stdout, QCoreApplication::applicationName() + u' ' +
                          QCoreApplication::applicationVersion() + u'\n');
        return 0;
    }
    return std::nullopt;
}

int UsageError(const QCommandLineParser &parser, const QString &problem)
{
    Print(stderr, QCoreApplication::applicationName() + QStringLiteral(": ") + problem + u'\n' +
                      parser.helpText());
    return 2;
}
