#include "app/MessageFile.h"
#include "FakeDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Entries = QMap<int, QString>;

namespace {

constexpr int kOk = int(MessageFileResult::Ok);
constexpr int kNoMaxIndex = int(MessageFileResult::NoMaxIndex);
constexpr int kFailed = int(MessageFileResult::Failed);

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class TestMessageFile : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void failedParseLeavesTableAlone();
    void load_data();
    void load();
};

void TestMessageFile::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("maxIndex");
    QTest::addColumn<Entries>("entries");  // every other entry must be empty
    auto ok = [](const char *name, const QByteArray &bytes, int maxIndex, const Entries &entries) {
        QTest::newRow(name) << bytes << kOk << maxIndex << entries;
    };
    auto refused = [](const char *name, const QByteArray &bytes, int result) {
        QTest::newRow(name) << bytes << result << -1 << Entries{};
    };

    ok("only MAX_INDEX and entries", "MAX_INDEX = 61\r\nGSTR(0) = \"Quillmark\"\r\nGSTR(61) = \"last\"\r\n", 61,
       {{0, "Quillmark"}, {61, "last"}});
    ok("quotes",
       "MAX_INDEX = 12\r\nGSTR(5) = \"  word  \"\r\nGSTR(6) = plain text  \r\nGSTR(7) = \"open\r\n"
       "GSTR(8) = \"\r\nGSTR(9) = closed\"\r\nGSTR(10) = \"\"\"\r\nGSTR(11) = \"inner \"quote\" kept\"\r\n"
       "GSTR(12)\r\n",
       12,
       {{5, "  word  "}, {6, "plain text"}, {7, "open"}, {9, "closed"}, {10, "\""}, {11, "inner \"quote\" kept"}});
    ok("# ends every line",
       "# a comment\r\nMAX_INDEX = 5 # five\r\nGSTR(1) = \"a # b\"\r\n# GSTR(2) = \"gone\"\r\n"
       "GSTR(3) = \"#\"\r\n",
       5, {{1, "a"}});
    ok("tabs are not stripped", "MAX_INDEX = 5\r\nGSTR(1) =\tt\t\r\n\tGSTR(2) = u\r\n", 5,
       {{1, "\tt\t"}, {2, "u"}});
    ok("GSTR forms",
       "MAX_INDEX = 20\r\ngstr(7)=x\r\nGSTR 8 = not an entry\r\nMYGSTR(9)=inside a word\r\ntext = GSTR(10)\r\n"
       "GSTR(11 = no close\r\n(12)GSTR = no open after\r\nGSTR(abc) = letters\r\nGSTR() = empty\r\n"
       "GSTR(1e1)x = exponent\r\nGSTR(13)\r\nGSTR)(14) = first open after\r\n",
       20, {{7, "x"}, {9, "inside a word"}, {10, "exponent"}, {14, "first open after"}});
    ok("later entry wins", "MAX_INDEX = 9\r\nGSTR(7)=x\r\nGstr( 7 )=y\r\n", 9, {{7, "y"}});
    ok("index rounds half to even", "MAX_INDEX = 9\r\nGSTR(5.5)=six\r\nGSTR(4.5)=four\r\nGSTR(0.4)=zero\r\n", 9,
       {{6, "six"}, {4, "four"}, {0, "zero"}});
    ok("MAX_INDEX rounds too, entries beyond it ignored",
       "MAX_INDEX = 10.5\r\nGSTR(10)=ten\r\nGSTR(11)=eleven\r\nGSTR(-1)=minus\r\n", 10, {{10, "ten"}});
    ok("entries before MAX_INDEX are lost", "GSTR(1)=early\r\nMAX_INDEX = 5\r\nGSTR(2)=late\r\n", 5,
       {{2, "late"}});
    ok("second MAX_INDEX ignored", "MAX_INDEX = 3\r\nMAX_INDEX = 10\r\nGSTR(3)=a\r\nGSTR(5)=b\r\n", 3,
       {{3, "a"}});
    ok("MAX_INDEX without a number is skipped",
       "MAX_INDEX = many\r\nGSTR(0)=x\r\nmax_index = 2\r\nGSTR(1)=y\r\n", 2, {{1, "y"}});
    ok("MAX_INDEX anywhere in the line", "  the MAX_INDEX of this file = 1\r\nGSTR(1)=y\r\n", 1, {{1, "y"}});
    ok("MAX_INDEX zero", "MAX_INDEX=0\r\nGSTR(0)=only\r\n", 0, {{0, "only"}});
    ok("mixed line ends", "MAX_INDEX=3\rGSTR(1)=a\nGSTR(2)=b\r\nGSTR(3)=c", 3, {{1, "a"}, {2, "b"}, {3, "c"}});
    ok("windows-31j texts",
       "MAX_INDEX=5\r\nGSTR(4)=\"\x95\xdb\x91\xb6\"\r\nGSTR(5)=\"\x83\x5c\x83\x74\x83\x67\"\r\n", 5,
       {{4, "保存"}, {5, "ソフト"}});
    ok("invalid bytes in a text", "MAX_INDEX=5\r\nGSTR(3)=\"a\x81\"\r\nGSTR(4)=\xff\r\n", 5,
       {{3, QStringLiteral("a") + QChar(0xFFFD)}, {4, QString(QChar(0xFFFD))}});
    ok("largest table", "MAX_INDEX = 32767.4\r\nGSTR(32767)=end\r\n", 32767, {{32767, "end"}});
    ok("index overflow before MAX_INDEX does not count", "GSTR(70000)=x\r\nMAX_INDEX = 5\r\n", 5, {});

    refused("empty file", "", kNoMaxIndex);
    refused("no MAX_INDEX", "GSTR(0)=x\r\n", kNoMaxIndex);
    refused("MAX_INDEX in a comment", "# MAX_INDEX = 5\r\nGSTR(0)=x\r\n", kNoMaxIndex);
    refused("MAX_INDEX without =", "MAX_INDEX 5\r\n", kNoMaxIndex);
    refused("MAX_INDEX beyond 16 bits", "MAX_INDEX = 32767.5\r\n", kFailed);
    refused("MAX_INDEX far beyond", "MAX_INDEX = 1e300\r\n", kFailed);
    refused("MAX_INDEX below 0", "MAX_INDEX = -1\r\n", kFailed);
    refused("index beyond 16 bits", "MAX_INDEX = 5\r\nGSTR(1)=a\r\nGSTR(70000)=x\r\n", kFailed);
    refused("negative index beyond 16 bits", "MAX_INDEX = 5\r\nGSTR(-40000)=x\r\n", kFailed);
}

