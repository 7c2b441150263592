#pragma once
// The least that any reader of an MTL file does: read the bytes, decode them
// from windows-31j in one call, cut the text into lines and upper-case each.
// The reader and writer are measured against it, in one run and as whole
// processes.
#include <QFile>
#include <QStringDecoder>
#include <QStringTokenizer>

// The number of characters of the upper-cased lines, or -1 when the file
// cannot be read (a sum, so that no step can be left out).
inline qsizetype ReadFloor(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder("windows-31j");
    const QString text = decoder.decode(bytes);
    qsizetype characters = 0;
    for (QStringView line : QStringTokenizer(text, u"\r\n"))
        characters += line.toString().toUpper().size();
    return characters;
}
