// Numbers and tokens: what counts as numeric, range checks, half-to-even
// rounding to whole numbers and the number patterns of the file and the window.
#include "model/Numbers.h"
#include "model/Tokens.h"

#include <QTest>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

namespace {

// nan stands for "refused" in the expected columns.
QString Show(double v)
{
    return std::isnan(v) ? QStringLiteral("refused") : QString::number(v, 'g', 17);
}
template <typename T>
QString Show(const std::optional<T> &v)
{
    return v ? Show(double(*v)) : QStringLiteral("refused");
}

}  // namespace

Q_DECLARE_METATYPE(NumberPattern)

class TstNumbers : public QObject {
    Q_OBJECT
private slots:
    void parseNumeric_data();
    void parseNumeric();
    void ranges_data();
    void ranges();
    void formatDecimals_data();
    void formatDecimals();
    void formatNumber_data();
    void formatNumber();
    void formatReadsBackStable();
    void upperSameLength_data();
    void upperSameLength();
    void getToken_data();
    void getToken();
};

void TstNumbers::parseNumeric_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");  // nan: not numeric

    const double no = NAN;
    QTest::newRow("minus, writer's trailing point") << "-12." << -12.0;
    QTest::newRow("plus, leading point") << "+.5" << 0.5;
    QTest::newRow("lower e, signed exponent") << "25e-1" << 2.5;
    QTest::newRow("upper E") << "1.5E3" << 1500.0;
    QTest::newRow("surrounding spaces and tabs") << " \t42\t " << 42.0;
    QTest::newRow("underflow reads as zero") << "1e-400" << 0.0;
    QTest::newRow("400 leading zeros") << QString(400, QLatin1Char('0')) + "1" << 1.0;
    QTest::newRow("largest double") << "1.7976931348623157e308" << DBL_MAX;
    QTest::newRow("beyond a Single is still numeric") << "1e39" << 1e39;

    QTest::newRow("blanks only") << "   " << no;
    QTest::newRow("point only") << "." << no;
    QTest::newRow("sign only") << "-" << no;
    QTest::newRow("nan") << "nan" << no;
    QTest::newRow("inf") << "inf" << no;
    QTest::newRow("hex") << "0x1A" << no;
    QTest::newRow("grouping") << "1,000" << no;
    QTest::newRow("exponent without digits") << "1e" << no;
    QTest::newRow("blank inside") << "1 000" << no;
    QTest::newRow("overflow") << "1e309" << no;
    QTest::newRow("overflow by digits") << "9" + QString(400, QLatin1Char('9')) << no;
    QTest::newRow("huge exponent") << "1e99999999999999999999" << no;
    QTest::newRow("fullwidth digits") << QString::fromUtf8("１２") << no;
}

void TstNumbers::parseNumeric()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(Show(ParseNumeric(text)), Show(value));
    QCOMPARE(IsNumeric(text), !std::isnan(value));
    // ParseSingle: the value when numeric and within a Single, else the default.
    const auto single = std::isnan(value) ? std::nullopt : ToSingle(value);
    QCOMPARE(ParseSingle(text, -1.0f), single.value_or(-1.0f));
}

