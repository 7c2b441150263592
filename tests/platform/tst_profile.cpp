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

// Rows on section "Config", key "TextEditor" unless told otherwise.
void ReadRow(const char *name, const QByteArray &bytes, const QString &value, int maxBytes = 254,
             const QString &section = "Config", const QString &key = "TextEditor")
{
    QTest::newRow(name) << bytes << section << key << maxBytes << value;
}
void WriteRow(const char *name, const QByteArray &before, const QString &value, const QByteArray &after,
              const QString &section = "Config", const QString &key = "TextEditor")
{
    QTest::newRow(name) << before << section << key << value << after;
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
    void files();
};

void TestProfile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QString>("value");
    const QString comfig("Comfig"), count("ATTACH MAX COUNT"), dir("Init Dir");

    ReadRow("plain", "[Config]\r\nTextEditor=vi\r\n", "vi");
    ReadRow("case of section and key", "[CONFIG]\r\ntexteditor=vi", "vi", 254, "config", "TEXTEDITOR");
    ReadRow("blanks in key, around key and value", "[Comfig]\r\n  ATTACH MAX COUNT \t=  12 \t\r\n", "12",
            254, comfig, count);
    ReadRow("blanks inside a key count", "[Comfig]\r\nATTACH  MAX COUNT=12\r\n", "", 254, comfig, count);
    ReadRow("blanks inside the brackets", "[ Comfig ]\r\nATTACH MAX COUNT=12", "12", 254, comfig, count);
    ReadRow("key in the wrong section", "[Config]\r\nATTACH MAX COUNT=12\r\n[Comfig]\r\n", "", 254, comfig,
            count);
    ReadRow("key before the first section is nobody's", "TextEditor=a\r\n[Config]\r\nTextEditor=b\r\n", "b");
    ReadRow("first of duplicate keys", "[Config]\r\nTextEditor=a\r\nTEXTEDITOR=b\r\n", "a");
    ReadRow("first of duplicate sections", "[Config]\r\nA=1\r\n[config]\r\nTextEditor=b\r\n", "");
    ReadRow("comment line", "[Config]\r\n;TextEditor=vi\r\n", "");
    ReadRow("empty value", "[Config]\r\nTextEditor=\r\n", "");
    ReadRow("equals sign in the value", "[Config]\r\nInit Dir=/a=b/\r\n", "/a=b/", 254, "Config", dir);
    ReadRow("quotes around the value", "[Config]\r\nTextEditor=\"/opt/my editor\"\r\n", "/opt/my editor");
    ReadRow("unmatched quote stays", "[Config]\r\nTextEditor=\"vi\r\n", "\"vi");
    ReadRow("binary lines around",
            QByteArray(1, '\0') + "\xff\xfe\r\n[Config]\r\n\x81\x01\x02\r\nTextEditor=vi\x01\r\n", "vi\x01");
    ReadRow("trail byte 0x5C at the end of a value", "[Config]\r\nInit Dir=/data/\x83\x5c\r\n", "/data/ソ",
            254, "Config", dir);
    // 0x835D is a character whose trail byte is "]".
    ReadRow("trail byte ] in a section name", "[\x83\x5d]\r\nk=v\r\n", "v", 254, "ゾ", "k");
    ReadRow("cut to the byte limit", "[Config]\r\nTextEditor=" + QByteArray(300, 'x'), QString(254, u'x'));
    ReadRow("cut never splits a character", "[Config]\r\nTextEditor=x" + QByteArray("\x83\x5c").repeated(200),
            "x" + QStringLiteral("ソ").repeated(126));
    ReadRow("no room at all", "[Config]\r\nTextEditor=vi", "", 0);
    ReadRow("very long junk line", QByteArray(1 << 20, '[') + "\r\n[Config]\r\nTextEditor=vi", "vi");
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
    const QString comfig("Comfig"), count("ATTACH MAX COUNT"), dir("Init Dir");

    WriteRow("empty file", "", "xdg-open", "[Config]\r\nTextEditor=xdg-open\r\n");
    WriteRow("in place, comments and other lines kept",
             "; settings\r\n[Config]\r\n; the editor\r\n  TextEditor = vi \r\nInit Dir=/tmp/\r\n", "nano",
             "; settings\r\n[Config]\r\n; the editor\r\nTextEditor=nano\r\nInit Dir=/tmp/\r\n");
    WriteRow("key keeps its spelling", "[config]\r\ntexteditor=vi\r\n", "ed", "[config]\r\ntexteditor=ed\r\n");
    WriteRow("added at the end of its section, before blank lines", "[Config]\r\nA=1\r\n\r\n[Comfig]\r\nB=2\r\n",
             "vi", "[Config]\r\nA=1\r\nTextEditor=vi\r\n\r\n[Comfig]\r\nB=2\r\n");
    WriteRow("added to an empty last section", "[Comfig]\r\n", "10", "[Comfig]\r\nATTACH MAX COUNT=10\r\n",
             comfig, count);
    WriteRow("new section at the end", "[Config]\r\nA=1", "10",
             "[Config]\r\nA=1\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n", comfig, count);
    WriteRow("same key in another section untouched", "[Config]\r\nATTACH MAX COUNT=5\r\n", "10",
             "[Config]\r\nATTACH MAX COUNT=5\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n", comfig, count);
    WriteRow("only the first duplicate changes", "[Config]\r\nTextEditor=a\r\nTextEditor=b\r\n", "c",
             "[Config]\r\nTextEditor=c\r\nTextEditor=b\r\n");
    WriteRow("LF file written with CR LF", "[Config]\nTextEditor=vi\n", "ed", "[Config]\r\nTextEditor=ed\r\n");
    WriteRow("binary lines kept byte for byte", QByteArray(1, '\0') + "\xff\x81\r\n[Config]\r\nA=\x80\r\n", "vi",
             QByteArray(1, '\0') + "\xff\x81\r\n[Config]\r\nA=\x80\r\nTextEditor=vi\r\n");
    WriteRow("japanese value", "", "/home/ソフト/", "[Config]\r\nInit Dir=/home/\x83\x5c\x83\x74\x83\x67/\r\n",
             "Config", dir);
    WriteRow("long value written whole", "", QString(1000, u'd'),
             "[Config]\r\nInit Dir=" + QByteArray(1000, 'd') + "\r\n", "Config", dir);
    WriteRow("empty value", "[Config]\r\nInit File=a.mtl\r\n", "", "[Config]\r\nInit File=\r\n", "Config",
             "Init File");
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
    QVERIFY(ProfileWrite(path, "Config", "A", "1"));
    QVERIFY(!ProfileWrite(path, section, key, value));
    QCOMPARE(ReadAll(path), QByteArray("[Config]\r\nA=1\r\n"));
}

