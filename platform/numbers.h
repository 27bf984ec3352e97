#pragma once
// Numbers as text, the same everywhere and independent of the user's locale.
#include <QString>
#include <cstdint>
#include <type_traits>

namespace platform {

// Plain decimal, "-" for negatives, no blank, no "+".
QString Str(int64_t v);
inline QString Str(int v) { return Str(static_cast<int64_t>(v)); }
// The 64-bit type that int64_t is not (long long here, long elsewhere), so
// every integer argument finds an exact overload.
inline QString Str(std::conditional_t<std::is_same_v<int64_t, long>, long long, long> v)
{
    return Str(static_cast<int64_t>(v));
}
// The shortest text that reads back to the same value; a whole value has no
// point ("4", "-480"); NaN and infinities give "0".
QString Str(double v);

// The number at the start of the text after leading blanks (sign, digits,
// point, fraction, exponent; or "&h" and hex digits); 0 when there is none.
double Val(const QString& text);

// Truncation toward zero that saturates at the limits and gives 0 for NaN.
int64_t TruncToInt64(double v);
int32_t TruncToInt32(double v);

// Only the pattern "#.##" is used: rounded to two decimals, trailing zeros and
// a trailing point dropped, a leading zero kept ("0", "0.5", "12.35", "100").
QString Format(double v, const QString& pattern);

} // namespace platform
