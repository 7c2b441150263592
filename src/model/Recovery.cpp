#include "Recovery.h"

#include "MtlFile.h"
#include "platform/FileSystem.h"
#include "platform/SafeReplace.h"
#include "platform/TextFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
const QByteArray kMagic = QByteArrayLiteral("QUILLMARK RECOVERY 1");
const QByteArray kBase = QByteArrayLiteral("base ");
// Room for the header lines beyond the largest file.
constexpr qint64 kHeaderBytes = 64 * 1024;

// A file's path with every link resolved, also for a file not there yet.
QString Canonical(const QString &name)
{
    const QString file = CanonicalPath(name);
    if (!file.isEmpty())
        return file;
    const QString dir = CanonicalPath(FolderOf(name));
    return dir.isEmpty() ? AbsolutePath(name) : QDir::cleanPath(dir + u'/' + NameOf(name));
}
}  // namespace

RecoveryStore::RecoveryStore(FileLayer &files, const QString &folder)
    : files_(files), folder_(folder)
{
}

RecoveryStore::~RecoveryStore()
{
    Release();
}

QString RecoveryStore::PathFor(const QString &name) const
{
    // One copy per file, whatever its name holds: a hash of the whole path.
    const QByteArray key =
        QCryptographicHash::hash(EncodeName(Canonical(name)), QCryptographicHash::Sha256)
            .toHex()
            .left(32);
    return QDir(folder_).filePath(QString::fromLatin1(key) + QStringLiteral(".recover"));
}

void RecoveryStore::Release()
{
    if (lockFd_ >= 0)
        ::close(lockFd_);  // gives the lock back
    lockFd_ = -1;
    claim_ = Claim::Off;
    name_.clear();
    path_.clear();
    pending_.clear();
}

int RecoveryStore::Lock(const QString &path)
{
    const int fd = ::open(EncodeName(path + QStringLiteral(".lock")).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        claim_ = Claim::Off;
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        claim_ = errno == EWOULDBLOCK ? Claim::Elsewhere : Claim::Off;
        ::close(fd);
        return -1;
    }
    return fd;
}

RecoveryStore::Claim RecoveryStore::ClaimFile(const QString &name)
{
    Release();
    if (folder_.isEmpty() || name.isEmpty())
        return claim_;
    // The copies hold the user's data: the folder is the user's alone.
    const QFileInfo folder(folder_);
    if (!folder.isDir() &&
        !(QDir().mkpath(folder.absolutePath()) &&
          (QDir().mkdir(folder.absoluteFilePath(),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
           QFileInfo(folder_).isDir())))
        return claim_;
    const QString path = PathFor(name);
    const int fd = Lock(path);
    if (fd < 0) {
        if (claim_ == Claim::Elsewhere)
            pending_ = name;
        return claim_;
    }
    lockFd_ = fd;
    name_ = Canonical(name);
    path_ = path;
    claim_ = Claim::Mine;
    return claim_;
}

RecoveryStore::Claim RecoveryStore::ClaimAgain()
{
    if (claim_ != Claim::Elsewhere)
        return claim_;
    const QString name = pending_;
    const QString path = PathFor(name);
    const int fd = Lock(path);
    if (fd < 0)
        return claim_;
    if (StatPath(path, false).exists) {
        // The other program died with edits: they are offered at the next
        // opening, not written over.
        ::close(fd);
        claim_ = Claim::Elsewhere;
        return claim_;
    }
    lockFd_ = fd;
    name_ = Canonical(name);
    path_ = path;
    pending_.clear();
    claim_ = Claim::Mine;
    return claim_;
}

QString RecoveryStore::CopyPath() const
{
    return claim_ == Claim::Mine && StatPath(path_, false).exists ? path_ : QString();
}

RecoveryStore::Found RecoveryStore::Find() const
{
    Found found;
    if (claim_ != Claim::Mine || !StatPath(path_, false).exists)
        return found;
    found.path = path_;
    found.status = Found::Unusable;
    QByteArray data;
    switch (ReadFileBytes(path_, kMaxMtlFileBytes + kHeaderBytes, data, &found.reason)) {
    case ReadResult::Ok: break;
    case ReadResult::TooLarge: found.reason = QStringLiteral("> 16 MiB"); return found;
    default: return found;
    }
    // The mark, the file's path, the time, the base (older copies have none),
    // an empty line; then the bytes.
    qsizetype at = 0;
    QList<QByteArray> header;
    while (header.size() < 5 && (header.size() < 4 || !header.last().isEmpty())) {
        const qsizetype end = data.indexOf('\n', at);
        if (end < 0)
            return found;
        header << data.mid(at, end - at);
        at = end + 1;
    }
    found.fileName = DecodeName(header[1]);
    found.time = QDateTime::fromString(QString::fromLatin1(header[2]), Qt::ISODate);
    if (header.size() == 5) {
        if (!header[3].startsWith(kBase))
            return found;
        found.base = QByteArray::fromHex(header[3].mid(kBase.size()));
    }
    if (header[0] != kMagic || !header.last().isEmpty() || !found.time.isValid() ||
        data.size() - at > kMaxMtlFileBytes)
        return found;
    found.bytes = data.mid(at);
    found.status = Found::Usable;
    return found;
}

bool RecoveryStore::Write(const QByteArray &bytes, const QByteArray &base)
{
    if (claim_ != Claim::Mine)
        return false;
    QByteArray data = kMagic + '\n' + EncodeName(name_) + '\n' +
                      QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1() + '\n' +
                      kBase + base.toHex() + "\n\n";
    data += bytes;
    // A power cut may take the newest copy; a kill never does. No fsync, so
    // that a commit never waits for the disk.
    return ReplaceFile(files_, path_, data, false, false, 0600).Ok();
}

void RecoveryStore::Remove()
{
    if (claim_ == Claim::Mine)
        files_.Unlink(EncodeName(path_));
}

QString RecoveryFolder(bool portable, const QString &settingsFile)
{
    if (portable)
        return QFileInfo(settingsFile).absolutePath();
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative value is to be ignored, as the base directory rules say.
    const QString base =
        QDir::isAbsolutePath(state) ? state : QDir::homePath() + QStringLiteral("/.local/state");
    return QDir(base).filePath(QStringLiteral("quillmark"));
}
