// Watching the open file: real changes through the file system, found by the watcher's events or by Check().
#include "TestFiles.h"
#include "model/FileWatch.h"
#include "model/MtlFile.h"
#include "platform/SafeReplace.h"

#include <QDir>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

using Change = FileWatch::Change;

namespace {

const QByteArray kLoaded = "NAME = LOADED\r\n", kOther = "NAME = OTHER\r\n";

enum class Act {
    Write,       // in place
    RenameOver,  // a new file renamed over the name, the old one kept as a backup
    Unlink,      // the name removed
    Touch,       // the modification time only
    Save,        // the program's own save
    Reload,      // the program loads the file again
    Relink,      // the symbolic link pointed at another file
    Keep,        // the user's Keep editing
    Empty,       // emptied in place, as a writer does before it writes
};
struct Step {
    Act act;
    bool other;  // writes kOther, else kLoaded
    Change after;
};
using Steps = QList<Step>;

// data/m.mtl is watched; in scene "link" it is a symbolic link to outside/real.mtl, which the steps change; in
// scene "name in bytes" it is named in Shift-JIS bytes, which are no UTF-8.
struct Scene {
    QTemporaryDir root;
    QString path = root.filePath("data/m.mtl"), file = path, relinked = root.filePath("outside/other.mtl");
    explicit Scene(const QString &kind)
    {
        for (const char *folder : {"data", "outside"}) QDir(root.path()).mkdir(folder);
        if (kind == "link") file = root.filePath("outside/real.mtl");
        if (kind == "name in bytes") path = file = root.filePath("data/") + DecodeName("\x93\xfa\x96\x7b.mtl");
        if (kind != "no file") WriteBytes(file, kLoaded);
        if (kind == "link") QFile::link(file, path);
    }
    // Another program's change; Save and Reload are the program's own.
    void Do(const Step &step, FileWatch &watch)
    {
        const QByteArray bytes = step.other ? kOther : kLoaded;
        const timespec touched[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
        PosixFileLayer files;
        switch (step.act) {
        case Act::Write: QVERIFY(WriteBytes(file, bytes)); break;
        case Act::RenameOver:  // as editors save
            QFile::remove(file + "~");
            if (QFile::exists(file)) QCOMPARE(::link(qPrintable(file), qPrintable(file + "~")), 0);
            QVERIFY(WriteBytes(file + ".new", bytes));
            QCOMPARE(std::rename(qPrintable(file + ".new"), qPrintable(file)), 0);
            break;
        case Act::Unlink: QVERIFY(QFile::remove(file)); break;
        case Act::Touch: QCOMPARE(::utimensat(AT_FDCWD, qPrintable(file), touched, 0), 0); break;
        case Act::Save:
            QVERIFY(ReplaceFile(files, path, bytes, true).Ok());
            watch.Saved(ContentHash(bytes));
            break;
        case Act::Reload: watch.Watch(path, ContentHash(bytes)); break;
        case Act::Keep: watch.Acknowledge(); break;
        case Act::Empty: QVERIFY(WriteBytes(file, "")); break;
        case Act::Relink:
            QVERIFY(WriteBytes(relinked, bytes));
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::link(relinked, path));
            break;
        }
    }
};

}  // namespace

Q_DECLARE_METATYPE(Steps)

class TestFileWatch : public QObject {
    Q_OBJECT
private slots:
    // Each step changes the file, then the state told must be its state. Steps that change nothing are looked for
    // with Check(); changes are waited for, through the watcher's events unless they are off.
    void States_data()
    {
        Columns<QString, Steps>("scene", "steps");
        using enum Act;
        const Change none = Change::None, changed = Change::Changed, replaced = Change::Replaced;
        const Change removed = Change::Removed;
        QTest::newRow("written in place, then back") << "plain" << Steps{{Write, true, changed}, {Write, false, none}};
        QTest::newRow("renamed over, then written in place")
            << "plain" << Steps{{RenameOver, true, replaced}, {Write, false, none}};
        QTest::newRow("removed, back by rename, written")
            << "plain" << Steps{{Unlink, false, removed}, {RenameOver, false, none}, {Write, true, replaced}};
        QTest::newRow("touched, same bytes renamed over")
            << "plain" << Steps{{Touch, false, none}, {RenameOver, false, none}, {Unlink, false, removed}};
        QTest::newRow("changed, own save, changed in place")
            << "plain" << Steps{{Write, true, changed}, {Save, false, none}, {Write, true, changed}};
        QTest::newRow("changed, reloaded, changed back")
            << "plain" << Steps{{Write, true, changed}, {Reload, true, none}, {Write, false, changed}};
        QTest::newRow("kept editing: a touch and the same bytes are no news; other bytes, and a removal, are")
            << "plain" << Steps{{Write, true, changed}, {Keep, false, none}, {Touch, false, none},
                                {RenameOver, true, none}, {Empty, false, replaced}, {Write, true, none},
                                {Write, false, none}, {Write, true, replaced},
                                {Keep, false, none}, {Unlink, false, removed}, {Keep, false, none}};
        QTest::newRow("a name that is no UTF-8, as loaded") << "name in bytes" << Steps{};
        QTest::newRow("events off") << "events off" << Steps{{Write, true, changed}};
        QTest::newRow("no file, then one, then none")
            << "no file" << Steps{{RenameOver, false, replaced}, {Unlink, false, none}};
        QTest::newRow("link: target written, removed, back; relinked")
            << "link" << Steps{
                             {Write, true, changed},
                             {Unlink, false, removed},
                             {RenameOver, false, none},
                             {Relink, true, replaced},
                         };
    }
    void States()
    {
        QFETCH(QString, scene);
        QFETCH(Steps, steps);
        Scene s(scene);
        FileWatch watch;
        const bool events = scene != "events off";
        watch.SetEventsEnabled(events);
        QSignalSpy spy(&watch, &FileWatch::StateChanged);
        watch.Watch(s.path, scene == "no file" ? QByteArray() : ContentHash(kLoaded));
        QCOMPARE(watch.Check(), Change::None);  // as it was loaded
        QList<Change> expected;
        Change before = Change::None;
        for (int i = 0; i < steps.size(); ++i) {
            const auto where = qScopeGuard([i] { if (QTest::currentTestFailed()) qWarning("at step %d", i + 1); });
            const Change after = steps[i].after;
            s.Do(steps[i], watch);
            if (QTest::currentTestFailed()) return;  // the file is not as the later steps expect
            if (steps[i].act == Act::Save || steps[i].act == Act::Reload || steps[i].act == Act::Keep) {
                QCOMPARE(watch.State(), after);  // settled by the program's own call, before any event
            } else if (after == before) {
                QCOMPARE(watch.Check(), after);
            } else if (events) {
                QTRY_COMPARE_WITH_TIMEOUT(watch.State(), after, 5000);
            } else {
                QTest::qWait(50);  // room for events that must not come; a slow machine only weakens the row
                QCOMPARE(watch.State(), before);
                QCOMPARE(watch.Check(), after);
            }
            if (after != before) expected << after;
            before = after;
        }
        QList<Change> told;
        for (const QList<QVariant> &signal : spy) told << signal.at(0).value<Change>();
        QCOMPARE(told, expected);
    }
};

QTEST_GUILESS_MAIN(TestFileWatch)
#include "tst_filewatch.moc"
