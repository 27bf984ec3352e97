#include "platform/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

// Every conversion here goes through std::to_chars / std::from_chars, which
// ignore the C locale: Qt sets the user's locale at start-up, and a decimal
// comma must never change what the data file or a label says.

namespace platform {

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Whole values below this magnitude are written as plain digits; above it
// the shortest form may use an exponent ("1e+20"), which Val reads back.
constexpr double plainWholeLimit = 1e15;

} // namespace

QString Str(int64_t v)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, static_cast<qsizetype>(r.ptr - buf));
}

QString Str(double v)
{
    if (!std::isfinite(v) || v == 0)
        return QStringLiteral("0"); // also -0
    // The shortest form would write a million as "1e+06"; a whole number
    // reads better as digits.
    if (std::abs(v) < plainWholeLimit && std::trunc(v) == v)
        return Str(static_cast<int64_t>(v));
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, static_cast<qsizetype>(r.ptr - buf));
}

double Val(const QString& text)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    const char16_t* end = p + text.size();
    while (p != end && (*p == u' ' || *p == u'\t'))
        ++p;

    if (end - p >= 2 && p[0] == u'&' && (p[1] == u'h' || p[1] == u'H')) {
        double v = 0;
        for (p += 2; p != end; ++p) {
            int d = hexDigit(*p);
            if (d < 0)
                break;
            v = v * 16 + d;
        }
        return v;
    }

    // Copy the number's characters into a plain ASCII text that from_chars
    // accepts: no "+", at least one digit before the point.
    std::string num;
    bool negative = false;
    if (p != end && (*p == u'+' || *p == u'-')) {
        negative = *p == u'-';
        ++p;
    }
    if (negative)
        num += '-';

    bool anyDigit = false;
    // Decimal position of the first significant digit, to tell an overflow
    // from an underflow when from_chars reports out of range.
    int64_t leadExponent = 0;
    bool significantSeen = false;
    std::string intDigits;
    for (; p != end && isDigit(*p); ++p) {
        anyDigit = true;
        if (!significantSeen && *p == u'0')
            continue; // leading zeros say nothing
        significantSeen = true;
        intDigits += static_cast<char>(*p);
    }
    leadExponent = static_cast<int64_t>(intDigits.size());
    num += intDigits.empty() ? std::string("0") : intDigits;

    if (p != end && *p == u'.') {
        ++p;
        std::string frac;
        for (; p != end && isDigit(*p); ++p) {
            anyDigit = true;
            if (!significantSeen) {
                if (*p == u'0') {
                    --leadExponent;
                } else {
                    significantSeen = true;
                }
            }
            frac += static_cast<char>(*p);
        }
        if (!frac.empty()) {
            num += '.';
            num += frac;
        }
    }
    if (!anyDigit)
        return 0;

    // An exponent counts only when digits follow its letter (and sign).
    if (p != end && (*p == u'e' || *p == u'E')) {
        const char16_t* q = p + 1;
        bool expNegative = false;
        if (q != end && (*q == u'+' || *q == u'-')) {
            expNegative = *q == u'-';
            ++q;
        }
        if (q != end && isDigit(*q)) {
            // Capped far beyond any double's range, so it cannot overflow.
            int64_t e = 0;
            for (; q != end && isDigit(*q); ++q)
                e = std::min<int64_t>(e * 10 + (*q - u'0'), 1000000000);
            char expBuf[16];
            auto er = std::to_chars(expBuf, expBuf + sizeof expBuf, e);
            num += 'e';
            if (expNegative)
                num += '-';
            num.append(expBuf, er.ptr);
            leadExponent += expNegative ? -e : e;
        }
    }

    double v = 0;
    auto r = std::from_chars(num.data(), num.data() + num.size(), v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large gives an infinity (callers that need a finite value check
        // for it), too small gives zero.
        if (significantSeen && leadExponent > 0)
            return negative ? -std::numeric_limits<double>::infinity()
                            : std::numeric_limits<double>::infinity();
        return 0;
    }
    if (r.ec != std::errc())
        return 0;
    return v;
}

int64_t TruncToInt64(double v)
{
    if (std::isnan(v))
        return 0;
    // 2^63 is exactly representable; every double below it fits.
    if (v >= 9223372036854775808.0)
        return std::numeric_limits<int64_t>::max();
    if (v <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(v);
}

int32_t TruncToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Format rounds the value as it is written, not its binary approximation:
// 12.345 is held as 12.3449999..., but its shortest text is "12.345", and
// that is what rounds, half away from zero, to "12.35". The number of
// decimals is the count of '#' after the pattern's point ("#.##" gives two,
// "#" none); the pattern's other characters are not interpreted.
QString Format(double v, const QString& pattern)
{
    if (!std::isfinite(v))
        return QStringLiteral("0");

    int decimals = 0;
    const qsizetype point = pattern.indexOf(u'.');
    if (point >= 0)
        for (qsizetype i = point + 1; i < pattern.size() && pattern[i] == u'#'; ++i)
            ++decimals;

    // Shortest round-trip text in fixed notation: at most about 330
    // characters for the extremes of a double.
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, std::abs(v), std::chars_format::fixed);
    std::string text(buf, r.ptr);

    std::string whole = text;
    std::string frac;
    if (auto dot = text.find('.'); dot != std::string::npos) {
        whole = text.substr(0, dot);
        frac = text.substr(dot + 1);
    }

    bool roundUp = frac.size() > static_cast<std::size_t>(decimals)
                   && frac[static_cast<std::size_t>(decimals)] >= '5';
    if (frac.size() > static_cast<std::size_t>(decimals))
        frac.resize(static_cast<std::size_t>(decimals));

    std::string digits = whole + frac; // carry runs through both parts
    if (roundUp) {
        int i = static_cast<int>(digits.size()) - 1;
        for (; i >= 0; --i) {
            if (digits[static_cast<std::size_t>(i)] == '9') {
                digits[static_cast<std::size_t>(i)] = '0';
            } else {
                ++digits[static_cast<std::size_t>(i)];
                break;
            }
        }
        if (i < 0)
            digits.insert(digits.begin(), '1');
    }
    const std::size_t wholeLen = digits.size() - frac.size();
    whole = digits.substr(0, wholeLen);
    frac = digits.substr(wholeLen);

    while (!frac.empty() && frac.back() == '0')
        frac.pop_back();
    std::size_t firstNonZero = whole.find_first_not_of('0');
    whole = firstNonZero == std::string::npos ? std::string("0") : whole.substr(firstNonZero);

    const bool isZero = whole == "0" && frac.empty();
    std::string out;
    if (v < 0 && !isZero)
        out += '-';
    out += whole;
    if (!frac.empty()) {
        out += '.';
        out += frac;
    }
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace platform
