// Number conversions: tables of cases, each run in the C locale and again
// with a decimal-comma locale, which is what the user's locale may be once
// Qt has called setlocale(LC_ALL, "").
#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using platform::Format;
using platform::Str;
using platform::TruncToInt32;
using platform::TruncToInt64;
using platform::Val;

constexpr double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

enum class LocaleKind { Current, DecimalComma };

class Numbers : public ::testing::TestWithParam<LocaleKind> {
protected:
    void SetUp() override
    {
        const char* current = std::setlocale(LC_ALL, nullptr);
        saved_ = current ? current : "C";
        if (GetParam() == LocaleKind::Current)
            return;
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                                 "nl_NL.UTF-8", "it_IT.UTF-8", "es_ES.UTF-8"}) {
            if (std::setlocale(LC_ALL, name) && std::strcmp(std::localeconv()->decimal_point, ",") == 0)
                return;
        }
        std::setlocale(LC_ALL, saved_.c_str());
        GTEST_SKIP() << "no decimal-comma locale installed on this machine";
    }
    void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }

private:
    std::string saved_;
};

std::string name(LocaleKind k)
{
    return k == LocaleKind::Current ? "CurrentLocale" : "DecimalCommaLocale";
}

TEST_P(Numbers, StrOfIntegers)
{
    struct Case {
        int64_t v;
        const char* text;
    };
    const std::vector<Case> cases = {
        {0, "0"},
        {7, "7"},
        {-7, "-7"},
        {1234567, "1234567"},
        {std::numeric_limits<int64_t>::max(), "9223372036854775807"},
        {std::numeric_limits<int64_t>::min(), "-9223372036854775808"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Str(c.v).toStdString(), c.text);
    // The other integer overloads reach the same conversion.
    EXPECT_EQ(Str(-42), QStringLiteral("-42"));
    EXPECT_EQ(Str(static_cast<long long>(-5000000000LL)), QStringLiteral("-5000000000"));
    EXPECT_EQ(Str(static_cast<long>(123)), QStringLiteral("123"));
}

TEST_P(Numbers, StrOfDoubles)
{
    struct Case {
        double v;
        const char* text;
    };
    const std::vector<Case> cases = {
        {0.0, "0"},
        {-0.0, "0"},
        {4.0, "4"},
        {-480.0, "-480"},
        {0.5, "0.5"},
        {-2.5, "-2.5"},
        {0.1 + 0.2, "0.30000000000000004"},
        {200.0 / 3.0, "66.66666666666667"},
        {1e6, "1000000"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1e+15"},
        {1e20, "1e+20"},
        {-1e20, "-1e+20"},
        {1e-7, "1e-07"},
        {0.001, "0.001"},
        {0.0001, "1e-04"}, // shorter than "0.0001"
        {std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
        {std::numeric_limits<double>::denorm_min(), "5e-324"},
        {nan, "0"},
        {inf, "0"},
        {-inf, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Str(c.v).toStdString(), c.text);
}

TEST_P(Numbers, StrReadsBackExactlyThroughVal)
{
    std::vector<double> values = {0.1, 0.2, 0.1 + 0.2, 1.0 / 3.0, 200.0 / 3.0, 98.33333333333333,
                                  1e15, 1e20, 1e21, 123456.789, -9.87654321e-5,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::denorm_min(),
                                  9007199254740993.0, -1e300};
    // Plus bit patterns spread over the whole range of finite doubles.
    std::mt19937_64 gen(12345);
    while (values.size() < 2000) {
        const uint64_t bits = gen();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v))
            values.push_back(v);
    }
    for (double v : values) {
        const QString text = Str(v);
        const double back = Val(text);
        EXPECT_EQ(back, v) << text.toStdString();
    }
}

TEST_P(Numbers, ValReadsTheLeadingNumber)
{
    struct Case {
        QString text;
        double v;
    };
    const std::vector<Case> cases = {
        {"", 0},
        {"   ", 0},
        {"abc", 0},
        {"12abc", 12},
        {".5", 0.5},
        {"-.5", -0.5},
        {"5.", 5},
        {".", 0},
        {"-", 0},
        {"+", 0},
        {"+3", 3},
        {"--5", 0},
        {"+-5", 0},
        {"  -12.5e1xyz", -125},
        {"\t\t7", 7},
        {" \t 8.25 ", 8.25},
        {"1e", 1},
        {"1e+", 1},
        {"1e-", 1},
        {"1ex", 1},
        {"1e-2", 0.01},
        {"1E3", 1000},
        {"1.5e+2", 150},
        {"1e5e5", 1e5},
        {"12.5.6", 12.5},
        {"1,5", 1}, // a comma is never a decimal point
        {"00012", 12},
        {"0.000", 0},
        {" 3 4", 3},
        {"0.1", 0.1},
        {"9223372036854775807", 9223372036854775807.0},
        {"-9223372036854775808", -9223372036854775808.0},
        {"&hFF", 255},
        {"&hff", 255},
        {"&H1a", 26},
        {"&h00ffZZ", 255},
        {"&h", 0},
        {"&hG1", 0},
        {"&h-1", 0},
        {"  &h10", 16},
        {"& h10", 0},
        {"1e400", inf},
        {"-1e400", -inf},
        {"1e-400", 0},
        {"1e999999999999999999999", inf},
        {"1e-999999999999999999999", 0},
        {"0.0000001e-9999", 0},
        {"0.1e309", 1e308},
        {"10e308", inf},
        {"0.01e309", 1e307},
        {"1" + QString(400, u'0'), inf},
        {"0." + QString(400, u'0') + "1", 0},
        {"0." + QString(400, u'0') + "1e410", 1e9},
        {"1" + QString(100000, u'2'), inf},
        {QString::fromUtf8("\uFF11"), 0},      // a full-width digit is not a digit
        {QString::fromUtf8("\u00A012"), 0},    // nor is a no-break space a blank
        {QString::fromUtf8("12\u00E9"), 12},
    };
    for (const auto& c : cases) {
        const double v = Val(c.text);
        if (std::isinf(c.v))
            EXPECT_EQ(v, c.v) << c.text.left(40).toStdString();
        else
            EXPECT_DOUBLE_EQ(v, c.v) << c.text.left(40).toStdString();
        EXPECT_FALSE(std::isnan(v));
    }
}

TEST_P(Numbers, TruncationSaturatesAndSendsNaNToZero)
{
    constexpr int64_t max64 = std::numeric_limits<int64_t>::max();
    constexpr int64_t min64 = std::numeric_limits<int64_t>::min();
    struct Case64 {
        double v;
        int64_t r;
    };
    const std::vector<Case64> cases64 = {
        {0.0, 0},
        {-0.0, 0},
        {2.9, 2},
        {-2.9, -2},
        {7.9, 7},
        {45.5, 45},
        {nan, 0},
        {inf, max64},
        {-inf, min64},
        {1e19, max64},
        {-1e19, min64},
        {9223372036854775808.0, max64},        // 2^63, one above the limit
        {-9223372036854775808.0, min64},       // -2^63, the limit itself
        {9223372036854774784.0, 9223372036854774784LL}, // largest double below 2^63
    };
    for (const auto& c : cases64)
        EXPECT_EQ(TruncToInt64(c.v), c.r) << c.v;

    constexpr int32_t max32 = std::numeric_limits<int32_t>::max();
    constexpr int32_t min32 = std::numeric_limits<int32_t>::min();
    struct Case32 {
        double v;
        int32_t r;
    };
    const std::vector<Case32> cases32 = {
        {0.0, 0},     {2.9, 2},      {-2.9, -2},  {nan, 0},
        {inf, max32}, {-inf, min32}, {1e10, max32}, {-1e10, min32},
        {2147483647.9, max32}, {2147483648.0, max32},
        {-2147483648.5, min32}, {-2147483647.9, -2147483647},
    };
    for (const auto& c : cases32)
        EXPECT_EQ(TruncToInt32(c.v), c.r) << c.v;
}

TEST_P(Numbers, FormatRoundsTheWrittenValueToTwoDecimals)
{
    struct Case {
        double v;
        const char* text;
    };
    const std::vector<Case> cases = {
        {0.0, "0"},
        {-0.0, "0"},
        {100.0, "100"},
        {85.0, "85"},
        {-2.5, "-2.5"},
        {0.5, "0.5"},
        {1.2, "1.2"},
        {0.1 + 0.2, "0.3"},
        {12.345, "12.35"},  // held as 12.3449999..., written "12.345"
        {-12.345, "-12.35"},
        {12.344999, "12.34"},
        {1.005, "1.01"},
        {2.675, "2.68"},
        {0.004, "0"},
        {-0.004, "0"},       // never "-0"
        {0.005, "0.01"},
        {-0.005, "-0.01"},
        {99.999, "100"},
        {9.995, "10"},
        {200.0 / 3.0, "66.67"},
        {98.33333333333333, "98.33"},
        {96.66666666666667, "96.67"},
        {1e20, "100000000000000000000"},
        {std::numeric_limits<double>::denorm_min(), "0"},
        {nan, "0"},
        {inf, "0"},
        {-inf, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(c.v, QStringLiteral("#.##")).toStdString(), c.text);

    // The count of '#' after the point is the number of decimals.
    EXPECT_EQ(Format(2.5, QStringLiteral("#")), QStringLiteral("3"));
    EXPECT_EQ(Format(1.25, QStringLiteral("#.#")), QStringLiteral("1.3"));
    EXPECT_EQ(Format(1.23456, QStringLiteral("#.###")), QStringLiteral("1.235"));
}

INSTANTIATE_TEST_SUITE_P(Locales, Numbers,
                         ::testing::Values(LocaleKind::Current, LocaleKind::DecimalComma),
                         [](const auto& info) { return name(info.param); });

} // namespace
