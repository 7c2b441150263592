#include "app/MessageFile.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QTest>

namespace {

QList<int> NumbersInUse()
{
    QList<int> numbers;
    for (int n = 0; n <= 68; ++n)
        if (!(n == 18 || n == 19 || n == 33 || (n >= 44 && n <= 46) || n == 48 || n == 49))
            numbers << n;
    return numbers;
}

QByteArray Shipped(const QString &relative)
{
    QFile file(QStringLiteral(QM_SOURCE_DIR "/") + relative);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestShippedMessages : public QObject {
    Q_OBJECT

private slots:
    void file_data();
    void file();
};

void TestShippedMessages::file_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("asciiOnly");
    QTest::addColumn<QString>("language");
    QTest::newRow("japanese") << "resources/Quillmark.mes" << false << "ja";
    QTest::newRow("english") << "resources/lang/en/Quillmark.mes" << true << "en";
}

void TestShippedMessages::file()
{
    QFETCH(QString, path);
    QFETCH(bool, asciiOnly);
    QFETCH(QString, language);
    const QByteArray bytes = Shipped(path);
    QVERIFY(!bytes.isEmpty());

    // CR LF after every line, the last one included, and no lone CR or LF.
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    if (asciiOnly)
        QVERIFY(std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }));
    // Valid windows-31j throughout: decodes without a replacement character
    // and encodes back to the same bytes.
    const QString text = DecodeCp932(bytes);
    QVERIFY(!text.contains(QChar(0xFFFD)));
    QByteArray again;
    QVERIFY(EncodeCp932(text, again));
    QCOMPARE(again, bytes);

    MessageTable table;
    QCOMPARE(ParseMessageFile(bytes, table), MessageFileResult::Ok);
    QCOMPARE(int(table.MaxIndex()), 68);
    QCOMPARE(table.Language(), language);  // Qt's buttons and menus follow it
    for (int n : NumbersInUse())
        QVERIFY2(!table(n).trimmed().isEmpty(), qPrintable(QStringLiteral("message %1").arg(n)));
    // Joined into one message after the digits 16777215.
    QVERIFY(!table(47).at(0).isDigit());
}

QTEST_GUILESS_MAIN(TestShippedMessages)
#include "tst_shippedmessages.moc"
