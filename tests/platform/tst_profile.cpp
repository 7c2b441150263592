#include "platform/Profile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
}  // namespace

class TestProfile : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void write_data();
    void write();
    void refusedWrites_data();
    void refusedWrites();
    void fileIsCreatedAndKept();
    void directoryInsteadOfFile();
    void longValueIsCutWhenRead();
};

void TestProfile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QString>("value");

    const QString config = QStringLiteral("Config");
    const QString editor = QStringLiteral("TextEditor");
    const QString count = QStringLiteral("ATTACH MAX COUNT");
    const QString comfig = QStringLiteral("Comfig");

    QTest::newRow("plain") << QByteArray("[Config]\r\nTextEditor=vi\r\n") << config << editor
                           << 254 << QStringLiteral("vi");
    QTest::newRow("case of section and key")
        << QByteArray("[CONFIG]\r\ntexteditor=vi") << QStringLiteral("config")
        << QStringLiteral("TEXTEDITOR") << 254 << QStringLiteral("vi");
    QTest::newRow("blanks in key, around key and value")
        << QByteArray("[Comfig]\r\n  ATTACH MAX COUNT \t=  12 \t\r\n") << comfig << count << 254
        << QStringLiteral("12");
    QTest::newRow("blanks inside a key count")
        << QByteArray("[Comfig]\r\nATTACH  MAX COUNT=12\r\n") << comfig << count << 254
        << QString();
    QTest::newRow("blanks inside the brackets")
        << QByteArray("[ Comfig ]\r\nATTACH MAX COUNT=12") << comfig << count << 254
        << QStringLiteral("12");
    QTest::newRow("key in the wrong section")
        << QByteArray("[Config]\r\nATTACH MAX COUNT=12\r\n[Comfig]\r\n") << comfig << count
        << 254 << QString();
    QTest::newRow("no sections at all") << QByteArray("ATTACH MAX COUNT=12\r\n") << comfig
                                        << count << 254 << QString();
    QTest::newRow("key before the first section is nobody's")
        << QByteArray("TextEditor=a\r\n[Config]\r\nTextEditor=b\r\n") << config << editor << 254
        << QStringLiteral("b");
    QTest::newRow("first of duplicate keys")
        << QByteArray("[Config]\r\nTextEditor=a\r\nTEXTEDITOR=b\r\n") << config << editor << 254
        << QStringLiteral("a");
    QTest::newRow("first of duplicate sections")
        << QByteArray("[Config]\r\nA=1\r\n[config]\r\nTextEditor=b\r\n") << config << editor
        << 254 << QString();
    QTest::newRow("comment line") << QByteArray("[Config]\r\n;TextEditor=vi\r\n") << config
                                  << editor << 254 << QString();
    QTest::newRow("empty value") << QByteArray("[Config]\r\nTextEditor=\r\n") << config << editor
                                 << 254 << QString();
    QTest::newRow("equals sign in the value")
        << QByteArray("[Config]\r\nInit Dir=/a=b/\r\n") << config << QStringLiteral("Init Dir")
        << 254 << QStringLiteral("/a=b/");
    QTest::newRow("quotes around the value")
        << QByteArray("[Config]\r\nTextEditor=\"/opt/my editor\"\r\n") << config << editor << 254
        << QStringLiteral("/opt/my editor");
    QTest::newRow("unmatched quote stays")
        << QByteArray("[Config]\r\nTextEditor=\"vi\r\n") << config << editor << 254
        << QStringLiteral("\"vi");
    QTest::newRow("LF line ends") << QByteArray("[Config]\nA=1\nTextEditor=vi\n") << config
                                  << editor << 254 << QStringLiteral("vi");
    QTest::newRow("CR line ends") << QByteArray("[Config]\rTextEditor=vi\r") << config << editor
                                  << 254 << QStringLiteral("vi");
    QTest::newRow("binary lines around")
        << (QByteArray(1, '\0') + "\xff\xfe\r\n[Config]\r\n\x81\x01\x02\r\nTextEditor=vi\x01\r\n")
        << config << editor << 254 << QStringLiteral("vi\x01");
    QTest::newRow("trail byte 0x5C at the end of a value")
        << QByteArray("[Config]\r\nInit Dir=/data/\x83\x5c\r\n") << config
        << QStringLiteral("Init Dir") << 254 << QStringLiteral("/data/ソ");
    // 0x835D is a character whose trail byte is "]".
    QTest::newRow("trail byte ] in a section name")
        << QByteArray("[\x83\x5d]\r\nk=v\r\n") << QStringLiteral("ゾ") << QStringLiteral("k")
        << 254 << QStringLiteral("v");
    QTest::newRow("cut to the byte limit")
        << (QByteArray("[Config]\r\nTextEditor=") + QByteArray(300, 'x')) << config << editor
        << 254 << QString(254, u'x');
    QTest::newRow("cut never splits a character")
        << (QByteArray("[Config]\r\nTextEditor=x") + QByteArray("\x83\x5c").repeated(200))
        << config << editor << 254 << QStringLiteral("x") + QStringLiteral("ソ").repeated(126);
    QTest::newRow("no room at all") << QByteArray("[Config]\r\nTextEditor=vi") << config << editor
                                    << 0 << QString();
    QTest::newRow("very long junk line")
        << (QByteArray(1 << 20, '[') + "\r\n[Config]\r\nTextEditor=vi") << config << editor << 254
        << QStringLiteral("vi");
}

