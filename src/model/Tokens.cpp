#include "Tokens.h"

QString TrimSpaces(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QString GetToken(QString &source, const QString &separator)
{
    source = TrimSpaces(source);
    const qsizetype p = separator.isEmpty() ? -1 : source.indexOf(separator, 0, Qt::CaseSensitive);
    if (p < 0) {
        QString token = source;
        source.clear();
        return token;
    }
    QString token = TrimSpaces(source.left(p));
    source = TrimSpaces(source.mid(p + separator.size()));
    return token;
}
