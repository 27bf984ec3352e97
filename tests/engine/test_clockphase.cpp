// Where the test and replay clocks' passes fall against the ticks: a start at
// any place in a tick is moved to 2 ms after a boundary, so every test's
// clicks come the same time after their ticks. The clock runs on simulated
// nanoseconds; each timer fires exactly when it is due.
#include "engine/clockphase.h"
#include "scoring/resultswin.h"
#include "shell/module1.h"
#include "support/app/app_fixture.h"

using namespace Module1;

namespace {

constexpr int64_t ms = 1'000'000;
using platform::tickNanoseconds;
// A tick boundary (a whole second) far from the clock's origin.
constexpr int64_t boundary = 5'000 * 1'000'000'000LL;

// Where each start lands, for starts all over two ticks: at 2 ms into a tick,
// within the half millisecond a timer's whole-millisecond delay allows, and
// never more than a tick later.
TEST(ClockPhase, AStartAnywhereInATickWaitsUntilTwoMillisecondsIntoOne)
{
    for (int64_t ns = boundary; ns < boundary + 2 * tickNanoseconds; ns += 100'000) {
        const int wait = clockphase::waitMs(platform::nanosecondsToNextTick(ns));
        const int64_t landing = ns + wait * ms;
        const int64_t into = tickNanoseconds - platform::nanosecondsToNextTick(landing);
        ASSERT_GE(wait, 0) << ns - boundary;
        ASSERT_LE(wait, 17) << ns - boundary;
        ASSERT_GE(into, clockphase::startNs - ms / 2) << "start at " << ns - boundary << " ns, wait " << wait;
        ASSERT_LE(into, clockphase::startNs + ms / 2) << "start at " << ns - boundary << " ns, wait " << wait;
    }
}

class ClockPhaseTest : public AppTest {
protected:
    void at(int64_t ns)
    {
        now = ns;
        clock.setNanoseconds(ns);
    }

    // How far into its tick the clock stands.
    int64_t intoTick() const { return tickNanoseconds - clock.toNextTick; }

    // Fires a timer whose count is up after `delayMs`, as the event loop would.
    void fireAfter(platform::Timer& timer, int delayMs)
    {
        at(now + delayMs * ms);
        timer.Fire();
    }

    // Runs the clock's passes, each when the timer has it due; returns how
    // far into its tick each click came.
    std::vector<int64_t> clicks(platform::Timer& clockTimer, int passes)
    {
        std::vector<int64_t> into;
        for (int n = 1; n <= passes && clockTimer.Enabled(); ++n) {
            at(clockTimer.NextDue());
            const size_t before = sound.played.size();
            clockTimer.Fire();
            for (size_t i = before; i < sound.played.size(); ++i)
                if (sound.played[i].name == "hi.wav" || sound.played[i].name == "low.wav")
                    into.push_back(intoTick());
        }
        return into;
    }

