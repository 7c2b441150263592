#pragma once
// The one place that decides what is a number and how numbers are written.
// Numeric: optional sign, digits with an optional "." and fraction (or "."
// and digits), optional exponent, surrounding blanks. Nothing else: no
// grouping, no hex, no "nan" or "inf", and nothing beyond double's range.
#include <QString>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <optional>

std::optional<double> ParseNumeric(QStringView text);
inline std::optional<double> ParseNumeric(const QString &text)
{
    return ParseNumeric(QStringView(text));
}
bool IsNumeric(QStringView text);

// Range checks: a value beyond the target type is refused, never wrapped.
// (Inline: the reader calls it for every number of a file.)
inline std::optional<float> ToSingle(double value)
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
// Whole numbers from text round half to even (the file and window formats
// round their decimals half up: see FormatNumber).
std::optional<std::int32_t> RoundToInt32(double value);
std::optional<std::int16_t> RoundToInt16(double value);

// The text's value as a Single when numeric and within range, else the default.
float ParseSingle(QStringView text, float defaultValue);

// A number pattern: "######0.###" is {1, 3, true}, "####.###" {0, 3, true},
// "####00" and "#00" {2, 0, false}, "###" {0, 0, false}, "######0" {1, 0, false}.
struct NumberPattern {
    int minIntegerDigits;
    int maxDecimals;
    bool alwaysPoint;
};
namespace Pattern {
inline constexpr NumberPattern Decimal{1, 3, true};        // "######0.###", "#####0.###"
inline constexpr NumberPattern DecimalNoLead{0, 3, true};  // "####.###"
inline constexpr NumberPattern TwoDigits{2, 0, false};     // "####00", "#00"
inline constexpr NumberPattern Digits{0, 0, false};        // "###"
inline constexpr NumberPattern Whole{1, 0, false};         // "######0"
}  // namespace Pattern

// Integral values are written exactly; other values from the shortest text
// that reads back as the same Single, whose digits are then rounded half up
// at the last kept decimal: 2.0005 gives 2.001, however the binary value lies.
QString FormatNumber(double value, NumberPattern pattern);
// The same text in ASCII at out, which has room for kMaxNumberChars; returns
// its end.
inline constexpr int kMaxNumberChars = 400;
char *WriteNumber(char *out, double value, NumberPattern pattern);

// Upper case letter by letter, keeping the length (no "ß" -> "SS").
QString UpperSameLength(const QString &text);
// The same into out, whose room is kept from one call to the next.
void UpperSameLength(QStringView text, QString &out);
