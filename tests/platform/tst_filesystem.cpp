#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestFileSystem : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void fileExists_data();
    void fileExists();
    void getFileDir_data();
    void getFileDir();
    void appPathEndsWithSeparator();

private:
    QTemporaryDir dir_;
};

void TestFileSystem::initTestCase()
{
    QVERIFY(dir_.isValid());
    QDir d(dir_.path());
    for (const char *name : {"a.mtl", ".hidden.mtl", "two words.MTL"})
        QVERIFY(QFile(d.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly));
    QVERIFY(d.mkdir(QStringLiteral("folder.mtl")));
    QVERIFY(QFile::link(d.filePath(QStringLiteral("a.mtl")), d.filePath(QStringLiteral("link.mtl"))));
    QVERIFY(QFile::link(d.filePath(QStringLiteral("gone.mtl")), d.filePath(QStringLiteral("broken.mtl"))));
}

void TestFileSystem::fileExists_data()
{
    // Names are taken inside the test folder; "" stays empty.
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");

    QTest::newRow("empty") << QString() << false;
    QTest::newRow("normal file") << "a.mtl" << true;
    QTest::newRow("name with a blank") << "two words.MTL" << true;
    QTest::newRow("missing") << "b.mtl" << false;
    QTest::newRow("directory") << "folder.mtl" << false;
    QTest::newRow("directory with separator") << "folder.mtl/" << false;
    QTest::newRow("hidden file") << ".hidden.mtl" << false;
    QTest::newRow("link to a file") << "link.mtl" << true;
    QTest::newRow("broken link") << "broken.mtl" << false;
    QTest::newRow("wildcard") << "*.mtl" << false;
    QTest::newRow("NUL inside") << QString::fromUtf16(u"a.mtl\0x", 7) << false;
}

void TestFileSystem::fileExists()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    const QString path = name.isEmpty() ? QString() : dir_.path() + u'/' + name;
    QCOMPARE(FileExists(path), exists);
}

void TestFileSystem::getFileDir_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("dir");

    QTest::newRow("full path") << "/data/m/a.mtl" << "/data/m/";
    QTest::newRow("bare name") << "a.mtl" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("root") << "/a.mtl" << "/";
    QTest::newRow("ends in separator") << "/data/m/" << "/data/m/";
    QTest::newRow("japanese") << "/データ/ソフト.mtl" << "/データ/";
#ifdef Q_OS_WIN
    QTest::newRow("backslashes") << "C:\\a\\b.mtl" << "C:\\a\\";
#else
    QTest::newRow("backslash is a name character") << "/d/a\\b.mtl" << "/d/";
#endif
}

void TestFileSystem::getFileDir()
{
    QFETCH(QString, path);
    QFETCH(QString, dir);
    QCOMPARE(GetFileDir(path), dir);
}

void TestFileSystem::appPathEndsWithSeparator()
{
    const QString path = AppPath();
    QVERIFY(path.endsWith(u'/'));
    QCOMPARE(QDir(path).canonicalPath(),
             QDir(QCoreApplication::applicationDirPath()).canonicalPath());
}

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
