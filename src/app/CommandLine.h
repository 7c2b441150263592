#pragma once
// The command line of the editor and mtlcheck: help, version and usage errors.
#include <QCommandLineParser>

#include <optional>

// Adds -h/--help and -v/--version to a parser that holds the program's own
// options and positionals, and parses arguments (program name first). Returns
// the exit status when the program ends here: 0 after the help or the version
// on standard output, 2 after a bad option and the usage on standard error.
// Needs a QCoreApplication (not a display) for the program's name in the usage.
std::optional<int> ParseCommandLine(QCommandLineParser &parser, const QStringList &arguments);

// Prints "program: problem" and the usage to standard error; returns 2.
int UsageError(const QCommandLineParser &parser, const QString &problem);
