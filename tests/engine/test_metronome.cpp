// The metronome's beat step that the test and replay clocks share: the clicks,
// the last-beat and bar-line duties, and beats counted from where the last one
// was detected.
#include "shell/module1.h"
#include "support/app/app_fixture.h"

using namespace Module1;

namespace {

class MetronomeTest : public AppTest {
protected:
    // One beat step per tick from the bar line at T, with newtick worked out
    // as the clocks do; `late` ticks are skipped, as a pass that comes late.
    std::vector<Event> run(Window1& w, int64_t beat, int64_t ticks, bool duties, std::vector<int64_t> late = {})
    {
        std::vector<Event> heard;
        startruntime = T;
        w.lastticktime = 0;
        metcount = 0;
        int64_t now = T;
        // Clicks and duties in the order they happen.
        auto clicks = [&] {
            for (const QString& name : sound.names())
                heard.push_back({now - T, name});
            sound.played.clear();
        };
        auto note = [&](const char* what) {
            clicks();
            heard.push_back({now - T, QString::fromLatin1(what)});
        };
        for (now = T; now <= T + ticks; ++now) {
            if (std::find(late.begin(), late.end(), now - T) != late.end())
                continue;
            clock.now = now;
            w.newtick = (now - startruntime) - w.lastticktime;
            sound.played.clear();
            if (duties)
                w.metronomebeat(beat, [&] { note("last beat"); }, [&] { note("bar line"); });
            else
                w.metronomebeat(beat, nullptr, nullptr);
            clicks();
        }
        return heard;
    }

    const int64_t T = 3000;
};

} // namespace

TEST_F(MetronomeTest, ClicksEveryBeatAndHiOnTheBarLine)
{
    struct Case {
        const char* what;
        int64_t beats, beat;
        bool duties;
        std::vector<int64_t> late;
        std::vector<Event> heard;
    };
    const std::vector<Case> cases = {
        {"two beats", 2, 60, true, {},
         {{60, "low.wav"}, {60, "last beat"}, {120, "hi.wav"}, {120, "bar line"},
          {180, "low.wav"}, {180, "last beat"}, {240, "hi.wav"}, {240, "bar line"}}},
        {"three beats", 3, 50, true, {},
         {{50, "low.wav"}, {100, "low.wav"}, {100, "last beat"}, {150, "hi.wav"}, {150, "bar line"}}},
        {"four beats, no duties", 4, 40, false, {},
         {{40, "low.wav"}, {80, "low.wav"}, {120, "low.wav"}, {160, "hi.wav"}}},
        {"a late pass delays every later beat", 3, 50, true, {50, 51},
         {{52, "low.wav"}, {102, "low.wav"}, {102, "last beat"}, {152, "hi.wav"}, {152, "bar line"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window1& w = openWindow();
        w.beatsinbar = c.beats;
        const int64_t ticks = c.heard.back().tick;
        // The last beat's duty runs after its click, the bar line's after `hi`.
        EXPECT_EQ(run(w, c.beat, ticks, c.duties, c.late), c.heard);
        EXPECT_EQ(metcount, 0) << "counted anew after the bar line";
        EXPECT_EQ(startruntime, T + ticks) << "the bar line restarts the position in the bar";
        resetCase();
    }
}

// At the bar line the position of the beat is a fresh reading after the new
// bar's start, so a clock that moves between readings shows in it.
TEST_F(MetronomeTest, TheBarLineReadsTheClockAfresh)
{
    Window1& w = openWindow();
    w.beatsinbar = 2;
    startruntime = T;
    w.lastticktime = 60;
    metcount = 1;
    clock.now = T + 120;
    w.newtick = 60;
    clock.onRead = [](platform::FakeTicks& c) { c.advance(1); };
    int64_t duringBarLine = -1;
    w.metronomebeat(60, nullptr, [&] { duringBarLine = metcount; });
    clock.onRead = nullptr;
    EXPECT_EQ(startruntime, T + 121) << "the second reading";
    EXPECT_EQ(w.lastticktime, 1) << "the third reading less the second";
    EXPECT_EQ(duringBarLine, 2) << "the bar line's duties run before the count starts again";
    EXPECT_EQ(metcount, 0);
}
