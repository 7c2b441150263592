// Numbers and tokens: what counts as numeric, range checks, rounding and the
// number patterns of the file and the window.
#include "model/Numbers.h"
#include "model/Tokens.h"

#include <QTest>

#include <cfloat>
#include <cmath>
#include <random>

class TstNumbers : public QObject {
    Q_OBJECT
private slots:
    void parseNumeric_data();
    void parseNumeric();
    void toSingle_data();
    void toSingle();
    void roundToInt_data();
    void roundToInt();
    void parseSingle_data();
    void parseSingle();
    void formatNumber_data();
    void formatNumber();
    void formatReadsBackStable();
    void upperSameLength_data();
    void upperSameLength();
    void getToken_data();
    void getToken();
    void trimSpaces_data();
    void trimSpaces();
};

void TstNumbers::parseNumeric_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("value");

    QTest::newRow("integer") << "500" << true << 500.0;
    QTest::newRow("writer's trailing point") << "12." << true << 12.0;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("sign minus") << "-3" << true << -3.0;
    QTest::newRow("sign plus") << "+2.25" << true << 2.25;
    QTest::newRow("exponent") << "1.5E3" << true << 1500.0;
    QTest::newRow("exponent lower, signed") << "25e-1" << true << 2.5;
    QTest::newRow("surrounding spaces") << "  42  " << true << 42.0;
    QTest::newRow("surrounding tabs") << "\t42\t" << true << 42.0;
    QTest::newRow("leading zeros") << "0003" << true << 3.0;
    QTest::newRow("underflow reads as zero") << "1e-400" << true << 0.0;
    QTest::newRow("long digits") << QString(400, QLatin1Char('0')) + "1" << true << 1.0;
    QTest::newRow("largest double") << "1.7976931348623157e308" << true << DBL_MAX;

    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blanks only") << "   " << false << 0.0;
    QTest::newRow("point only") << "." << false << 0.0;
    QTest::newRow("sign only") << "-" << false << 0.0;
    QTest::newRow("nan") << "nan" << false << 0.0;
    QTest::newRow("NAN upper") << "NAN" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
    QTest::newRow("infinity") << "-Infinity" << false << 0.0;
    QTest::newRow("hex") << "0x1A" << false << 0.0;
    QTest::newRow("hex float") << "0x1p3" << false << 0.0;
    QTest::newRow("grouping") << "1,000" << false << 0.0;
    QTest::newRow("comma decimal") << "2,5" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("exponent without digits") << "1e" << false << 0.0;
    QTest::newRow("exponent alone") << "e5" << false << 0.0;
    QTest::newRow("blank inside") << "1 000" << false << 0.0;
    QTest::newRow("blank after sign") << "- 5" << false << 0.0;
    QTest::newRow("overflow") << "1e309" << false << 0.0;
    QTest::newRow("overflow by digits") << "9" + QString(400, QLatin1Char('9')) << false << 0.0;
    QTest::newRow("huge exponent") << "1e99999999999999999999" << false << 0.0;
    QTest::newRow("fullwidth digits") << QString::fromUtf8("１２") << false << 0.0;
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0661\u0662") << false << 0.0;
    QTest::newRow("trailing letter") << "12mm" << false << 0.0;
    QTest::newRow("D exponent") << "1D3" << false << 0.0;
    QTest::newRow("currency") << "$5" << false << 0.0;
}

void TstNumbers::parseNumeric()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(double, value);
    const auto parsed = ParseNumeric(text);
    QCOMPARE(parsed.has_value(), numeric);
    QCOMPARE(IsNumeric(text), numeric);
    if (numeric)
        QCOMPARE(*parsed, value);
}

