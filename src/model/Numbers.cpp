#include "Numbers.h"

#include <QChar>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
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

namespace {

// Where the parts of a decimal number lie in a text, once its form is checked.
struct DecimalForm {
    bool negative = false;
    qsizetype intBegin = 0, intEnd = 0;    // the digits before the point
    qsizetype fracBegin = 0, fracEnd = 0;  // the digits after it
    qsizetype end = 0;                     // of the whole, exponent included
    bool hasExponent = false;
    long long exponent = 0;  // capped far beyond any double
};

// The sign, digits, point and exponent of text[begin, end), checked by hand:
// from_chars alone would also take "inf" and "nan", and QString::toDouble
// grouping or locale forms.
std::optional<DecimalForm> ScanDecimal(QStringView text, qsizetype begin, qsizetype end)
{
    DecimalForm f;
    qsizetype i = begin;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        f.negative = text[i] == u'-';
        ++i;
    }
    f.intBegin = i;
    while (i < end && IsAsciiDigit(text[i]))
        ++i;
    f.intEnd = f.fracBegin = f.fracEnd = i;
    if (i < end && text[i] == u'.') {
        f.fracBegin = f.fracEnd = ++i;
        while (f.fracEnd < end && IsAsciiDigit(text[f.fracEnd]))
            ++f.fracEnd;
        i = f.fracEnd;
    }
    if (f.intBegin == f.intEnd && f.fracBegin == f.fracEnd)
        return std::nullopt;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool expNegative = false;
        if (i < end && (text[i] == u'+' || text[i] == u'-')) {
            expNegative = text[i] == u'-';
            ++i;
        }
        const qsizetype digitsBegin = i;
        while (i < end && IsAsciiDigit(text[i])) {
            if (f.exponent < 1000000000LL)
                f.exponent = f.exponent * 10 + (text[i].unicode() - '0');
            ++i;
        }
        if (i == digitsBegin)
            return std::nullopt;
        f.hasExponent = true;
        f.exponent = expNegative ? -f.exponent : f.exponent;
    }
    if (i != end)
        return std::nullopt;
    f.end = end;
    return f;
}

// The decimal exponent of the first significant digit, to tell an underflow
// (read as zero) from an overflow (refused) when from_chars gives up; nothing
// when every digit is zero.
std::optional<long long> LeadExponent(QStringView text, const DecimalForm &f)
{
    auto firstNonZero = [&text](qsizetype from, qsizetype to) {
        while (from < to && text[from] == u'0')
            ++from;
        return from;
    };
    if (const qsizetype j = firstNonZero(f.intBegin, f.intEnd); j < f.intEnd)
        return f.intEnd - j;
    if (const qsizetype k = firstNonZero(f.fracBegin, f.fracEnd); k < f.fracEnd)
        return -(k - f.fracBegin);
    return std::nullopt;
}

// Few digits and no exponent: digits and power of ten are both exact as
// doubles, so one division rounds correctly, as from_chars would.
std::optional<double> FewDigits(QStringView text, const DecimalForm &f)
{
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (f.hasExponent || (f.intEnd - f.intBegin) + (f.fracEnd - f.fracBegin) >= 16)
        return std::nullopt;
    std::uint64_t digits = 0;
    for (qsizetype k = f.intBegin; k < f.intEnd; ++k)
        digits = digits * 10 + (text[k].unicode() - '0');
    for (qsizetype k = f.fracBegin; k < f.fracEnd; ++k)
        digits = digits * 10 + (text[k].unicode() - '0');
    const double whole = double(digits);
    return f.fracEnd == f.fracBegin ? whole : whole / kPowersOfTen[f.fracEnd - f.fracBegin];
}