void TestProfile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, maxBytes);
    QFETCH(QString, value);
    QCOMPARE(ProfileReadBytes(bytes, section, key, maxBytes), value);
}

void TestProfile::write_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    const QString config = QStringLiteral("Config");
    const QString editor = QStringLiteral("TextEditor");
    const QString comfig = QStringLiteral("Comfig");
    const QString count = QStringLiteral("ATTACH MAX COUNT");

    QTest::newRow("empty file") << QByteArray() << config << editor << QStringLiteral("xdg-open")
                                << QByteArray("[Config]\r\nTextEditor=xdg-open\r\n");
    QTest::newRow("in place, comments and other lines kept")
        << QByteArray("; settings\r\n[Config]\r\n; the editor\r\n  TextEditor = vi \r\nInit "
                      "Dir=/tmp/\r\n")
        << config << editor << QStringLiteral("nano")
        << QByteArray("; settings\r\n[Config]\r\n; the editor\r\nTextEditor=nano\r\nInit "
                      "Dir=/tmp/\r\n");
    QTest::newRow("key keeps its spelling")
        << QByteArray("[config]\r\ntexteditor=vi\r\n") << config << editor << QStringLiteral("ed")
        << QByteArray("[config]\r\ntexteditor=ed\r\n");
    QTest::newRow("added at the end of its section, before blank lines")
        << QByteArray("[Config]\r\nA=1\r\n\r\n[Comfig]\r\nB=2\r\n") << config << editor
        << QStringLiteral("vi")
        << QByteArray("[Config]\r\nA=1\r\nTextEditor=vi\r\n\r\n[Comfig]\r\nB=2\r\n");
    QTest::newRow("added to an empty last section")
        << QByteArray("[Comfig]\r\n") << comfig << count << QStringLiteral("10")
        << QByteArray("[Comfig]\r\nATTACH MAX COUNT=10\r\n");
    QTest::newRow("new section at the end")
        << QByteArray("[Config]\r\nA=1") << comfig << count << QStringLiteral("10")
        << QByteArray("[Config]\r\nA=1\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n");
    QTest::newRow("same key in another section untouched")
        << QByteArray("[Config]\r\nATTACH MAX COUNT=5\r\n") << comfig << count
        << QStringLiteral("10")
        << QByteArray("[Config]\r\nATTACH MAX COUNT=5\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n");
    QTest::newRow("only the first duplicate changes")
        << QByteArray("[Config]\r\nTextEditor=a\r\nTextEditor=b\r\n") << config << editor
        << QStringLiteral("c") << QByteArray("[Config]\r\nTextEditor=c\r\nTextEditor=b\r\n");
    QTest::newRow("LF file written with CR LF")
        << QByteArray("[Config]\nTextEditor=vi\n") << config << editor << QStringLiteral("ed")
        << QByteArray("[Config]\r\nTextEditor=ed\r\n");
    QTest::newRow("binary lines kept byte for byte")
        << (QByteArray(1, '\0') + "\xff\x81\r\n[Config]\r\nA=\x80\r\n") << config << editor
        << QStringLiteral("vi")
        << (QByteArray(1, '\0') + "\xff\x81\r\n[Config]\r\nA=\x80\r\nTextEditor=vi\r\n");
    QTest::newRow("japanese value") << QByteArray() << config << QStringLiteral("Init Dir")
                                    << QStringLiteral("/home/ソフト/")
                                    << QByteArray("[Config]\r\nInit Dir=/home/\x83\x5c\x83\x74\x83"
                                                  "\x67/\r\n");
    QTest::newRow("long value written whole")
        << QByteArray() << config << QStringLiteral("Init Dir") << QString(1000, u'd')
        << QByteArray("[Config]\r\nInit Dir=") + QByteArray(1000, 'd') + "\r\n";
    QTest::newRow("empty value") << QByteArray("[Config]\r\nInit File=a.mtl\r\n") << config
                                 << QStringLiteral("Init File") << QString()
                                 << QByteArray("[Config]\r\nInit File=\r\n");
}

