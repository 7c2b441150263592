#include "Tokens.h"

QStringView TrimSpaces(QStringView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.sliced(begin, end - begin);
}

QString TrimSpaces(const QString &text)
{
    const QStringView trimmed = TrimSpaces(QStringView(text));
    return trimmed.size() == text.size() ? text : trimmed.toString();
}

QStringView CutToken(QStringView &rest, QStringView separator)
{
    rest = TrimSpaces(rest);
    const qsizetype p = separator.isEmpty() ? -1 : rest.indexOf(separator, 0, Qt::CaseSensitive);
    if (p < 0) {
        const QStringView token = rest;
        rest = QStringView();
        return token;
    }
    const QStringView token = TrimSpaces(rest.first(p));
    rest = TrimSpaces(rest.sliced(p + separator.size()));
    return token;
}

QString GetToken(QString &source, const QString &separator)
{
    QStringView rest(source);
    const QString token = CutToken(rest, separator).toString();
    source = rest.toString();
    return token;
}
