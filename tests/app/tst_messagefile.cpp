#include "app/MessageFile.h"
#include "platform/FakeDialogs.h"

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
    void gstrIndex_data();
    void gstrIndex();
    void load_data();
    void load();
};

void TestMessageFile::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("maxIndex");
    QTest::addColumn<Entries>("entries");  // every other entry must be empty

    QTest::newRow("only MAX_INDEX and entries")
        << QByteArray("MAX_INDEX = 61\r\nGSTR(0) = \"Quillmark\"\r\nGSTR(61) = \"last\"\r\n")
        << kOk << 61 << Entries{{0, "Quillmark"}, {61, "last"}};
    QTest::newRow("quotes")
        << QByteArray("MAX_INDEX = 12\r\n"
                      "GSTR(5) = \"  word  \"\r\n"
                      "GSTR(6) = plain text  \r\n"
                      "GSTR(7) = \"open\r\n"
                      "GSTR(8) = \"\r\n"
                      "GSTR(9) = closed\"\r\n"
                      "GSTR(10) = \"\"\"\r\n"
                      "GSTR(11) = \"inner \"quote\" kept\"\r\n"
                      "GSTR(12)\r\n")
        << kOk << 12
        << Entries{{5, "  word  "}, {6, "plain text"}, {7, "open"}, {9, "closed"},
                   {10, "\""}, {11, "inner \"quote\" kept"}};
    QTest::newRow("# ends every line")
        << QByteArray("# a comment\r\nMAX_INDEX = 5 # five\r\nGSTR(1) = \"a # b\"\r\n"
                      "# GSTR(2) = \"gone\"\r\nGSTR(3) = \"#\"\r\n")
        << kOk << 5 << Entries{{1, "a"}};
    QTest::newRow("tabs are not stripped")
        << QByteArray("MAX_INDEX = 5\r\nGSTR(1) =\tt\t\r\n\tGSTR(2) = u\r\n") << kOk << 5
        << Entries{{1, "\tt\t"}, {2, "u"}};
    QTest::newRow("GSTR forms")
        << QByteArray("MAX_INDEX = 20\r\n"
                      "gstr(7)=x\r\n"
                      "GSTR 8 = not an entry\r\n"
                      "MYGSTR(9)=inside a word\r\n"
                      "text = GSTR(10)\r\n"
                      "GSTR(11 = no close\r\n"
                      "(12)GSTR = no open after\r\n"
                      "GSTR(abc) = letters\r\n"
                      "GSTR() = empty\r\n"
                      "GSTR(1e1)x = exponent\r\n"
                      "GSTR(13)\r\n"
                      "GSTR)(14) = first open after\r\n")
        << kOk << 20
        << Entries{{7, "x"}, {9, "inside a word"}, {10, "exponent"}, {14, "first open after"}};
    QTest::newRow("later entry wins")
        << QByteArray("MAX_INDEX = 9\r\nGSTR(7)=x\r\nGstr( 7 )=y\r\n") << kOk << 9
        << Entries{{7, "y"}};
    QTest::newRow("index rounds half to even")
        << QByteArray("MAX_INDEX = 9\r\nGSTR(5.5)=six\r\nGSTR(4.5)=four\r\nGSTR(0.4)=zero\r\n")
        << kOk << 9 << Entries{{6, "six"}, {4, "four"}, {0, "zero"}};
    QTest::newRow("MAX_INDEX rounds too, entries beyond it ignored")
        << QByteArray("MAX_INDEX = 10.5\r\nGSTR(10)=ten\r\nGSTR(11)=eleven\r\nGSTR(-1)=minus\r\n")
        << kOk << 10 << Entries{{10, "ten"}};
    QTest::newRow("entries before MAX_INDEX are lost")
        << QByteArray("GSTR(1)=early\r\nMAX_INDEX = 5\r\nGSTR(2)=late\r\n") << kOk << 5
        << Entries{{2, "late"}};
    QTest::newRow("second MAX_INDEX ignored")
        << QByteArray("MAX_INDEX = 3\r\nMAX_INDEX = 10\r\nGSTR(3)=a\r\nGSTR(5)=b\r\n") << kOk
        << 3 << Entries{{3, "a"}};
    QTest::newRow("MAX_INDEX without a number is skipped")
        << QByteArray("MAX_INDEX = many\r\nGSTR(0)=x\r\nmax_index = 2\r\nGSTR(1)=y\r\n") << kOk
        << 2 << Entries{{1, "y"}};
    QTest::newRow("MAX_INDEX anywhere in the line")
        << QByteArray("  the MAX_INDEX of this file = 1\r\nGSTR(1)=y\r\n") << kOk << 1
        << Entries{{1, "y"}};
    QTest::newRow("MAX_INDEX zero") << QByteArray("MAX_INDEX=0\r\nGSTR(0)=only\r\n") << kOk << 0
                                    << Entries{{0, "only"}};
    QTest::newRow("mixed line ends")
        << QByteArray("MAX_INDEX=3\rGSTR(1)=a\nGSTR(2)=b\r\nGSTR(3)=c") << kOk << 3
        << Entries{{1, "a"}, {2, "b"}, {3, "c"}};
    QTest::newRow("LF only file")
        << QByteArray("# made on Linux\nMAX_INDEX = 2\nGSTR(0) = \"x\"\nGSTR(2) = \"z\"\n") << kOk
        << 2 << Entries{{0, "x"}, {2, "z"}};
    QTest::newRow("windows-31j texts")
        << QByteArray("MAX_INDEX=5\r\nGSTR(4)=\"\x95\xdb\x91\xb6\"\r\nGSTR(5)=\"\x83\x5c\x83\x74"
                      "\x83\x67\"\r\n")
        << kOk << 5 << Entries{{4, "保存"}, {5, "ソフト"}};
    QTest::newRow("invalid bytes in a text")
        << QByteArray("MAX_INDEX=5\r\nGSTR(3)=\"a\x81\"\r\nGSTR(4)=\xff\r\n") << kOk << 5
        << Entries{{3, QStringLiteral("a") + QChar(0xFFFD)}, {4, QString(QChar(0xFFFD))}};
    QTest::newRow("largest table") << QByteArray("MAX_INDEX = 32767.4\r\nGSTR(32767)=end\r\n")
                                   << kOk << 32767 << Entries{{32767, "end"}};

    QTest::newRow("empty file") << QByteArray() << kNoMaxIndex << -1 << Entries{};
    QTest::newRow("no MAX_INDEX") << QByteArray("GSTR(0)=x\r\n") << kNoMaxIndex << -1
                                  << Entries{};
    QTest::newRow("MAX_INDEX in a comment") << QByteArray("# MAX_INDEX = 5\r\nGSTR(0)=x\r\n")
                                            << kNoMaxIndex << -1 << Entries{};
    QTest::newRow("MAX_INDEX without =") << QByteArray("MAX_INDEX 5\r\n") << kNoMaxIndex << -1
                                         << Entries{};
    QTest::newRow("MAX_INDEX beyond 16 bits") << QByteArray("MAX_INDEX = 32767.5\r\n") << kFailed
                                              << -1 << Entries{};
    QTest::newRow("MAX_INDEX far beyond") << QByteArray("MAX_INDEX = 1e300\r\n") << kFailed << -1
                                          << Entries{};
    QTest::newRow("MAX_INDEX below 0") << QByteArray("MAX_INDEX = -1\r\n") << kFailed << -1
                                       << Entries{};
    QTest::newRow("index beyond 16 bits")
        << QByteArray("MAX_INDEX = 5\r\nGSTR(1)=a\r\nGSTR(70000)=x\r\n") << kFailed << -1
        << Entries{};
    QTest::newRow("negative index beyond 16 bits")
        << QByteArray("MAX_INDEX = 5\r\nGSTR(-40000)=x\r\n") << kFailed << -1 << Entries{};
    QTest::newRow("index overflow before MAX_INDEX does not count")
        << QByteArray("GSTR(70000)=x\r\nMAX_INDEX = 5\r\n") << kOk << 5 << Entries{};
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