// ToSingle, RoundToInt32 and RoundToInt16 of one value; nan: refused.
void TstNumbers::ranges_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("single");
    QTest::addColumn<double>("int32");
    QTest::addColumn<double>("int16");

    const double no = NAN, fmax = FLT_MAX;
    QTest::newRow("half down to even") << 12.5 << 12.5 << 12.0 << 12.0;
    QTest::newRow("half up to even") << 13.5 << 13.5 << 14.0 << 14.0;
    QTest::newRow("negative half") << -2.5 << -2.5 << -2.0 << -2.0;
    QTest::newRow("just above half") << 2.5000001 << double(2.5000001f) << 3.0 << 3.0;
    QTest::newRow("int16 max") << 32767.0 << 32767.0 << 32767.0 << 32767.0;
    QTest::newRow("int16 max + 0.5 rounds beyond") << 32767.5 << 32767.5 << 32768.0 << no;
    QTest::newRow("int16 min") << -32768.0 << -32768.0 << -32768.0 << -32768.0;
    QTest::newRow("int32 max") << 2147483647.0 << 2147483648.0 << 2147483647.0 << no;
    QTest::newRow("int32 max + 1") << 2147483648.0 << 2147483648.0 << no << no;
    QTest::newRow("int32 min") << -2147483648.0 << -2147483648.0 << -2147483648.0 << no;
    QTest::newRow("int32 min - 1") << -2147483649.0 << -2147483648.0 << no << no;
    QTest::newRow("just above FLT_MAX") << fmax * (1 + 1e-9) << fmax << no << no;
    QTest::newRow("just below -FLT_MAX") << -fmax * (1 + 1e-9) << -fmax << no << no;
    QTest::newRow("rounds to infinity") << 0x1.ffffffp+127 << no << no << no;
    QTest::newRow("negative far beyond") << -1e300 << no << no << no;
    QTest::newRow("infinity") << double(INFINITY) << no << no << no;
    QTest::newRow("nan") << double(NAN) << no << no << no;
}

void TstNumbers::ranges()
{
    QFETCH(double, value);
    QFETCH(double, single);
    QFETCH(double, int32);
    QFETCH(double, int16);
    QCOMPARE(Show(ToSingle(value)), Show(single));
    QCOMPARE(Show(RoundToInt32(value)), Show(int32));
    QCOMPARE(Show(RoundToInt16(value)), Show(int16));
}

// The decimal patterns: the shortest text of the Single, its digits rounded
// half up at the third decimal, whatever side of the half the binary value lies.
void TstNumbers::formatDecimals_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("decimal");  // "######0.###" and "#####0.###"
    QTest::addColumn<QString>("noLead");   // "####.###"

    QTest::newRow("500") << 500.0f << "500." << "500.";
    QTest::newRow("12.5") << 12.5f << "12.5" << "12.5";
    QTest::newRow("0.25") << 0.25f << "0.25" << ".25";
    QTest::newRow("0.5") << 0.5f << "0.5" << ".5";
    QTest::newRow("2.25") << 2.25f << "2.25" << "2.25";
    QTest::newRow("1.23456") << 1.23456f << "1.235" << "1.235";
    QTest::newRow("1234.5678") << 1234.5678f << "1234.568" << "1234.568";
    QTest::newRow("0") << 0.0f << "0." << ".";
    QTest::newRow("-2") << -2.0f << "-2." << "-2.";
    QTest::newRow("0.1") << 0.1f << "0.1" << ".1";
    QTest::newRow("0.0005, a half below in binary") << 0.0005f << "0.001" << ".001";
    QTest::newRow("2.0005, a half below in binary") << 2.0005f << "2.001" << "2.001";
    QTest::newRow("3.0015") << 3.0015f << "3.002" << "3.002";
    QTest::newRow("7.0035") << 7.0035f << "7.004" << "7.004";
    QTest::newRow("0.0625, an exact half") << 0.0625f << "0.063" << ".063";
    QTest::newRow("-0.0005") << -0.0005f << "-0.001" << "-.001";
    QTest::newRow("131072.125: shortest text has two decimals") << 131072.125f << "131072.12"
                                                                << "131072.12";
    QTest::newRow("65535.999 is the Single 65536") << 65535.999f << "65536." << "65536.";
    QTest::newRow("99999.99") << 99999.99f << "99999.99" << "99999.99";
    QTest::newRow("16777217 is the Single 16777216") << 16777217.0f << "16777216." << "16777216.";
    QTest::newRow("carry into the integer") << 9.9996f << "10." << "10.";
    QTest::newRow("rounds to zero") << 0.0004f << "0." << ".";
    QTest::newRow("rounds to zero, minus goes") << -0.0004f << "0." << ".";
    QTest::newRow("-FLT_MAX, no exponent form") << -FLT_MAX << "-340282346638528859811704183484516925440."
                                                << "-340282346638528859811704183484516925440.";
    QTest::newRow("nan does not crash") << float(NAN) << "0." << ".";
}

