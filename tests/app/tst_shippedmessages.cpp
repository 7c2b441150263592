#include "app/MessageFile.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QTest>

namespace {

QList<int> NumbersInUse()
{
    QList<int> numbers;
    for (int n = 0; n <= 61; ++n)
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
    QTest::newRow("japanese") << "resources/Quillmark.mes" << false;
    QTest::newRow("english") << "resources/lang/en/Quillmark.mes" << true;
}

void TestShippedMessages::file()
{
    QFETCH(QString, path);
    QFETCH(bool, asciiOnly);
    const QByteArray bytes = Shipped(path);
    QVERIFY(!bytes.isEmpty());

    // CR LF after every line, the last one included.
    QVERIFY(bytes.endsWith("\r\n"));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) == '\r')
            QVERIFY2(i + 1 < bytes.size() && bytes.at(i + 1) == '\n', "lone CR");
        if (bytes.at(i) == '\n')
            QVERIFY2(i > 0 && bytes.at(i - 1) == '\r', "lone LF");
        if (asciiOnly)
            QVERIFY(uchar(bytes.at(i)) < 0x80);
    }
    // Valid windows-31j throughout: decodes without a replacement character
    // and encodes back to the same bytes.
    const QString text = DecodeCp932(bytes);
    QVERIFY(!text.contains(QChar(0xFFFD)));
    QByteArray again;
    QVERIFY(EncodeCp932(text, again));
    QCOMPARE(again, bytes);

    MessageTable table;
    QCOMPARE(ParseMessageFile(bytes, table), MessageFileResult::Ok);
    QCOMPARE(int(table.MaxIndex()), 61);
    for (int n : NumbersInUse())
        QVERIFY2(!table(n).trimmed().isEmpty(), qPrintable(QStringLiteral("message %1").arg(n)));
    // Joined into one message after the digits 16777215.
    QVERIFY(!table(47).at(0).isDigit());
}

QTEST_GUILESS_MAIN(TestShippedMessages)
#include "tst_shippedmessages.moc"
