// The four conversions between beat units and ticks: double arithmetic with
// the division first, truncation toward zero, and the tempo each one reads.
#include "shell/module1.h"
#include "support/app/app_fixture.h"

using namespace Module1;

namespace {

enum class Op { ts, tempoplace, replayts, replaymetts };

const char* nameOf(Op op)
{
    switch (op) {
    case Op::ts: return "ts";
    case Op::tempoplace: return "tempoplace";
    case Op::replayts: return "replayts";
    case Op::replaymetts: return "replaymetts";
    }
    return "?";
}

int64_t convert(Window1& w, Op op, int64_t arg)
{
    switch (op) {
    case Op::ts: return w.ts(arg);
    case Op::tempoplace: return w.tempoplace(arg);
    case Op::replayts: return w.replayts(arg);
    case Op::replaymetts: return w.replaymetts(arg);
    }
    return 0;
}

class TimeBaseTest : public AppTest {};

TEST_F(TimeBaseTest, WorkedExamplesTruncateTheDoubleProduct)
{
    struct Case {
        Op op;
        int64_t lasttest; // lasttesttickspeed
        int64_t current;  // tickspeed
        int64_t arg;
        int64_t expected;
    };
    const std::vector<Case> cases = {
        // The quotient is held as an inexact double: one less than the exact value.
        {Op::ts, 45, 60, 84, 62},
        {Op::ts, 75, 60, 44, 54},
        {Op::ts, 75, 60, 88, 109},
        {Op::tempoplace, 20, 60, 41, 122},
        // Toward zero for negative arguments, never downward.
        {Op::tempoplace, 45, 60, -7, -9},
        {Op::ts, 45, 60, -84, -62},
        {Op::ts, 45, 60, -30, -22},
        {Op::replaymetts, 60, 45, -30, -22},
        {Op::replayts, 60, 60, -5, -5},
        // A replay at another tempo: two truncations, the first to beat units.
        {Op::replayts, 60, 30, 100, 50},
        {Op::replayts, 45, 60, 100, 133},
        {Op::replayts, 45, 80, 11, 18}, // one truncation of 11 * 80 / 45 would give 19
        {Op::replayts, 60, 60, 0, 0},
        // replayts and replaymetts convert to the current tempo, ts and
        // tempoplace at the test's tempo.
        {Op::ts, 30, 80, 60, 30},
        {Op::replaymetts, 30, 80, 60, 80},
        {Op::tempoplace, 30, 80, 30, 60},
        {Op::replaymetts, 60, 20, 90, 30},
        // Zero tempos never divide in ts and replaymetts.
        {Op::ts, 0, 60, 84, 0},
        {Op::replaymetts, 60, 0, 84, 0},
        {Op::ts, 60, 60, 0, 0},
    };
    Window1& w = openWindow();
    for (const Case& c : cases) {
        lasttesttickspeed = c.lasttest;
        tickspeed = c.current;
        EXPECT_EQ(convert(w, c.op, c.arg), c.expected)
            << nameOf(c.op) << "(" << c.arg << ") with lasttesttickspeed " << c.lasttest << " and tickspeed "
            << c.current;
    }
}

TEST_F(TimeBaseTest, WholeBeatsAreExactAtEveryTempo)
{
    Window1& w = openWindow();
    for (int64_t tempo = 20; tempo <= 80; ++tempo) {
        lasttesttickspeed = tempo;
        tickspeed = tempo;
        EXPECT_EQ(w.ts(0), 0) << tempo;
        EXPECT_EQ(w.ts(60), tempo) << tempo;
        EXPECT_EQ(w.ts(120), 2 * tempo) << tempo;
        EXPECT_EQ(w.replaymetts(60), tempo) << tempo;
        EXPECT_EQ(w.tempoplace(tempo), 60) << tempo;
    }
    lasttesttickspeed = 60;
    w.beatsinbar = 4;
    EXPECT_EQ(w.ts(60) * w.beatsinbar, 240);
    EXPECT_EQ(w.ts(60) * w.beatsinbar * 2, 480);
    EXPECT_EQ(w.ts(120) * w.beatsinbar, 480);
}

TEST_F(TimeBaseTest, ReplayConversionsFollowTheCurrentTempoOnly)
{
    Window1& w = openWindow();
    lasttesttickspeed = 60;
    for (int64_t tempo = 20; tempo <= 80; ++tempo) {
        tickspeed = tempo;
        EXPECT_EQ(w.ts(60), 60) << "ts reads lasttesttickspeed, not tickspeed " << tempo;
        EXPECT_EQ(w.replaymetts(60), tempo);
        // Played at 60, a hit 120 ticks in is two beats in.
        EXPECT_EQ(w.replayts(120), 2 * tempo);
    }
}

// Against exact rational arithmetic: the double product can only fall short
// of a whole result by one (toward zero); any other result is the exact
// quotient truncated toward zero.
TEST_F(TimeBaseTest, DoubleResultsStayWithinOneOfTheExactQuotient)
{
    Window1& w = openWindow();
    for (int64_t tempo = 20; tempo <= 80; ++tempo) {
        lasttesttickspeed = tempo;
        tickspeed = tempo;
        for (int64_t n = -300; n <= 300; ++n) {
            const int64_t num = n * tempo;
            const int64_t exact = num / 60; // C++ division truncates toward zero
            const int64_t got = w.ts(n);
            if (num % 60 != 0) {
                ASSERT_EQ(got, exact) << "ts(" << n << ") at " << tempo;
            } else {
                const int64_t towardZero = exact > 0 ? exact - 1 : exact < 0 ? exact + 1 : 0;
                ASSERT_TRUE(got == exact || got == towardZero) << "ts(" << n << ") at " << tempo << " gave " << got;
            }
            ASSERT_EQ(w.replaymetts(n), got) << "same tempo, same conversion: " << n << " at " << tempo;

            const int64_t pnum = n * 60;
            const int64_t pexact = pnum / tempo;
            const int64_t place = w.tempoplace(n);
            if (pnum % tempo != 0) {
                ASSERT_EQ(place, pexact) << "tempoplace(" << n << ") at " << tempo;
            } else {
                const int64_t towardZero = pexact > 0 ? pexact - 1 : pexact < 0 ? pexact + 1 : 0;
                ASSERT_TRUE(place == pexact || place == towardZero)
                    << "tempoplace(" << n << ") at " << tempo << " gave " << place;
            }
        }
    }
}

} // namespace