void TestProfile::files()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmark.ini"));
    QCOMPARE(ProfileRead(path, "Config", "TextEditor"), QString());
    QVERIFY(!QFile::exists(path));  // reading creates nothing

    QVERIFY(ProfileWrite(path, "Config", "TextEditor", "vi"));
    QVERIFY(ProfileWrite(path, "Comfig", "ATTACH MAX COUNT", "10"));
    QVERIFY(ProfileWrite(path, "config", "TEXTEDITOR", "ed"));
    QCOMPARE(ReadAll(path), QByteArray("[Config]\r\nTextEditor=ed\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n"));
    QCOMPARE(ProfileRead(path, "COMFIG", "attach max count"), QStringLiteral("10"));

    // Read back cut to 254 bytes unless told otherwise, never inside a character.
    const QString value = QString(253, u'a') + QStringLiteral("ソx");
    QVERIFY(ProfileWrite(path, "Config", "Init Dir", value));
    QCOMPARE(ProfileRead(path, "Config", "Init Dir"), QString(253, u'a'));
    QCOMPARE(ProfileRead(path, "Config", "Init Dir", 1000), value);

    // A folder that does not exist is no place for the file.
    QVERIFY(!ProfileWrite(dir.filePath(QStringLiteral("no/such/Quillmark.ini")), "Config", "A", "1"));
    // A folder in the file's place is neither read nor touched.
    const QString folder = dir.filePath(QStringLiteral("Folder.ini"));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Folder.ini/inside")));
    QCOMPARE(ProfileRead(folder, "Config", "TextEditor"), QString());
    QVERIFY(!ProfileWrite(folder, "Config", "TextEditor", "vi"));
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/inside")));
}

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