void TestProfile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    const std::optional<QByteArray> written = ProfileWriteBytes(before, section, key, value);
    QVERIFY(written.has_value());
    QCOMPARE(*written, after);
    QCOMPARE(ProfileReadBytes(*written, section, key, 100000), value);
}

void TestProfile::refusedWrites_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("value outside the code page") << "Config" << "TextEditor" << "a€";
    QTest::newRow("line break in the value") << "Config" << "Init Dir" << "/a\n[Comfig]";
    QTest::newRow("carriage return in the value") << "Config" << "Init Dir" << "/a\rb";
    QTest::newRow("equals sign in the key") << "Config" << "a=b" << "1";
    QTest::newRow("empty key") << "Config" << " " << "1";
    QTest::newRow("empty section") << "" << "k" << "1";
    QTest::newRow("bracket in the section") << "a]b" << "k" << "1";
    QTest::newRow("key that reads as a comment") << "Config" << ";k" << "1";
}

void TestProfile::refusedWrites()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QVERIFY(!ProfileWriteBytes(QByteArray("[Config]\r\nA=1\r\n"), section, key, value));

    // And the file stays as it was.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmark.ini"));
    QVERIFY(ProfileWrite(path, QStringLiteral("Config"), QStringLiteral("A"), QStringLiteral("1")));
    QVERIFY(!ProfileWrite(path, section, key, value));
    QCOMPARE(ReadAll(path), QByteArray("[Config]\r\nA=1\r\n"));
}

void TestProfile::fileIsCreatedAndKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmark.ini"));
    QCOMPARE(ProfileRead(path, QStringLiteral("Config"), QStringLiteral("TextEditor")), QString());
    QVERIFY(!QFile::exists(path));

    QVERIFY(ProfileWrite(path, QStringLiteral("Config"), QStringLiteral("TextEditor"),
                         QStringLiteral("vi")));
    QVERIFY(ProfileWrite(path, QStringLiteral("Comfig"), QStringLiteral("ATTACH MAX COUNT"),
                         QStringLiteral("10")));
    QVERIFY(ProfileWrite(path, QStringLiteral("config"), QStringLiteral("TEXTEDITOR"),
                         QStringLiteral("ed")));
    QCOMPARE(ReadAll(path),
             QByteArray("[Config]\r\nTextEditor=ed\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n"));
    QCOMPARE(ProfileRead(path, QStringLiteral("COMFIG"), QStringLiteral("attach max count")),
             QStringLiteral("10"));

    // A folder that does not exist is no place for the file.
    QVERIFY(!ProfileWrite(dir.filePath(QStringLiteral("no/such/Quillmark.ini")),
                          QStringLiteral("Config"), QStringLiteral("A"), QStringLiteral("1")));
}

void TestProfile::directoryInsteadOfFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmark.ini"));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Quillmark.ini/inside")));
    QCOMPARE(ProfileRead(path, QStringLiteral("Config"), QStringLiteral("TextEditor")), QString());
    QVERIFY(!ProfileWrite(path, QStringLiteral("Config"), QStringLiteral("TextEditor"),
                          QStringLiteral("vi")));
    QVERIFY(QFileInfo(path).isDir());
    QVERIFY(QFileInfo::exists(path + QStringLiteral("/inside")));
}

void TestProfile::longValueIsCutWhenRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmark.ini"));
    const QString value = QString(253, u'a') + QStringLiteral("ソx");
    QVERIFY(ProfileWrite(path, QStringLiteral("Config"), QStringLiteral("Init Dir"), value));
    // 253 bytes, then a two-byte character that would end past byte 254.
    QCOMPARE(ProfileRead(path, QStringLiteral("Config"), QStringLiteral("Init Dir")),
             QString(253, u'a'));
    QCOMPARE(ProfileRead(path, QStringLiteral("Config"), QStringLiteral("Init Dir"), 1000), value);
}

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
