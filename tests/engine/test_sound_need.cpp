// The sound output is needed from START (the beginning of the pre-start wait)
// to the end of the test, and while a replay runs; at every other time it may
// rest. Every click of a test or replay is played while the output is needed.
#include "scoring/resultswin.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"
#include <QApplication>

using namespace Module1;
using Need = platform::RecordingSoundOutput::Need;

namespace platform {
// Found by argument-dependent lookup when a comparison fails.
std::ostream& operator<<(std::ostream& os, const RecordingSoundOutput::Need& n)
{
    return os << "(" << (n.needed ? "needed" : "rest") << " at " << n.tick << ")";
}
} // namespace platform

namespace {

class SoundNeedTest : public AppTest {
protected:
    // Test-clock passes, one per tick, until the test ends by itself.
    void runTest(int64_t limit = 4000)
    {
        const int64_t start = clock.now;
        for (int64_t t = start; t <= start + limit && window->Timer1->Enabled(); ++t) {
            clock.now = t;
            window->Timer1_Action();
        }
    }

    // The changes as the output follows them: a handover inside one handler
    // (the pre-start wait ending as the test clock starts) is a rest and a
    // need at the same tick, and the output only rests at checks made later
    // from the event loop, so such a pair is no rest at all.
    std::vector<Need> settledChanges() const
    {
        std::vector<Need> out;
        for (const Need& n : sound.needChanges) {
            if (n.needed && !out.empty() && !out.back().needed && out.back().tick == n.tick)
                out.pop_back();
            else
                out.push_back(n);
        }
        return out;
    }

    // Plays that came while the output was not needed.
    QStringList playsAtRest() const
    {
        QStringList out;
        for (const auto& p : sound.played)
            if (!p.needed)
                out.append(p.name + "@" + QString::number(p.tick));
        return out;
    }
};

} // namespace

TEST_F(SoundNeedTest, AWholeTestNeedsTheOutputFromStartToItsEnd)
{
    for (bool listenAndPlay : {false, true}) {
        SCOPED_TRACE(listenAndPlay ? "listen and play" : "continuous");
        Window1& w = openWindow();
        w.listenplay = listenAndPlay;
        EXPECT_FALSE(sound.needed) << "the main window alone needs no sound";
        sound.played.clear();
        sound.needChanges.clear();

        const int64_t startPressed = clock.now;
        w.BevelButton1_Action(); // START
        EXPECT_EQ(sound.needChanges, (std::vector<Need>{{true, startPressed}})) << "woken at START";
        clock.advance(prestartTicks);
        w.prestarttimer_Action();
        EXPECT_TRUE(sound.needed) << "still needed as the test clock takes over";
        runTest();
        ASSERT_FALSE(w.Timer1->Enabled());

        EXPECT_FALSE(sound.needed) << "rests after the test";
        EXPECT_EQ(settledChanges(), (std::vector<Need>{{true, startPressed}, {false, clock.now}}));
        EXPECT_GT(sound.played.size(), 16u);
        EXPECT_TRUE(playsAtRest().isEmpty()) << playsAtRest().join(" ").toStdString();
        resetCase();
        sound.needChanges.clear();
    }
}

TEST_F(SoundNeedTest, StopDuringTheWaitOrTheTestLetsTheOutputRest)
{
    for (int64_t ticksAfterStart : {int64_t(30), prestartTicks + 200}) {
        SCOPED_TRACE(ticksAfterStart);
        Window1& w = openWindow();
        w.BevelButton1_Action(); // START
        const int64_t start = clock.now;
        for (int64_t t = start + 1; t <= start + ticksAfterStart; ++t) {
            clock.now = t;
            if (t == start + prestartTicks)
                w.prestarttimer_Action();
            else if (w.Timer1->Enabled())
                w.Timer1_Action();
        }
        EXPECT_TRUE(sound.needed);
        w.BevelButton1_Action(); // STOP
        EXPECT_FALSE(sound.needed);
        resetCase();
    }
}

TEST_F(SoundNeedTest, AReplayNeedsTheOutputUntilItEndsOrAStartTakesOver)
{
    Window1& w = openWindow();
    tickspeed = lasttesttickspeed = 60;
    for (const char* hit : {"0", "60", "120"}) {
        w.notelist->AddRow(QString::fromLatin1(hit));
        w.notelist->setCell(w.notelist->LastIndex(), 1, QString::fromLatin1(hit));
        w.notelist->setCell(w.notelist->LastIndex(), 3, QStringLiteral("0"));
    }
    w.BevelButton3_Action();
    resultswin& r = *resultswin::existing();
    sound.needChanges.clear();

    // Runs to its end by itself.
    r.BevelButton1_Action();
    EXPECT_TRUE(sound.needed);
    for (int64_t t = clock.now; t < clock.now + 600 && w.replaytimer->Enabled(); ++t) {
        clock.now = t;
        w.replaytimer_Action();
    }
    ASSERT_FALSE(w.replaytimer->Enabled());
    EXPECT_FALSE(sound.needed);
    EXPECT_TRUE(playsAtRest().isEmpty()) << playsAtRest().join(" ").toStdString();

    // Stopped by its button.
    r.BevelButton1_Action();
    EXPECT_TRUE(sound.needed);
    r.BevelButton1_Action();
    EXPECT_FALSE(sound.needed);

    // START during a replay: the test keeps the output.
    sound.needChanges.clear();
    r.BevelButton1_Action();
    w.BevelButton1_Action();
    EXPECT_FALSE(w.replaytimer->Enabled());
    EXPECT_EQ(settledChanges(), (std::vector<Need>{{true, clock.now}}));
}
