#include "Tokens.h"

QString TrimSpaces(const QString &text)
{
    const QStringView trimmed = TrimSpaces(QStringView(text));
    return trimmed.size() == text.size() ? text : trimmed.toString();
}

QString GetToken(QString &source, const QString &separator)
{
    QStringView rest(source);
    const QString token = CutToken(rest, separator).toString();
    source = rest.toString();
    return token;
}
