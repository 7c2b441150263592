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
    void japaneseDesignCaptions_data();
    void japaneseDesignCaptions();
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

void TestShippedMessages::japaneseDesignCaptions_data()
{
    // The captions the windows were designed with, where the Japanese file
    // supplies them.
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("caption");
    const QList<std::pair<int, const char16_t *>> captions{
        {4, u"保存"}, {5, u"終了"}, {6, u"機械名称"}, {7, u"自動工具交換方法"},
        {8, u"工具交換時間"}, {9, u"(秒/回)"}, {10, u"最大送り速度（mm/分）"},
        {11, u"全軸設定"}, {12, u"早送り加速度（G）"}, {13, u"X 軸"},
        {14, u"早送り速度（mm/分）"}, {15, u"Y 軸"}, {16, u"アタッチメント"}, {17, u"Z 軸"},
        {20, u"登録アタッチメント一覧"}, {21, u"最大加速度（G）"}, {22, u"ストローク(mm)"},
        {23, u"各軸設定"}, {24, u"起動時アタッチメント番号"},
        {25, u"* 注） 数値 ０． は、未設定を意味します。"}, {26, u"編集"},
        {30, u"アタッチメント番号"}, {34, u"幅"}, {35, u"高さ"}, {38, u"表示"}};
    for (const auto &[number, caption] : captions)
        QTest::addRow("%d", number) << number << QString::fromUtf16(caption);
}

void TestShippedMessages::japaneseDesignCaptions()
{
    QFETCH(int, number);
    QFETCH(QString, caption);
    static MessageTable table;
    if (!table.Loaded())
        QCOMPARE(ParseMessageFile(Shipped(QStringLiteral("resources/Quillmark.mes")), table),
                 MessageFileResult::Ok);
    QCOMPARE(table(number), caption);
    // The stage label reads as in the design.
    QCOMPARE(table(31) + QStringLiteral("1") + table(32), QStringLiteral("第 1 段"));
}

QTEST_GUILESS_MAIN(TestShippedMessages)
#include "tst_shippedmessages.moc"