void TestMessageFile::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, result);
    QFETCH(int, maxIndex);
    QFETCH(Entries, entries);

    MessageTable table;
    QCOMPARE(int(ParseMessageFile(bytes, table)), result);
    if (result != kOk) {
        QVERIFY(!table.Loaded());
        return;
    }
    QVERIFY(table.Loaded());
    QCOMPARE(int(table.MaxIndex()), maxIndex);
    for (int n = -1; n <= maxIndex + 1; ++n)
        QCOMPARE(table(n), entries.value(n));
}

void TestMessageFile::failedParseLeavesTableAlone()
{
    MessageTable table;
    QCOMPARE(ParseMessageFile("MAX_INDEX=2\r\nGSTR(1)=kept\r\n", table), MessageFileResult::Ok);
    QCOMPARE(ParseMessageFile("MAX_INDEX=9\r\nGSTR(1)=new\r\nGSTR(99999)=x\r\n", table),
             MessageFileResult::Failed);
    QCOMPARE(int(table.MaxIndex()), 2);
    QCOMPARE(table(1), QStringLiteral("kept"));
}

void TestMessageFile::load_data()
{
    // content "<none>" leaves the file out, "<dir>" puts a folder in its place.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");  // empty: loaded

    QTest::newRow("good") << QByteArray("MAX_INDEX = 61\r\nGSTR(1) = \"one\"\r\n") << QString();
    QTest::newRow("missing") << QByteArray("<none>") << kMessageFileMissing;
    QTest::newRow("folder of that name") << QByteArray("<dir>") << kMessageFileMissing;
    QTest::newRow("no valid MAX_INDEX") << QByteArray("GSTR(1) = \"one\"\r\n") << kMessageFileBad;
    QTest::newRow("MAX_INDEX out of range") << QByteArray("MAX_INDEX = 99999\r\n") << kMessageFileBad;
}

void TestMessageFile::load()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmark.mes"));
    if (content == "<dir>")
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Quillmark.mes")));
    else if (content != "<none>")
        QVERIFY(WriteFile(path, content));

    FakeDialogs dialogs;
    PosixFileLayer files;
    AppState state(files);
    QCOMPARE(LoadMessageTable(state, dialogs, path), message.isEmpty());
    QCOMPARE(state.messages(1), message.isEmpty() ? QStringLiteral("one") : QString());
    QCOMPARE(state.messages.Loaded(), message.isEmpty());
    QCOMPARE(dialogs.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        const FakeDialogs::Box &box = dialogs.boxes.first();
        QVERIFY(box.title == "Quillmark" && box.icon == MsgIcon::Critical && box.buttons == MsgButtons::Ok);
    }
}

QTEST_GUILESS_MAIN(TestMessageFile)
#include "tst_messagefile.moc"
