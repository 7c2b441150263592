#include "FileSystem.h"

#include <QCoreApplication>
#include <QFileInfo>

bool IsPathSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == u'/' || c == u'\\';
#else
    return c == u'/';
#endif
}

bool FileExists(const QString &path)
{
    // A NUL can never be part of a file name; the OS would cut the path there.
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return false;
    return !info.isHidden() && !info.fileName().startsWith(u'.');
}

QString GetFileDir(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (IsPathSeparator(path.at(i)))
            return path.left(i + 1);
    return QString();
}

QString AppPath()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty() || !IsPathSeparator(dir.back()))
        dir += u'/';
    return dir;
}