void TstNumbers::formatDecimals()
{
    QFETCH(float, value);
    QFETCH(QString, decimal);
    QFETCH(QString, noLead);
    QCOMPARE(FormatNumber(value, Pattern::Decimal), decimal);
    QCOMPARE(FormatNumber(value, Pattern::DecimalNoLead), noLead);
}

// The whole-number patterns, given integers and doubles: written exactly.
void TstNumbers::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<NumberPattern>("pattern");
    QTest::addColumn<QString>("expected");

    const NumberPattern two = Pattern::TwoDigits, digits = Pattern::Digits, whole = Pattern::Whole;
    QTest::newRow("#00: 3") << 3.0 << two << "03";
    QTest::newRow("#00: 12") << 12.0 << two << "12";
    QTest::newRow("#00: 123") << 123.0 << two << "123";
    QTest::newRow("###: 2") << 2.0 << digits << "2";
    QTest::newRow("###: 15") << 15.0 << digits << "15";
    QTest::newRow("######0: 0") << 0.0 << whole << "0";
    QTest::newRow("######0: -2") << -2.0 << whole << "-2";
    QTest::newRow("negative integral") << -3.0 << two << "-03";
    QTest::newRow("int32 max is no Single") << 2147483647.0 << whole << "2147483647";
    QTest::newRow("beyond 2^53") << 0x1p60 << whole << "1152921504606846976";
}

void TstNumbers::formatNumber()
{
    QFETCH(double, value);
    QFETCH(NumberPattern, pattern);
    QFETCH(QString, expected);
    QCOMPARE(FormatNumber(value, pattern), expected);
}

// Written, read back as a Single and written again gives the same text.
void TstNumbers::formatReadsBackStable()
{
    std::mt19937 rng(20240601);
    int checked = 0;
    for (int i = 0; i < 200000; ++i) {
        const std::uint32_t b = rng();
        float f;
        std::memcpy(&f, &b, sizeof f);
        if (!std::isfinite(f))
            continue;
        if (i % 2)  // also the magnitudes a machine file holds
            f = std::ldexp(std::fabs(f) - std::floor(std::fabs(f)), i % 30);
        const QString first = FormatNumber(f, Pattern::Decimal);
        const QString second = FormatNumber(ParseSingle(first, NAN), Pattern::Decimal);
        QVERIFY2(first == second, qPrintable(first + " then " + second));
        ++checked;
    }
    QVERIFY(checked > 100000);
}

void TstNumbers::upperSameLength_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii and latin-1") << QString::fromUtf8("name = abé") << QString::fromUtf8("NAME = ABÉ");
    QTest::newRow("sharp s keeps length") << QString::fromUtf8("straße") << QString::fromUtf8("STRAßE");
    QTest::newRow("ligature keeps length") << QString::fromUtf8("\uFB01x") << QString::fromUtf8("\uFB01X");
    QTest::newRow("supplementary letter") << QString::fromUtf8("\U00010428") << QString::fromUtf8("\U00010400");
    QTest::newRow("lone surrogate kept") << QString(QChar(0xD800)) + "a" << QString(QChar(0xD800)) + "A";
}

void TstNumbers::upperSameLength()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(UpperSameLength(text), expected);
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
    QTest::newRow("only spaces are trimmed") << QString::fromUtf8("\tA\u3000, \tB\t ") << ","
                                             << QString::fromUtf8("\tA\u3000") << "\tB\t";
}

void TstNumbers::getToken()
{
    QFETCH(QString, source);
    QFETCH(QString, separator);
    QFETCH(QString, token);
    QFETCH(QString, rest);
    QCOMPARE(GetToken(source, separator), token);
    QCOMPARE(source, rest);
}

QTEST_GUILESS_MAIN(TstNumbers)
#include "tst_numbers.moc"
