// Replacing a file: every operation failing once, failing from then on, or
// the process killed there leaves the complete old or new bytes under the
// name; links, hard links and modes are kept; nothing is written through a
// link planted at the backup name.
#include "FaultyFiles.h"
#include "platform/SafeReplace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <sys/wait.h>

namespace {

const QByteArray kOld = "NAME = OLD\r\n", kNew = "NAME = NEW\r\nSTROKE(X) = 1.\r\n";

QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A folder "data" with the file to save, beside a folder "outside" that a
// save must leave alone (or, for a linked file, whose target it must write).
struct Scene {
    QTemporaryDir root;
    QString kind;
    QString Data() const { return root.filePath("data"); }
    QString Name() const { return root.filePath("data/m.mtl"); }
    QString Outside() const { return root.filePath("outside"); }
    // Where the bytes of the name live.
    QString Content() const { return kind == "symlink" ? root.filePath("outside/real.mtl") : Name(); }

    explicit Scene(const QString &k) : kind(k)
    {
        QDir(root.path()).mkpath("data");
        QDir(root.path()).mkpath("outside");
        Write(root.filePath("outside/keep"), "KEEP");
        if (kind == "plain" || kind == "hardlinked" || kind == "symlink")
            Write(Content(), kOld);
        if (kind == "plain")
            Write(Name() + "bak", "STALE");
        if (kind == "hardlinked")
            ::link(qPrintable(Name()), qPrintable(Data() + "/other.mtl"));
        if (kind == "symlink")
            QFile::link(Content(), Name());
    }
    ReplaceOutcome Save(FileLayer &fs) const { return ReplaceFile(fs, Name(), kNew, true); }
};

}  // namespace

class TstSafeReplace : public QObject {
    Q_OBJECT
private slots:
    void everyOperation_data();
    void everyOperation();
    void links_data();
    void links();
};

void TstSafeReplace::everyOperation_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("file with a stale backup") << "plain";
    QTest::newRow("file with two hard links") << "hardlinked";
    QTest::newRow("symbolic link to a file elsewhere") << "symlink";
    QTest::newRow("new file") << "new";
}

void TstSafeReplace::everyOperation()
{
    QFETCH(QString, kind);
    int operations = 0;
    {
        Scene scene(kind);
        FaultyFiles counting;
        QVERIFY(scene.Save(counting).Ok());
        operations = counting.Operations();
        QCOMPARE(Read(scene.Content()), kNew);
    }
    QVERIFY(operations >= 4);
    const QByteArray before = kind == "new" ? QByteArray("<missing>") : kOld;
    using Mode = FaultyFiles::Mode;
    for (Mode mode : {Mode::Once, Mode::FromThenOn, Mode::Kill}) {
        for (int at = 1; at <= operations; ++at) {
            const QString where = QString("mode %1, operation %2").arg(int(mode)).arg(at);
            Scene scene(kind);
            FaultyFiles faulty(at, mode);
            ReplaceOutcome outcome;
            if (mode == Mode::Kill) {
                const pid_t child = ::fork();
                if (child == 0) {
                    scene.Save(faulty);
                    ::_exit(1);
                }
                int status = 0;
                QVERIFY(::waitpid(child, &status, 0) == child);
                QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, qPrintable(where));
            } else {
                outcome = scene.Save(faulty);
            }
            const QByteArray now = Read(scene.Content());
            // Writing into a shared file in place is the one moment the name
            // may hold neither: the complete backup copy is there then.
            const bool whole = now == before || now == kNew ||
                               (kind == "hardlinked" && Read(scene.Name() + "bak") == kOld);
            QVERIFY2(whole, qPrintable(where + ": " + now));
            if (kind != "symlink")
                QVERIFY2(Entries(scene.Outside()).size() == 1, qPrintable(where));
            QCOMPARE(Read(scene.Outside() + "/keep"), QByteArray("KEEP"));
            if (mode == Mode::Kill)
                continue;
            if (outcome.Ok()) {
                QVERIFY2(now == kNew, qPrintable(where));
            } else if (outcome.backupLeft.isEmpty()) {
                // A new file whose folder could not be synced is complete, not saved for sure.
                QVERIFY2(now == before || (kind == "new" && now == kNew), qPrintable(where));
                QVERIFY(!outcome.reason.isEmpty());
            } else {
                QVERIFY2(Read(outcome.backupLeft) == kOld, qPrintable(where));
            }
            // A save that went through leaves the name alone, or names what it left.
            if (outcome.Ok() && outcome.backupLeft.isEmpty() && mode == Mode::Once)
                QVERIFY2(Entries(scene.Data()).size() == (kind == "hardlinked" ? 2 : 1),
                         qPrintable(where + ": " + Entries(scene.Data()).join(',')));
        }
    }
}

void TstSafeReplace::links_data()
{
    QTest::addColumn<QString>("setup");
    QTest::newRow("dangling link planted at the backup name") << "dangling";
    QTest::newRow("link to a file planted at the backup name") << "planted";
    QTest::newRow("linked file stays a link") << "symlink";
    QTest::newRow("hard links all see the new bytes") << "hardlinked";
    QTest::newRow("mode 640 kept") << "mode";
    QTest::newRow("folder at the backup name") << "bakfolder";
    QTest::newRow("folder missing") << "nofolder";
    QTest::newRow("link to a missing file") << "danglingfile";
}

void TstSafeReplace::links()
{
    QFETCH(QString, setup);
    Scene scene(setup == "symlink" || setup == "hardlinked" ? setup : QString("plain"));
    QString name = scene.Name();
    const QString victim = scene.Outside() + "/victim";
    if (setup == "dangling" || setup == "planted") {
        QFile::remove(name + "bak");
        if (setup == "planted")
            Write(victim, "VICTIM");
        QVERIFY(QFile::link(victim, name + "bak"));
    } else if (setup == "mode") {
        QVERIFY(QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup));
    } else if (setup == "bakfolder") {
        QFile::remove(name + "bak");
        QVERIFY(QDir().mkdir(name + "bak"));
    } else if (setup == "nofolder") {
        name = scene.root.filePath("none/m.mtl");
    } else if (setup == "danglingfile") {
        QFile::remove(name);
        QVERIFY(QFile::link(victim, name));
    }

    PosixFileLayer fs;
    const ReplaceOutcome outcome = ReplaceFile(fs, name, kNew, true);
    const bool refused = setup == "bakfolder" || setup == "nofolder" || setup == "danglingfile";
    QCOMPARE(outcome.Ok(), !refused);
    QCOMPARE(outcome.status == ReplaceOutcome::FolderMissing, setup == "nofolder");
    QCOMPARE(Read(victim), QByteArray(setup == "planted" ? "VICTIM" : "<missing>"));
    QCOMPARE(Read(scene.Content()), setup == "danglingfile" ? "<missing>" : refused ? kOld : kNew);
    if (refused)
        return;
    QVERIFY(!QFileInfo::exists(name + "bak") && !QFileInfo(name + "bak").isSymLink());
    QCOMPARE(QFileInfo(name).isSymLink(), setup == "symlink");
    if (setup == "hardlinked")
        QCOMPARE(Read(scene.Data() + "/other.mtl"), kNew);
    if (setup == "mode")
        QCOMPARE(QFile::permissions(name) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
}

QTEST_GUILESS_MAIN(TstSafeReplace)
#include "tst_safereplace.moc"
