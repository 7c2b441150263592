#include "Numbers.h"

#include <QChar>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <system_error>

namespace {

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool IsAsciiDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

}  // namespace

std::optional<double> ParseNumeric(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && IsBlank(text.at(begin)))
        ++begin;
    while (end > begin && IsBlank(text.at(end - 1)))
        --end;

    // Check the form by hand: from_chars alone would also take "inf" and
    // "nan", and QString::toDouble grouping or locale forms.
    std::string ascii;
    ascii.reserve(std::size_t(end - begin));
    qsizetype i = begin;
    bool negative = false;
    if (i < end && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    std::string intDigits, fracDigits;
    while (i < end && IsAsciiDigit(text.at(i)))
        intDigits.push_back(char(text.at(i++).unicode()));
    if (i < end && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < end && IsAsciiDigit(text.at(i)))
            fracDigits.push_back(char(text.at(i++).unicode()));
    }
    if (intDigits.empty() && fracDigits.empty())
        return std::nullopt;
    ascii = intDigits.empty() ? std::string("0") : intDigits;
    if (!fracDigits.empty())
        ascii += "." + fracDigits;
    // Decimal exponent of the first significant digit, to tell an underflow
    // (read as zero) from an overflow (refused) when from_chars gives up.
    bool seenSignificant = true;
    long long leadExponent = 0;
    if (auto j = intDigits.find_first_not_of('0'); j != std::string::npos) {
        leadExponent = (long long)(intDigits.size() - j);
    } else if (auto k = fracDigits.find_first_not_of('0'); k != std::string::npos) {
        leadExponent = -(long long)k;
    } else {
        seenSignificant = false;
    }
    long long exponent = 0;
    if (i < end && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        ascii.push_back('e');
        ++i;
        bool expNegative = false;
        if (i < end && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
            expNegative = text.at(i) == QLatin1Char('-');
            ascii.push_back(char(text.at(i).unicode()));
            ++i;
        }
        qsizetype expDigits = 0;
        while (i < end && IsAsciiDigit(text.at(i))) {
            if (exponent < 1000000000LL)
                exponent = exponent * 10 + (text.at(i).unicode() - '0');
            ascii.push_back(char(text.at(i).unicode()));
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
        if (expNegative)
            exponent = -exponent;
    }
    if (i != end)
        return std::nullopt;
    if (!seenSignificant)
        return negative ? -0.0 : 0.0;

    double value = 0;
    const char *first = ascii.data();
    const char *last = first + ascii.size();
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (leadExponent + exponent <= 0)
            return negative ? -0.0 : 0.0;  // too small for a double: zero
        return std::nullopt;
    }
    if (ec != std::errc() || ptr != last || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

bool IsNumeric(const QString &text)
{
    return ParseNumeric(text).has_value();
}

std::optional<float> ToSingle(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // Halfway between FLT_MAX and the next power of two: from there on the
    // value would round to infinity.
    constexpr double kLimit = 0x1.ffffffp+127;
    if (std::fabs(value) >= kLimit)
        return std::nullopt;
    if (std::fabs(value) > double(FLT_MAX))
        return value < 0 ? -FLT_MAX : FLT_MAX;
    return float(value);
}

namespace {

template <typename Int>
std::optional<Int> RoundTo(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // nearbyint rounds half to even in the default rounding mode.
    const double r = std::nearbyint(value);
    if (r < double(std::numeric_limits<Int>::min()) || r > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return Int(r);
}

}  // namespace

std::optional<std::int32_t> RoundToInt32(double value)
{
    return RoundTo<std::int32_t>(value);
}

std::optional<std::int16_t> RoundToInt16(double value)
{
    return RoundTo<std::int16_t>(value);
}

float ParseSingle(const QString &text, float defaultValue)
{
    if (auto v = ParseNumeric(text))
        if (auto f = ToSingle(*v))
            return *f;
    return defaultValue;
}

namespace {

// Rounds the plain decimal digits "intPart.fracPart" to at most maxDecimals
// decimals, half up on the digits themselves (as the text reads, not as the
// binary value lies), carrying into the integer part.
void RoundDecimal(std::string &intPart, std::string &fracPart, int maxDecimals)
{
    if (int(fracPart.size()) <= maxDecimals)
        return;
    const bool roundUp = fracPart[std::size_t(maxDecimals)] >= '5';
    fracPart.resize(std::size_t(maxDecimals));
    if (!roundUp)
        return;
    std::string digits = intPart + fracPart;
    int k = int(digits.size()) - 1;
    while (k >= 0 && digits[std::size_t(k)] == '9') {
        digits[std::size_t(k)] = '0';
        --k;
    }
    if (k >= 0) {
        ++digits[std::size_t(k)];
    } else {
        digits.insert(digits.begin(), '1');
    }
    intPart = digits.substr(0, digits.size() - fracPart.size());
    fracPart = digits.substr(digits.size() - fracPart.size());
}

}  // namespace

QString FormatNumber(double value, NumberPattern pattern)
{
    if (std::isnan(value))
        value = 0;
    if (std::isinf(value))
        value = value < 0 ? -double(FLT_MAX) : double(FLT_MAX);

    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    std::string intPart, fracPart;
    char buf[512];

    if (magnitude == std::trunc(magnitude) && magnitude < 0x1p53) {
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(magnitude));
        intPart.assign(buf, res.ptr);
    } else {
        // Not integral (or beyond 2^53, where double is integral anyway but
        // cannot go through long long): the shortest text that reads back as
        // the same Single, in plain digits.
        const auto single = ToSingle(magnitude);
        const float f = single ? *single : FLT_MAX;
        std::to_chars_result res;
        if (magnitude >= 0x1p53)
            res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::fixed, 0);
        else
            res = std::to_chars(buf, buf + sizeof buf, f, std::chars_format::fixed);
        std::string text(buf, res.ptr);
        const auto dot = text.find('.');
        if (dot == std::string::npos) {
            intPart = text;
        } else {
            intPart = text.substr(0, dot);
            fracPart = text.substr(dot + 1);
        }
    }

    RoundDecimal(intPart, fracPart, pattern.maxDecimals);
    while (!fracPart.empty() && fracPart.back() == '0')
        fracPart.pop_back();
    // Leading zeros of the integer part go; the pattern puts back what it asks for.
    const auto firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? std::string() : intPart.substr(firstNonZero);
    const bool allZero = intPart.empty() && fracPart.empty();
    if (int(intPart.size()) < pattern.minIntegerDigits)
        intPart.insert(0, std::size_t(pattern.minIntegerDigits) - intPart.size(), '0');

    std::string out;
    if (negative && !allZero)
        out.push_back('-');
    out += intPart;
    if (pattern.alwaysPoint || !fracPart.empty()) {
        out.push_back('.');
        out += fracPart;
    }
    if (out.empty())
        out.push_back('0');  // "###" of zero: a number must show something
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

QString UpperSameLength(const QString &text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const char32_t cp = QChar::surrogateToUcs4(c, text.at(i + 1));
            const char32_t up = QChar::toUpper(cp);
            if (QChar::requiresSurrogates(up)) {
                out.append(QChar::highSurrogate(up));
                out.append(QChar::lowSurrogate(up));
            } else {
                out.append(text.mid(i, 2));  // would change the length
            }
            i += 2;
            continue;
        }
        const char32_t up = QChar::toUpper(char32_t(c.unicode()));
        out.append(QChar::requiresSurrogates(up) ? c : QChar(char16_t(up)));
        ++i;
    }
    return out;
}
