#pragma once
#include <QString>
#include <QStringView>

// Cuts the leading token off source at the first occurrence of separator.
// Both the token and the rest are trimmed of spaces. Without the separator
// the whole source is the token and source becomes empty.
QString GetToken(QString &source, const QString &separator);
// Trims spaces (not tabs) from both ends, as the file formats do.
QString TrimSpaces(const QString &text);

// The view forms are here, inline, as the reader cuts every line of a file
// with them.
inline QStringView TrimSpaces(QStringView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

// The same on a view: token and rest stay views into the caller's text, so
// cutting a long line item by item costs its length once, not per item.
inline QStringView CutToken(QStringView &rest, QStringView separator)
{
    rest = TrimSpaces(rest);
    qsizetype p = -1;
    if (separator.size() == 1) {
        // Items are short: a plain loop beats the library's search here.
        const QChar c = separator.front();
        for (qsizetype i = 0; i < rest.size() && p < 0; ++i)
            if (rest[i] == c)
                p = i;
    } else if (!separator.isEmpty()) {
        p = rest.indexOf(separator, 0, Qt::CaseSensitive);
    }
    if (p < 0) {
        const QStringView token = rest;
        rest = QStringView();
        return token;
    }
    const QStringView token = TrimSpaces(rest.first(p));
    rest = TrimSpaces(rest.sliced(p + separator.size()));
    return token;
}