void TstNumbers::toSingle_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<float>("expected");

    QTest::newRow("ordinary") << 12.5 << true << 12.5f;
    QTest::newRow("FLT_MAX") << double(FLT_MAX) << true << FLT_MAX;
    QTest::newRow("just above FLT_MAX rounds down") << double(FLT_MAX) * (1 + 1e-9) << true << FLT_MAX;
    QTest::newRow("negative FLT_MAX") << -double(FLT_MAX) << true << -FLT_MAX;
    QTest::newRow("rounds to infinity") << 0x1.ffffffp+127 << false << 0.0f;
    QTest::newRow("far beyond") << 1e39 << false << 0.0f;
    QTest::newRow("negative far beyond") << -1e300 << false << 0.0f;
    QTest::newRow("infinity") << double(INFINITY) << false << 0.0f;
    QTest::newRow("nan") << double(NAN) << false << 0.0f;
    QTest::newRow("tiny becomes zero") << 1e-60 << true << 0.0f;
}

void TstNumbers::toSingle()
{
    QFETCH(double, value);
    QFETCH(bool, ok);
    QFETCH(float, expected);
    const auto f = ToSingle(value);
    QCOMPARE(f.has_value(), ok);
    if (ok)
        QCOMPARE(*f, expected);
}

void TstNumbers::roundToInt_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("ok32");
    QTest::addColumn<int>("expected32");
    QTest::addColumn<bool>("ok16");

    QTest::newRow("half down to even") << 12.5 << true << 12 << true;
    QTest::newRow("half up to even") << 13.5 << true << 14 << true;
    QTest::newRow("negative half") << -2.5 << true << -2 << true;
    QTest::newRow("above half") << 2.5000001 << true << 3 << true;
    QTest::newRow("int16 max") << 32767.0 << true << 32767 << true;
    QTest::newRow("int16 max + 0.5 rounds to even beyond") << 32767.5 << true << 32768 << false;
    QTest::newRow("int16 min") << -32768.0 << true << -32768 << true;
    QTest::newRow("int32 max") << 2147483647.0 << true << 2147483647 << false;
    QTest::newRow("int32 max + 1") << 2147483648.0 << false << 0 << false;
    QTest::newRow("int32 min") << -2147483648.0 << true << int(-2147483648LL) << false;
    QTest::newRow("int32 min - 1") << -2147483649.0 << false << 0 << false;
    QTest::newRow("huge") << 1e20 << false << 0 << false;
    QTest::newRow("nan") << double(NAN) << false << 0 << false;
    QTest::newRow("infinity") << double(INFINITY) << false << 0 << false;
}

void TstNumbers::roundToInt()
{
    QFETCH(double, value);
    QFETCH(bool, ok32);
    QFETCH(int, expected32);
    QFETCH(bool, ok16);
    const auto r32 = RoundToInt32(value);
    QCOMPARE(r32.has_value(), ok32);
    if (ok32)
        QCOMPARE(*r32, expected32);
    const auto r16 = RoundToInt16(value);
    QCOMPARE(r16.has_value(), ok16);
    if (ok16)
        QCOMPARE(int(*r16), expected32);
}

void TstNumbers::parseSingle_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("expected");

    QTest::newRow("numeric") << "2.5" << 2.5f;
    QTest::newRow("trailing point") << "500." << 500.0f;
    QTest::newRow("not numeric gives default") << "fast" << -1.0f;
    QTest::newRow("beyond a Single gives default") << "1e39" << -1.0f;
    QTest::newRow("inf gives default") << "INF" << -1.0f;
    QTest::newRow("negative kept") << "-3" << -3.0f;
}

void TstNumbers::parseSingle()
{
    QFETCH(QString, text);
    QFETCH(float, expected);
    QCOMPARE(ParseSingle(text, -1.0f), expected);
}

Q_DECLARE_METATYPE(NumberPattern)