    int64_t now = 0;
};

struct TempoCase {
    int64_t tempo;
    // When a beat is a multiple of three ticks, every beat's tick has the
    // same place among the five passes that three ticks take, so every click
    // comes 2 ms after its tick; at other tempos the place repeats every
    // three beats (2, 5.3 and 8.7 ms).
    bool everyClickAtTwo;
};
const TempoCase tempos[] = {{60, true}, {30, true}, {45, true}, {40, false}, {61, false}};

// Every click of a clock started at its place: where the passes are 10 ms
// apart, the first pass into each tick is one of these.
bool atAPassPlace(int64_t into)
{
    for (int64_t place : {2'000'000, 5'333'333, 8'666'667})
        if (into >= place - 500'000 && into <= place + 500'000)
            return true;
    return false;
}

// The starting places: across a whole tick.
std::vector<int64_t> startingPlaces()
{
    std::vector<int64_t> places;
    for (int64_t p = 0; p < tickNanoseconds; p += 700'000)
        places.push_back(p);
    places.push_back(tickNanoseconds - 1);
    return places;
}

// START at any place in a tick, and the pre-start timer on time or late (the
// event loop here ran a 2000 ms timer 2 to 3 ms late).
TEST_F(ClockPhaseTest, ATestStartedAnywhereInATickClicksAtTheSamePlaceAfterEachTick)
{
    for (const TempoCase& c : tempos) {
        SCOPED_TRACE(c.tempo);
        std::vector<int64_t> firstPattern;
        for (int64_t place : startingPlaces()) {
            const int64_t late = place % 3 * 1'300'000;
            SCOPED_TRACE(::testing::Message() << "START " << place << " ns into a tick, wait " << late << " ns late");
            Window1& w = openWindow();
            w.listenplay = false;
            tickspeed = c.tempo;
            at(boundary + place);
            w.BevelButton1_Action(); // START
            sound.played.clear();
            ASSERT_EQ(w.prestarttimer->Period(), 2000);
            at(now + late);
            fireAfter(*w.prestarttimer, 2000);
            if (w.prestarttimer->FirstDelay() >= 0) {
                EXPECT_TRUE(w.prestarttimer->Enabled()) << "the wait goes on";
                EXPECT_FALSE(w.Timer1->Enabled());
                fireAfter(*w.prestarttimer, w.prestarttimer->FirstDelay());
            }
            ASSERT_TRUE(w.Timer1->Enabled());
            EXPECT_FALSE(w.prestarttimer->Enabled());

            std::vector<int64_t> into{intoTick()}; // the count-in's first click
            ASSERT_EQ(sound.names(), QStringList{"hi.wav"});
            // The count-in and a bar, and the pass that sees the last beat.
            const int passes = static_cast<int>(2 * 4 * c.tempo * tickNanoseconds / (clockphase::periodMs * ms)) + 1;
            for (int64_t i : clicks(*w.Timer1, passes))
                into.push_back(i);
            ASSERT_EQ(into.size(), 1u + 8u);

            for (size_t k = 0; k < into.size(); ++k) {
                EXPECT_TRUE(atAPassPlace(into[k])) << "click " << k << " " << into[k] << " ns into its tick";
                if (c.everyClickAtTwo) {
                    EXPECT_NEAR(into[k], 2'000'000, 500'000) << "click " << k;
                }
            }
            // The same pattern whatever the starting place, to the whole
            // millisecond of the timers.
            if (firstPattern.empty())
                firstPattern = into;
            for (size_t k = 0; k < into.size(); ++k)
                EXPECT_NEAR(into[k], firstPattern[k], ms) << "click " << k;
            resetCase();
        }
    }
}

TEST_F(ClockPhaseTest, AReplayStartedAnywhereInATickClicksAtTheSamePlaceAfterEachTick)
{
    for (int64_t place : startingPlaces()) {
        SCOPED_TRACE(place);
        Window1& w = openWindow();
        tickspeed = lasttesttickspeed = 60;
        for (const char* hit : {"0", "60", "120", "180", "240", "300"}) {
            w.notelist->AddRow(QString::fromLatin1(hit));
            w.notelist->setCell(w.notelist->LastIndex(), 1, QString::fromLatin1(hit));
            w.notelist->setCell(w.notelist->LastIndex(), 3, QStringLiteral("0"));
        }
        w.BevelButton3_Action();
        resultswin& r = *resultswin::existing();
        at(boundary + place);
        sound.played.clear();
        r.BevelButton1_Action();
        EXPECT_TRUE(w.replaytimer->Enabled()) << "the replay runs from the press";
        if (w.replaytimer->FirstDelay() >= 0) {
            EXPECT_TRUE(sound.played.empty()) << "the first click waits for the start";
            fireAfter(*w.replaytimer, w.replaytimer->FirstDelay());
        }
        ASSERT_EQ(sound.names(), QStringList{"hi.wav"});
        EXPECT_EQ(clock.now, startruntime) << "the origin is read at the start";
        std::vector<int64_t> into{intoTick()};
        for (int64_t i : clicks(*w.replaytimer, 2 * 240 * tickNanoseconds / (clockphase::periodMs * ms)))
            into.push_back(i);
        ASSERT_GE(into.size(), 6u);
        for (size_t k = 0; k < into.size(); ++k)
            EXPECT_NEAR(into[k], 2'000'000, 500'000) << "click " << k;
        delete resultswin::existing();
        resetCase();
    }
}

// STOP while the wait goes on to the place in the tick: no test starts.
TEST_F(ClockPhaseTest, StopWhileTheWaitGoesOnStartsNoTest)
{
    Window1& w = openWindow();
    at(boundary + 6 * ms);
    w.BevelButton1_Action(); // START
    fireAfter(*w.prestarttimer, 2000);
    ASSERT_TRUE(w.prestarttimer->Enabled());
    const int delay = w.prestarttimer->FirstDelay();
    ASSERT_GT(delay, 0);
    sound.played.clear();
    w.BevelButton1_Action(); // STOP
    EXPECT_FALSE(w.prestarttimer->Enabled());
    fireAfter(*w.prestarttimer, delay);
    EXPECT_FALSE(w.Timer1->Enabled());
    EXPECT_TRUE(sound.played.empty());
    EXPECT_EQ(w.notelist->ListCount(), 0);
}

// A replay stopped while its start waits for the place in the tick never
// starts: no click, no origin, when its first firing would have come.
TEST_F(ClockPhaseTest, AReplayStoppedBeforeItsStartNeverStarts)
{
    struct Case {
        const char* how;
        std::function<void(Window1&, resultswin&)> stop;
    };
    const Case cases[] = {
        {"replay button", [](Window1&, resultswin& r) { r.BevelButton1_Action(); }},
        {"START", [](Window1& w, resultswin&) { w.BevelButton1_Action(); }},
        {"window closed", [](Window1&, resultswin& r) { r.close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        Window1& w = openWindow();
        tickspeed = lasttesttickspeed = 60;
        w.notelist->AddRow(QStringLiteral("0"));
        w.notelist->setCell(0, 1, QStringLiteral("30"));
        w.notelist->setCell(0, 3, QStringLiteral("0"));
        w.BevelButton3_Action();
        resultswin& r = *resultswin::existing();
        at(boundary + 6 * ms);
        startruntime = -1;
        sound.played.clear();
        r.BevelButton1_Action();
        ASSERT_GT(w.replaytimer->FirstDelay(), 0);
        const int delay = w.replaytimer->FirstDelay();
        c.stop(w, r);
        EXPECT_FALSE(w.replaytimer->Enabled());
        EXPECT_EQ(w.replaytimer->FirstDelay(), -1);
        fireAfter(*w.replaytimer, delay);
        EXPECT_TRUE(sound.played.empty()) << sound.names().join(" ").toStdString();
        EXPECT_EQ(startruntime, -1);
        delete resultswin::existing();
        resetCase();
    }
}

} // namespace
