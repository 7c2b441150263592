#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using Lines = QList<QByteArray>;

class TestTextFile : public QObject {
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void everyCodeDecodesToOneStableCharacter();
    void encode_data();
    void encode();
    void splitLines_data();
    void splitLines();
    void readFileBytes();
};

void TestTextFile::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString bad(QChar(0xFFFD));

    QTest::newRow("empty") << QByteArray() << QString();
    // 0x5C ("\") as a trail byte must not turn into a path separator.
    QTest::newRow("trail 0x5C") << QByteArray("\x83\x5c\x95\x5c\x94\x5c\x8d\x5c") << QStringLiteral("ソ表能構");
    // 0x61-0x7A as trail bytes must not be taken for "a"-"z".
    QTest::newRow("trail a-z") << QByteArray("\x83\x74\x83\x67\x83\x7a\x83\x61") << QStringLiteral("フトホヂ");
    QTest::newRow("half-width katakana") << QByteArray("\xb1\xdf") << QStringLiteral("ｱﾟ");
    QTest::newRow("vendor extensions") << QByteArray("\x87\x40\xfa\x40") << QStringLiteral("①ⅰ");
    QTest::newRow("lone lead byte at end") << QByteArray("ab\x81") << "ab" + bad;
    QTest::newRow("lead byte before a blank") << QByteArray("\x81 z") << bad + " z";
    QTest::newRow("lead byte before DEL") << QByteArray("\x81\x7f") << bad + QChar(0x7F);
    QTest::newRow("bytes that start nothing") << QByteArray("\x80\xa0\xfd\xfe\xff") << bad.repeated(5);
    QTest::newRow("unassigned pair") << QByteArray("x\x85\x40y") << "x" + bad + "y";
    QTest::newRow("NUL kept") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3);
}

void TestTextFile::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeCp932(bytes), text);
}

void TestTextFile::everyCodeDecodesToOneStableCharacter()
{
    // Bytes below 0x80 are themselves, both ways.
    for (int b = 0; b < 0x80; ++b) {
        const QString text = DecodeCp932(QByteArray(1, char(b)));
        QByteArray back;
        QVERIFY(text.size() == 1 && text.at(0).unicode() == b && EncodeCp932(text, back));
        QCOMPARE(back, QByteArray(1, char(b)));
    }
    // Each well-formed pair is one character (or one U+FFFD); whatever it
    // decodes to encodes to a pair that decodes to the same character.
    int assigned = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead <= 0xDF)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const QByteArray pair = QByteArray(1, char(lead)) + char(trail);
            const QString text = DecodeCp932(pair);
            QCOMPARE(text.size(), 1);
            QByteArray again;
            const bool encoded = EncodeCp932(text, again);
            if (text.at(0) == QChar(0xFFFD)) {
                QVERIFY(!encoded);
                continue;
            }
            ++assigned;
            QVERIFY2(encoded && again.size() == 2, pair.toHex().constData());
            QCOMPARE(DecodeCp932(again), text);
        }
    }
    QVERIFY(assigned > 7000);
}

void TestTextFile::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");  // empty: refused

    QTest::newRow("japanese") << QStringLiteral("ソフト保存")
                              << QByteArray("\x83\x5c\x83\x74\x83\x67\x95\xdb\x91\xb6");
    QTest::newRow("wave dash of the code page") << QStringLiteral("～") << QByteArray("\x81\x60");
    QTest::newRow("control codes as they are")
        << QString::fromUtf16(u"a\x1a\x1c\x7f" "b") << QByteArray("a\x1a\x1c\x7f" "b");
    QTest::newRow("euro sign") << QStringLiteral("a€b") << QByteArray();
    QTest::newRow("replacement character") << QString(QChar(0xFFFD)) << QByteArray();
    QTest::newRow("emoji") << QStringLiteral("a😀") << QByteArray();
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray();
    QTest::newRow("failure after a control code") << QString::fromUtf16(u"\x7f€") << QByteArray();
}

void TestTextFile::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QByteArray out;
    QCOMPARE(EncodeCp932(text, out), !bytes.isEmpty());
    if (!bytes.isEmpty())
        QCOMPARE(out, bytes);
}

void TestTextFile::splitLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Lines>("lines");

    QTest::newRow("empty") << QByteArray() << Lines{};
    QTest::newRow("no line end") << QByteArray("a") << Lines{"a"};
    QTest::newRow("final CR LF adds no line") << QByteArray("a\r\n") << Lines{"a"};
    QTest::newRow("lone CR") << QByteArray("a\rb\r") << Lines{"a", "b"};
    QTest::newRow("lone LF") << QByteArray("a\nb\n") << Lines{"a", "b"};
    QTest::newRow("mixed") << QByteArray("a\rb\nc\r\nd") << Lines{"a", "b", "c", "d"};
    QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << Lines{"a", "", "b"};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\n") << Lines{"a", ""};
    QTest::newRow("blank lines") << QByteArray("\r\n\r\n") << Lines{"", ""};
    QTest::newRow("trail byte before CR LF")
        << QByteArray("\x83\x5c\r\n\x83\x7a") << Lines{"\x83\x5c", "\x83\x7a"};
}

void TestTextFile::splitLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Lines, lines);
    QCOMPARE(SplitLines(bytes), lines);
}

void TestTextFile::readFileBytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray bytes = "stale";
    QCOMPARE(ReadFileBytes(dir.filePath(QStringLiteral("none.mtl")), 100, bytes), ReadResult::Missing);
    QVERIFY(bytes.isEmpty());
    QCOMPARE(ReadFileBytes(QString(), 100, bytes), ReadResult::Missing);
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.mtl")));
    QCOMPARE(ReadFileBytes(dir.filePath(QStringLiteral("folder.mtl")), 100, bytes), ReadResult::Unreadable);
    // A pipe would block the reader forever.
    const QString fifo = dir.filePath(QStringLiteral("pipe.mtl"));
    QCOMPARE(::mkfifo(qPrintable(fifo), 0600), 0);
    QCOMPARE(ReadFileBytes(fifo, 100, bytes), ReadResult::Unreadable);

    const QString path = dir.filePath(QStringLiteral("a.mtl"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("MACHINE NAME = \x83\x5c\x83\x74\x83\x67\r\nA\nB\rC\x81");
    file.close();
    QCOMPARE(ReadFileBytes(path, 28, bytes), ReadResult::TooLarge);
    QVERIFY(bytes.isEmpty());
    QCOMPARE(ReadFileBytes(path, 29, bytes), ReadResult::Ok);
    QCOMPARE(DecodeLines(bytes), (QStringList{QStringLiteral("MACHINE NAME = ソフト"), QStringLiteral("A"),
                                              QStringLiteral("B"), QStringLiteral("C") + QChar(0xFFFD)}));
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
