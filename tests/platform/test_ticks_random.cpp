// The tick counter and the random generators.
#include "platform/random.h"
#include "platform/ticks.h"
#include "support/doubles/fake_ticks.h"
#include "support/doubles/scripted_random.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <set>
#include <stdexcept>

namespace {

using platform::FakeTicks;
using platform::ScopedTickSource;
using platform::Ticks;

TEST(Ticks, ConvertsNanosecondsExactlyWithoutOverflow)
{
    struct Case {
        int64_t ns;
        int64_t ticks;
    };
    const Case cases[] = {
        {0, 0},
        {16'666'666, 0},          // just short of one tick
        {16'666'667, 1},
        {999'999'999, 59},
        {1'000'000'000, 60},
        {3'600'000'000'000, 216'000}, // one hour
        // A product ns * 60 would overflow here; the split form must not.
        {std::numeric_limits<int64_t>::max(), 553'402'322'211},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::ticksFromNanoseconds(c.ns), c.ticks) << "ns = " << c.ns;
}

// The time to the next boundary is exactly where the tick count goes up:
// one nanosecond earlier it has not, at it it has.
TEST(Ticks, TimeToTheNextTickEndsWhereTheCountGoesUp)
{
    struct Case {
        int64_t ns;
        int64_t toNext;
    };
    const Case cases[] = {
        {0, 16'666'667},
        {16'666'666, 1},
        {16'666'667, 16'666'667}, // tick 2 begins at 33'333'334
        {983'333'334, 16'666'666}, // the last tick of a second ends with it
        {999'999'999, 1},
        {1'000'000'000, 16'666'667},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::nanosecondsToNextTick(c.ns), c.toNext) << "ns = " << c.ns;

    const int64_t starts[] = {0, 5'000'000'123, 3'600'000'000'000, std::numeric_limits<int64_t>::max() / 2};
    for (int64_t start : starts) {
        for (int64_t ns = start; ns < start + 2'000'000'000; ns += 999'983) {
            const int64_t toNext = platform::nanosecondsToNextTick(ns);
            ASSERT_GE(toNext, 1);
            ASSERT_LE(toNext, platform::tickNanoseconds);
            ASSERT_EQ(platform::ticksFromNanoseconds(ns + toNext - 1), platform::ticksFromNanoseconds(ns)) << ns;
            ASSERT_EQ(platform::ticksFromNanoseconds(ns + toNext), platform::ticksFromNanoseconds(ns) + 1) << ns;
        }
    }
}

TEST(Ticks, MonotonicClockFollowsSteadyClockAndNeverGoesBack)
{
    using namespace std::chrono;
    auto steadyTicks = [] {
        return platform::ticksFromNanoseconds(
            duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
    };
    const int64_t before = steadyTicks();
    int64_t previous = Ticks();
    for (int i = 0; i < 200'000; ++i) {
        const int64_t now = Ticks();
        ASSERT_GE(now, previous);
        previous = now;
    }
    const int64_t after = steadyTicks();
    // Same clock, same scale: every reading lies between the two around it.
    EXPECT_GE(previous, before);
    EXPECT_LE(previous, after);
}

TEST(FakeTicks, StepsByHandAndCountsReads)
{
    FakeTicks clock;
    EXPECT_EQ(clock.now, 1000);
    ScopedTickSource use(&clock);
    EXPECT_EQ(Ticks(), 1000);
    EXPECT_EQ(Ticks(), 1000);
    clock.advance(7);
    EXPECT_EQ(Ticks(), 1007);
    clock.now = -5;
    EXPECT_EQ(Ticks(), -5);
    EXPECT_EQ(clock.reads, 4);
}

TEST(FakeTicks, OnReadMovesTheClockBetweenTwoReadingsOfOneHandler)
{
    FakeTicks clock(50);
    clock.onRead = [](FakeTicks& c) { c.advance(3); };
    ScopedTickSource use(&clock);

    // A handler that reads twice, like one that stores Ticks in two fields.
    const int64_t first = Ticks();
    const int64_t second = Ticks();
    EXPECT_EQ(first, 50) << "the reading is taken before onRead runs";
    EXPECT_EQ(second, 53);
    EXPECT_EQ(clock.now, 56);
    EXPECT_EQ(clock.reads, 2);

    // onRead sees the count of the reading that triggered it.
    std::vector<int64_t> seen;
    clock.onRead = [&seen](FakeTicks& c) { seen.push_back(c.reads); };
    Ticks();
    EXPECT_EQ(seen, std::vector<int64_t>{3});
}

TEST(FakeTicks, SetToNanosecondsGivesTheTickAndTheTimeToItsEndAsTheMonotonicClock)
{
    FakeTicks clock;
    ScopedTickSource use(&clock);
    EXPECT_EQ(platform::untilNextTick(), FakeTicks::inPhaseUntilNextTick) << "stepped by ticks: 5 ms into one";
    clock.setNanoseconds(60'000'000'000 + 20'000'000); // 3.33 ms into tick 3601
    EXPECT_EQ(Ticks(), 3601);
    EXPECT_EQ(platform::untilNextTick(), 13'333'334);
}

TEST(FakeTicks, ScopeEndRestoresTheMonotonicClock)
{
    FakeTicks clock(-1'000'000);
    {
        ScopedTickSource use(&clock);
        EXPECT_EQ(Ticks(), -1'000'000);
    }
    EXPECT_GT(Ticks(), 0);
    EXPECT_EQ(clock.reads, 1);
}

// ---------------------------------------------------------------------------

TEST(Random, InRangeStaysInsideAndReachesBothBounds)
{
    struct Case {
        int64_t lo, hi;
    };
    const Case cases[] = {
        {0, 1}, {1, 2}, {0, 6}, {4, 5}, {-3, 3}, {2, 4},
        {std::numeric_limits<int64_t>::max() - 1, std::numeric_limits<int64_t>::max()},
        {std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::min() + 2},
    };
    platform::Random random;
    for (const Case& c : cases) {
        std::set<int64_t> seen;
        for (int i = 0; i < 3000; ++i) {
            const int64_t v = random.InRange(c.lo, c.hi);
            ASSERT_GE(v, c.lo) << c.lo << ".." << c.hi;
            ASSERT_LE(v, c.hi) << c.lo << ".." << c.hi;
            seen.insert(v);
        }
        EXPECT_EQ(int64_t(seen.size()), c.hi - c.lo + 1) << c.lo << ".." << c.hi;
    }
}

TEST(Random, OneValueAndReversedRangesGiveTheLowBound)
{
    platform::Random random;
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(random.InRange(4, 4), 4);
        EXPECT_EQ(random.InRange(5, 2), 5);
    }
    // The full range must not trip the distribution.
    random.InRange(std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
}

TEST(Random, EachGeneratorIsSeededFromTheSystem)
{
    platform::Random a, b;
    std::vector<int64_t> fromA, fromB;
    for (int i = 0; i < 4; ++i) {
        fromA.push_back(a.InRange(0, int64_t(1) << 62));
        fromB.push_back(b.InRange(0, int64_t(1) << 62));
    }
    EXPECT_NE(fromA, fromB);
}

TEST(ScriptedRandom, ReturnsTheScriptInOrderAndRecordsEveryCall)
{
    platform::ScriptedRandom random{2, 0, 6};
    platform::Random& asBase = random; // the program calls through the base
    EXPECT_EQ(asBase.InRange(1, 2), 2);
    EXPECT_EQ(asBase.InRange(0, 4), 0);
    EXPECT_EQ(asBase.InRange(4, 6), 6);
    const std::vector<std::pair<int64_t, int64_t>> expected{{1, 2}, {0, 4}, {4, 6}};
    EXPECT_EQ(random.calls, expected);
    EXPECT_TRUE(random.script.empty());
}

TEST(ScriptedRandom, FaultsThrowAtOnce)
{
    struct Case {
        const char* what;
        std::deque<int64_t> script;
        int64_t lo, hi;
    };
    const Case cases[] = {
        {"script exhausted", {}, 0, 6},
        {"below the range", {0}, 1, 2},
        {"above the range", {5}, 2, 4},
        {"reversed range takes only lo", {2}, 5, 2},
    };
    for (const Case& c : cases) {
        platform::ScriptedRandom random;
        random.script = c.script;
        EXPECT_THROW(random.InRange(c.lo, c.hi), std::logic_error) << c.what;
        ASSERT_EQ(random.calls.size(), 1u) << c.what;
        EXPECT_EQ(random.calls[0], std::make_pair(c.lo, c.hi)) << c.what;
    }
    platform::ScriptedRandom reversed{5};
    EXPECT_EQ(reversed.InRange(5, 2), 5);
}

TEST(RandomFactory, TestsReplaceItAndNullRestoresIt)
{
    int made = 0;
    platform::setRandomFactory([&made] {
        ++made;
        return std::make_unique<platform::ScriptedRandom>(std::initializer_list<int64_t>{3});
    });
    auto scripted = platform::newRandom();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(scripted->InRange(0, 5), 3);

    platform::setRandomFactory(nullptr);
    auto real = platform::newRandom();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(dynamic_cast<platform::ScriptedRandom*>(real.get()), nullptr);
    const int64_t v = real->InRange(0, 5);
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 5);
}

} // namespace