// Any other: the checked text without its sign (a lone fraction given a 0
// before its point) through from_chars, on the stack unless it is unusually
// long.
std::optional<double> ManyDigits(QStringView text, const DecimalForm &f, long long leadExponent)
{
    char small[64];
    std::string large;
    const qsizetype length = f.end - f.intBegin + 1;
    char *first = small;
    if (length > qsizetype(sizeof small)) {
        large.resize(std::size_t(length));
        first = large.data();
    }
    char *last = first;
    if (f.intBegin == f.intEnd)
        *last++ = '0';
    const bool bareTrailingPoint = f.fracBegin > f.intEnd && f.fracBegin == f.fracEnd;
    for (qsizetype k = f.intBegin; k < f.end; ++k)
        if (k != f.intEnd || !bareTrailingPoint)
            *last++ = char(text[k].unicode());

    double value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range)
        return leadExponent + f.exponent <= 0 ? std::optional<double>(0.0) : std::nullopt;
    if (ec != std::errc() || ptr != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> ParseNumeric(QStringView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    const std::optional<DecimalForm> form = ScanDecimal(text, begin, end);
    if (!form)
        return std::nullopt;
    const std::optional<long long> lead = LeadExponent(text, *form);
    std::optional<double> value = !lead ? std::optional<double>(0.0) : FewDigits(text, *form);
    if (!value)
        value = ManyDigits(text, *form, *lead);
    if (!value)
        return std::nullopt;
    return form->negative ? -*value : *value;
}

bool IsNumeric(QStringView text)
{
    return ParseNumeric(text).has_value();
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

float ParseSingle(QStringView text, float defaultValue)
{
    if (auto v = ParseNumeric(text))
        if (auto f = ToSingle(*v))
            return *f;
    return defaultValue;
}

QString FormatNumber(double value, NumberPattern pattern)
{
    char text[kMaxNumberChars];
    return QString::fromLatin1(text, WriteNumber(text, value, pattern) - text);
}

namespace {

// The decimal digits of a magnitude, without the point, one place left free
// in front of them for a carry; fracLength of them are decimals.
struct Digits {
    char buffer[kMaxNumberChars - 8];
    char *first = buffer + 1;
    char *last = first;
    qsizetype fracLength = 0;
};

void MakeDigits(double magnitude, Digits &d)
{
    char *const end = std::end(d.buffer);
    // A Single below 2^15 whose thousandfold is whole (the halves, quarters
    // and eighths of everyday sizes) has at most three decimals, and its
    // spacing is below 0.002, so no shorter text reads back as it: its exact
    // decimals are the shortest text, and rounding leaves them alone.
    const double thousandfold = double(float(magnitude)) * 1000;
    if (magnitude == std::trunc(magnitude) && magnitude < 0x1p53) {
        d.last = std::to_chars(d.first, end, static_cast<long long>(magnitude)).ptr;
        return;
    }
    if (magnitude < 0x1p15 && thousandfold == std::trunc(thousandfold)) {
        const auto whole = static_cast<long long>(thousandfold);
        d.last = std::to_chars(d.first, end, whole / 1000).ptr;
        for (long long unit = 100; unit > 0; unit /= 10)
            *d.last++ = char('0' + whole / unit % 10);
        d.fracLength = 3;
        return;
    }
    // Not integral (or beyond 2^53, where double is integral anyway but
    // cannot go through long long): the shortest text that reads back as the
    // same Single, in plain digits.
    const auto single = ToSingle(magnitude);
    const float f = single ? *single : FLT_MAX;
    d.last = magnitude >= 0x1p53
                 ? std::to_chars(d.first, end, magnitude, std::chars_format::fixed, 0).ptr
                 : std::to_chars(d.first, end, f, std::chars_format::fixed).ptr;
    if (char *point = std::find(d.first, d.last, '.'); point != d.last) {
        for (char *k = point; k + 1 < d.last; ++k)
            *k = k[1];
        --d.last;
        d.fracLength = d.last - point;
    }
}

// Rounded half up on the digits themselves (as the text reads, not as the
// binary value lies), carrying into the integer part; trailing zeros of the
// fraction and leading zeros of the integer part go.
void RoundDigits(Digits &d, int maxDecimals)
{
    if (d.fracLength > maxDecimals) {
        const bool roundUp = d.last[maxDecimals - d.fracLength] >= '5';
        d.last -= d.fracLength - maxDecimals;
        d.fracLength = maxDecimals;
        if (roundUp) {
            char *k = d.last;
            while (k > d.first && k[-1] == '9')
                *--k = '0';
            if (k > d.first)
                ++k[-1];
            else
                *--d.first = '1';
        }
    }
    while (d.fracLength > 0 && d.last[-1] == '0') {
        --d.last;
        --d.fracLength;
    }
    char *const intEnd = d.last - d.fracLength;
    while (d.first < intEnd && *d.first == '0')
        ++d.first;
}

}  // namespace

char *WriteNumber(char *out, double value, NumberPattern pattern)
{
    if (std::isnan(value))
        value = 0;
    if (std::isinf(value))
        value = value < 0 ? -double(FLT_MAX) : double(FLT_MAX);
    Digits d;
    MakeDigits(std::fabs(value), d);
    RoundDigits(d, pattern.maxDecimals);

    // The pattern puts back the leading zeros it asks for.
    const char *const intEnd = d.last - d.fracLength;
    const qsizetype intLength = intEnd - d.first;
    char *to = out;
    if (std::signbit(value) && d.first != d.last)
        *to++ = '-';
    for (qsizetype k = intLength; k < pattern.minIntegerDigits; ++k)
        *to++ = '0';
    // Digit by digit: a library copy costs more than these few characters.
    for (const char *k = d.first; k < intEnd; ++k)
        *to++ = *k;
    if (pattern.alwaysPoint || d.fracLength > 0) {
        *to++ = '.';
        for (const char *k = intEnd; k < d.last; ++k)
            *to++ = *k;
    }
    if (to == out)
        *to++ = '0';  // "###" of zero: a number must show something
    return to;
}

namespace {

// The upper case of a character below 0x80.
char16_t AsciiUpper(char16_t c)
{
    return char16_t(c - (char16_t(c - u'a') < 26 ? 0x20 : 0));
}

}  // namespace

void UpperSameLength(QStringView text, QString &out)
{
    const qsizetype n = text.size();
    out.resize(n);
    QChar *to = out.data();
    // Files are mostly ASCII, whose letters need no tables: the whole line
    // four characters at a time, and only a line with other characters a
    // second time, letter by letter (what the first pass made of them is
    // then overwritten).
    const char16_t *from = text.utf16();
    char16_t *ascii = reinterpret_cast<char16_t *>(to);
    constexpr std::uint64_t kLanes = 0x0001000100010001, kBit7 = 0x80 * kLanes;
    std::uint64_t seen = 0;
    qsizetype k = 0;
    for (; k + 4 <= n; k += 4) {
        std::uint64_t w;
        std::memcpy(&w, from + k, sizeof w);
        seen |= w;
        // In a lane below 0x80 neither sum carries out: bit 7 of the first
        // is set from "a" up, of the second above "z".
        const std::uint64_t fromA = w + (0x80 - 'a') * kLanes, aboveZ = w + (0x7F - 'z') * kLanes;
        w -= (fromA & ~aboveZ & kBit7) >> 2;
        std::memcpy(ascii + k, &w, sizeof w);
    }
    for (; k < n; ++k) {
        const char16_t c = from[k];
        seen |= c;
        ascii[k] = AsciiUpper(c);
    }
    qsizetype i = (seen & ~(0x7F * kLanes)) == 0 ? n : 0;
    while (i < n) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            const char32_t up = QChar::toUpper(QChar::surrogateToUcs4(c, text[i + 1]));
            // Kept as it is when upper case would change the length.
            const bool pair = QChar::requiresSurrogates(up);
            to[i] = pair ? QChar(QChar::highSurrogate(up)) : c;
            to[i + 1] = pair ? QChar(QChar::lowSurrogate(up)) : text[i + 1];
            i += 2;
            continue;
        }
        if (c.unicode() < 0x80) {
            to[i++] = QChar(AsciiUpper(c.unicode()));
            continue;
        }
        const char32_t up = QChar::toUpper(char32_t(c.unicode()));
        to[i++] = QChar::requiresSurrogates(up) ? c : QChar(char16_t(up));
    }
}

QString UpperSameLength(const QString &text)
{
    QString out;
    UpperSameLength(text, out);
    return out;
}
