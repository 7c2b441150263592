#pragma once
#include <QStringList>

// The unified diff ("---", "+++", "@@" hunks with three lines of context) that
// turns the lines from into the lines to; empty when they are the same. Past
// a thousand changed lines the middle part is shown as all removed, then all
// added, so a file written in another layout costs no quadratic time.
QString UnifiedDiff(const QStringList &from, const QStringList &to, const QString &fromName,
                    const QString &toName);