void TstNumbers::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<NumberPattern>("pattern");
    QTest::addColumn<QString>("expected");

    const NumberPattern dec = Pattern::Decimal, noLead = Pattern::DecimalNoLead,
                        two = Pattern::TwoDigits, digits = Pattern::Digits,
                        whole = Pattern::Whole;
    // The examples that the file and the window are written with.
    QTest::newRow("500 -> 500.") << 500.0 << dec << "500.";
    QTest::newRow("12.5") << 12.5 << dec << "12.5";
    QTest::newRow("0.25") << 0.25 << dec << "0.25";
    QTest::newRow("1234.5678 as Single") << double(1234.5678f) << dec << "1234.568";
    QTest::newRow("0 -> 0.") << 0.0 << dec << "0.";
    QTest::newRow("no lead: 5") << 5.0 << noLead << "5.";
    QTest::newRow("no lead: 0.5") << 0.5 << noLead << ".5";
    QTest::newRow("no lead: 2.25") << 2.25 << noLead << "2.25";
    QTest::newRow("#00: 3") << 3.0 << two << "03";
    QTest::newRow("#00: 12") << 12.0 << two << "12";
    QTest::newRow("#00: 123") << 123.0 << two << "123";
    QTest::newRow("###: 2") << 2.0 << digits << "2";
    QTest::newRow("###: 15") << 15.0 << digits << "15";
    QTest::newRow("######0: 7") << 7.0 << whole << "7";
    QTest::newRow("######0: 0") << 0.0 << whole << "0";

    // Singles whose shortest text is the value the user typed.
    QTest::newRow("0.1 as Single") << double(0.1f) << dec << "0.1";
    QTest::newRow("0.6 as Single") << double(0.6f) << dec << "0.6";
    QTest::newRow("2.5 time") << double(2.5f) << noLead << "2.5";
    QTest::newRow("100000.3 as Single") << double(100000.3f) << dec << "100000.3";

    // Half to even at the last kept decimal, on the shortest text.
    QTest::newRow("tie down to even") << 0.0625 << dec << "0.062";
    QTest::newRow("tie up to even") << 0.0375 << dec << "0.038";
    QTest::newRow("above tie") << 0.06251 << dec << "0.063";
    QTest::newRow("carry into integer") << 9.9996 << dec << "10.";
    QTest::newRow("carry through nines") << 999.9999 << dec << "1000.";
    QTest::newRow("rounds to zero") << 0.0004 << dec << "0.";
    QTest::newRow("rounds to zero, no lead") << 0.0004 << noLead << ".";
    QTest::newRow("whole: half to even down") << 2.5 << whole << "2";
    QTest::newRow("whole: half to even up") << 3.5 << whole << "4";
    QTest::newRow("#00 of a fraction") << 4.5 << two << "04";

    // Signs: a result of zeros loses its minus.
    QTest::newRow("negative") << -12.5 << dec << "-12.5";
    QTest::newRow("negative integral") << -3.0 << two << "-03";
    QTest::newRow("negative rounds to zero") << -0.0001 << dec << "0.";
    QTest::newRow("negative zero") << -0.0 << dec << "0.";

    // No exponent forms, no grouping.
    QTest::newRow("large integral") << 36000000.0 << dec << "36000000.";
    QTest::newRow("FLT_MAX") << double(FLT_MAX) << dec
                             << "340282346638528859811704183484516925440.";
    QTest::newRow("tiny") << 1e-10 << dec << "0.";
    QTest::newRow("int32 max") << 2147483647.0 << two << "2147483647";
    QTest::newRow("beyond 2^53") << 0x1p60 << whole << "1152921504606846976";
    QTest::newRow("nan does not crash") << double(NAN) << dec << "0.";
}

void TstNumbers::formatNumber()
{
    QFETCH(double, value);
    QFETCH(NumberPattern, pattern);
    QFETCH(QString, expected);
    QCOMPARE(FormatNumber(value, pattern), expected);
}

// Written, read back as a Single and written again gives the same text, for
// every Single: the file written by the program is stable.
void TstNumbers::formatReadsBackStable()
{
    std::mt19937 rng(20240601);
    std::uniform_int_distribution<std::uint32_t> bits;
    int checked = 0;
    for (int i = 0; i < 200000; ++i) {
        std::uint32_t b = bits(rng);
        float f;
        std::memcpy(&f, &b, sizeof f);
        if (!std::isfinite(f))
            continue;
        // Spread over the magnitudes a machine file holds as well.
        if (i % 2)
            f = std::ldexp(std::fabs(f) - std::floor(std::fabs(f)), i % 30);
        const QString first = FormatNumber(f, Pattern::Decimal);
        const float back = ParseSingle(first, NAN);
        QVERIFY2(!std::isnan(back), qPrintable(first));
        const QString second = FormatNumber(back, Pattern::Decimal);
        QVERIFY2(first == second, qPrintable(QString("%1 then %2 (%3)")
                                                 .arg(first, second)
                                                 .arg(double(f), 0, 'g', 17)));
        ++checked;
    }
    QVERIFY(checked > 100000);
}

