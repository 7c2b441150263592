#include "FileSystem.h"

#include <QCoreApplication>
#include <QDir>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr char16_t kEscape = 0xDC00;  // plus the byte, for bytes 0x80 to 0xFF

bool IsEscape(QChar c)
{
    return c.unicode() >= kEscape + 0x80 && c.unicode() <= kEscape + 0xFF;
}

// The length of the UTF-8 sequence at p, or 0 when it is none.
qsizetype Utf8Sequence(const unsigned char *p, qsizetype left)
{
    const unsigned char b = p[0];
    qsizetype n = b < 0x80             ? 1
                  : (b & 0xE0) == 0xC0 ? 2
                  : (b & 0xF0) == 0xE0 ? 3
                  : (b & 0xF8) == 0xF0 ? 4
                                       : 0;
    if (n == 0 || n > left)
        return 0;
    for (qsizetype k = 1; k < n; ++k)
        if ((p[k] & 0xC0) != 0x80)
            return 0;
    // Overlong forms, surrogates and code points past U+10FFFF are no text.
    return QByteArrayView(reinterpret_cast<const char *>(p), n).isValidUtf8() ? n : 0;
}

}  // namespace

QString DecodeName(QByteArrayView bytes)
{
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString name;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype n = Utf8Sequence(p + i, bytes.size() - i);
        if (n == 0) {
            name += QChar(char16_t(kEscape + p[i]));
            ++i;
        } else {
            name += QString::fromUtf8(bytes.sliced(i, n));
            i += n;
        }
    }
    return name;
}

QByteArray EncodeName(QStringView name)
{
    QByteArray bytes;
    qsizetype from = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        // A lone escape, not the second half of a pair.
        if (IsEscape(name[i]) && !(i > 0 && name[i - 1].isHighSurrogate())) {
            bytes += name.sliced(from, i - from).toUtf8();
            bytes += char(name[i].unicode() - kEscape);
            from = i + 1;
        }
    }
    return from == 0 ? name.toUtf8() : bytes + name.sliced(from).toUtf8();
}

QString DisplayName(const QString &name)
{
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (IsEscape(shown[i]) && !(i > 0 && shown[i - 1].isHighSurrogate()))
            shown[i] = QChar(QChar::ReplacementCharacter);
    return shown;
}

PathInfo StatPath(const QString &path, bool followLinks)
{
    PathInfo info;
    struct stat st { };
    const QByteArray bytes = EncodeName(path);
    if (path.isEmpty() || bytes.contains('\0') ||
        (followLinks ? ::stat(bytes.constData(), &st) : ::lstat(bytes.constData(), &st)) != 0)
        return info;
    info.exists = true;
    info.isFile = S_ISREG(st.st_mode);
    info.isDir = S_ISDIR(st.st_mode);
    info.isLink = S_ISLNK(st.st_mode);
    info.size = qint64(st.st_size);
    info.modified = QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 +
                                                   st.st_mtim.tv_nsec / 1000000);
    info.device = quint64(st.st_dev);
    info.inode = quint64(st.st_ino);
    info.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + qint64(st.st_mtim.tv_nsec);
    return info;
}

QString CanonicalPath(const QString &path)
{
    const QByteArray bytes = EncodeName(path);
    if (path.isEmpty() || bytes.contains('\0'))
        return QString();
    char resolved[PATH_MAX];
    return ::realpath(bytes.constData(), resolved) ? DecodeName(resolved) : QString();
}

QString AbsolutePath(const QString &path)
{
    if (path.startsWith(u'/'))
        return QDir::cleanPath(path);
    char cwd[PATH_MAX];
    const QString base = ::getcwd(cwd, sizeof cwd) ? DecodeName(cwd) : QDir::currentPath();
    return QDir::cleanPath(base + u'/' + path);
}

QString FolderOf(const QString &path)
{
    const QString absolute = AbsolutePath(path);
    const qsizetype slash = absolute.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : absolute.left(slash);
}

QString NameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

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
    const PathInfo info = StatPath(path);
    return info.isFile && !NameOf(path).startsWith(u'.');
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

QStringList ArgumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << DecodeName(argv[i]);
    return arguments;
}

bool StartDetached(const QString &program, const QStringList &arguments)
{
    std::vector<QByteArray> bytes{EncodeName(program)};
    for (const QString &argument : arguments)
        bytes.push_back(EncodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    // The program is not waited for: it outlives this one, which ends right after.
    pid_t pid = 0;
    return !bytes.front().isEmpty() &&
           ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
}