void TestMessageFile::gstrIndex_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("index");

    QTest::newRow("plain") << "GSTR(7) = \"x\"" << 7;
    QTest::newRow("lower case, blanks") << "gstr( 7 )=x" << 7;
    QTest::newRow("no parentheses") << "GSTR 7 = x" << -1;
    QTest::newRow("after the =") << "x = GSTR(3)" << 3;
    QTest::newRow("half to even up") << "GSTR(5.5)" << 6;
    QTest::newRow("half to even down") << "GSTR(4.5)" << 4;
    QTest::newRow("letters") << "GSTR(a)" << -1;
    QTest::newRow("beyond 16 bits") << "GSTR(99999)" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestMessageFile::gstrIndex()
{
    QFETCH(QString, line);
    QFETCH(int, index);
    QCOMPARE(GetGstrIndex(line), index);
}

void TestMessageFile::load_data()
{
    // content "<none>" leaves the file out, "<dir>" puts a folder in its place.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("text1");

    QTest::newRow("good") << QByteArray("MAX_INDEX = 61\r\nGSTR(1) = \"one\"\r\n") << QString()
                          << "one";
    QTest::newRow("missing") << QByteArray("<none>") << kMessageFileMissing << QString();
    QTest::newRow("folder of that name") << QByteArray("<dir>") << kMessageFileMissing
                                         << QString();
    QTest::newRow("no valid MAX_INDEX") << QByteArray("GSTR(1) = \"one\"\r\n") << kMessageFileBad
                                        << QString();
    QTest::newRow("empty") << QByteArray() << kMessageFileBad << QString();
    QTest::newRow("MAX_INDEX out of range") << QByteArray("MAX_INDEX = 99999\r\n")
                                            << kMessageFileBad << QString();
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x81\r\x1a", 6) << kMessageFileBad
                            << QString();
}

void TestMessageFile::load()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QFETCH(QString, text1);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Quillmark.mes"));
    if (content == "<dir>")
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Quillmark.mes")));
    else if (content != "<none>")
        QVERIFY(WriteFile(path, content));

    FakeDialogs dialogs;
    FileOps files;
    AppState state(dialogs, files);
    state.settings.AppPath = dir.path() + u'/';
    QCOMPARE(LoadMessageTable(state), message.isEmpty());
    QCOMPARE(state.messages(1), text1);
    QCOMPARE(state.messages.Loaded(), message.isEmpty());
    if (message.isEmpty()) {
        QVERIFY(dialogs.boxes.isEmpty());
        return;
    }
    QCOMPARE(dialogs.boxes.size(), 1);
    const FakeDialogs::Box &box = dialogs.boxes.first();
    QCOMPARE(box.text, message);
    QCOMPARE(box.title, QStringLiteral("Quillmark"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.buttons, MsgButtons::Ok);
}

QTEST_GUILESS_MAIN(TestMessageFile)
#include "tst_messagefile.moc"