void TstNumbers::upperSameLength_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ascii") << "name = abc" << "NAME = ABC";
    QTest::newRow("latin-1") << QString::fromUtf8("éàü") << QString::fromUtf8("ÉÀÜ");
    QTest::newRow("sharp s keeps length") << QString::fromUtf8("straße") << QString::fromUtf8("STRAßE");
    QTest::newRow("ligature keeps length") << QString::fromUtf8("\uFB01x") << QString::fromUtf8("\uFB01X");
    QTest::newRow("greek") << QString::fromUtf8("αβγ") << QString::fromUtf8("ΑΒΓ");
    QTest::newRow("cyrillic") << QString::fromUtf8("жук") << QString::fromUtf8("ЖУК");
    QTest::newRow("fullwidth latin") << QString::fromUtf8("ａｂ") << QString::fromUtf8("ＡＢ");
    QTest::newRow("japanese unchanged") << QString::fromUtf8("立形マシニング ｶﾅ")
                                        << QString::fromUtf8("立形マシニング ｶﾅ");
    QTest::newRow("supplementary letter") << QString::fromUtf8("\U00010428") << QString::fromUtf8("\U00010400");
    QTest::newRow("lone surrogate kept") << QString(QChar(0xD800)) + "a" << QString(QChar(0xD800)) + "A";
    QTest::newRow("replacement char kept") << QString(QChar(0xFFFD)) << QString(QChar(0xFFFD));
}

void TstNumbers::upperSameLength()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QString up = UpperSameLength(text);
    QCOMPARE(up, expected);
    QCOMPARE(up.size(), text.size());
}

void TstNumbers::getToken_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("rest");

    QTest::newRow("key and value") << "NAME = ABC" << "=" << "NAME" << "ABC";
    QTest::newRow("first separator only") << "A = B = C" << "=" << "A" << "B = C";
    QTest::newRow("no separator") << "  STROKE  " << "=" << "STROKE" << "";
    QTest::newRow("separator first") << "=X" << "=" << "" << "X";
    QTest::newRow("separator last") << "X =  " << "=" << "X" << "";
    QTest::newRow("axis") << "STROKE ( X )" << "(" << "STROKE" << "X )";
    QTest::newRow("empty") << "" << "," << "" << "";
    QTest::newRow("tabs are not trimmed") << "\tA\t,\tB\t" << "," << "\tA\t" << "\tB\t";
    QTest::newRow("exact compare") << "square/1" << "/" << "square" << "1";
    QTest::newRow("japanese") << QString::fromUtf8("ア,イ") << "," << QString::fromUtf8("ア")
                              << QString::fromUtf8("イ");
}

void TstNumbers::getToken()
{
    QFETCH(QString, source);
    QFETCH(QString, separator);
    QFETCH(QString, token);
    QFETCH(QString, rest);
    QString s = source;
    QCOMPARE(GetToken(s, separator), token);
    QCOMPARE(s, rest);
}

void TstNumbers::trimSpaces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("spaces") << "  a b  " << "a b";
    QTest::newRow("tab kept") << " \ta\t " << "\ta\t";
    QTest::newRow("ideographic space kept") << QString::fromUtf8("\u3000a") << QString::fromUtf8("\u3000a");
    QTest::newRow("only spaces") << "    " << "";
}

void TstNumbers::trimSpaces()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(TrimSpaces(text), expected);
}

QTEST_GUILESS_MAIN(TstNumbers)
#include "tst_numbers.moc"
