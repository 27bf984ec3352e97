// The bar generator: the fixed crotchets, the level range, the rest rule, the
// last bar with its closing rest, the layout, and repeat mode.
#include "platform/numbers.h"
#include "shell/module1.h"
#include "shell/velvane.h"
#include "support/app/app_fixture.h"
#include <deque>

using namespace Module1;
using platform::Val;

namespace {

// Group draws (the level range) come from a script; every pitch draw takes the
// lowest value of its range, which never equals the previous pitch.
class GroupScript : public platform::Random {
public:
    int64_t InRange(int64_t lo, int64_t hi) override
    {
        if (lo == stlevel && hi == level) {
            if (groups.empty())
                throw std::logic_error("no group scripted");
            int64_t g = groups.front();
            groups.pop_front();
            ++groupDraws;
            return g;
        }
        return lo;
    }
    std::deque<int64_t> groups;
    int groupDraws = 0;
};

class BarGeneratorTest : public AppTest {
protected:
    Window1& running()
    {
        Window1& w = openWindow();
        level = 30;
        lasttesttickspeed = 60;
        w.Timer1->setEnabled(true);
        auto script = std::make_unique<GroupScript>();
        groups = script.get();
        App()->Randomizer = std::move(script);
        return w;
    }

    std::vector<int64_t> groupColumn() const
    {
        std::vector<int64_t> out;
        for (int64_t r = 0; r < window->notelist->ListCount(); ++r)
            if (!window->notelist->Cell(r, 4).isEmpty())
                out.push_back(Val(window->notelist->Cell(r, 4)));
        return out;
    }

    GroupScript* groups = nullptr;
};

} // namespace

TEST_F(BarGeneratorTest, FirstBarStartsWithTheCrotchetAndLaysPicturesOut)
{
    Window1& w = running();
    groups->groups = {2, 4, 1};
    w.generatebar();
    EXPECT_EQ(w.pagenumber, 0) << "generated during the count-in";
    EXPECT_EQ(w.bargroups, (std::vector<int64_t>{0, 2, 4, 1}));
    EXPECT_EQ(w.barleft, (std::vector<int64_t>{230, 280, 351, 458}));
    EXPECT_EQ(groups->groupDraws, 3);
    EXPECT_EQ(w.notessofar, 7);
    QStringList onsets;
    for (int64_t r = 0; r < w.notelist->ListCount(); ++r)
        onsets << w.notelist->Cell(r, 0);
    EXPECT_EQ(onsets, (QStringList{"0", "60", "90", "120", "135", "150", "165"}));
    EXPECT_EQ(w.notelist->Cell(0, 3), "1") << "every bar's walk starts from pitch 0";
}

TEST_F(BarGeneratorTest, SecondBarAfterTheCountInAndTheLastBarWithItsClosingRest)
{
    Window1& w = running();
    groups->groups = {0, 0, 0, 2, 2, 2, 2, 2, 2};
    w.generatebar();
    countin = false;
    w.generatebar();
    EXPECT_EQ(w.pagenumber, 1);
    EXPECT_EQ(w.notelist->Cell(4, 0), "240") << "the first note of bar 1";
    w.bars = 3;
    w.generatebar(); // the last bar: three beats, the third a crotchet, then the rest
    EXPECT_EQ(w.pagenumber, 2);
    EXPECT_EQ(w.bargroups, (std::vector<int64_t>{2, 2, 0, 1}));
    EXPECT_EQ(w.notelist->Cell(w.notelist->ListCount() - 1, 0), "600");
    EXPECT_TRUE(groups->groups.empty());
}

TEST_F(BarGeneratorTest, LastBarOfTwoBeatsIsACrotchetAndTheRest)
{
    Window1& w = running();
    w.beatsinbar = 2;
    w.bars = 1;
    w.generatebar();
    EXPECT_EQ(w.bargroups, (std::vector<int64_t>{0, 1}));
    EXPECT_EQ(groups->groupDraws, 0);
}

TEST_F(BarGeneratorTest, AfterASilentBeatOnlyGroupOneIsDrawnAgain)
{
    struct Case {
        const char* name;
        std::deque<int64_t> draws;
        std::vector<int64_t> bar;
    };
    const Case cases[] = {
        {"rest then 1 is redrawn", {1, 1, 1, 2, 2}, {0, 1, 2, 2}},
        {"rest then 8 stands", {1, 8, 19}, {0, 1, 8, 19}},
        {"a note off the beat is a note in the beat", {3, 1, 2}, {0, 3, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window1& w = running();
        groups->groups = c.draws;
        w.generatebar();
        EXPECT_EQ(w.bargroups, c.bar);
        resetCase();
    }
}

// Random numbers are taken beat by beat: the group of a beat (with its
// redraws), then the pitches of that group's notes, then the next beat.
TEST_F(BarGeneratorTest, DrawsAreMadeBeatByBeatGroupThenItsPitches)
{
    struct Recorder : GroupScript {
        int64_t InRange(int64_t lo, int64_t hi) override
        {
            const int64_t v = GroupScript::InRange(lo, hi);
            trace << (lo == stlevel && hi == level ? QStringLiteral("G%1").arg(v) : QStringLiteral("P"));
            return v;
        }
        QStringList trace;
    };
    Window1& w = openWindow();
    level = 30;
    lasttesttickspeed = 60;
    w.Timer1->setEnabled(true);
    auto owned = std::make_unique<Recorder>();
    Recorder& draws = *owned;
    App()->Randomizer = std::move(owned);
    draws.groups = {2, 1, 1, 4}; // two quavers, a rest, then a redrawn rest and four semiquavers
    w.generatebar();
    EXPECT_EQ(draws.trace.join(' '), QStringLiteral("P G2 P P G1 G1 G4 P P P P"));
}

TEST_F(BarGeneratorTest, RepeatModeReadsTheListAndGoesOnPastItsEnd)
{
    Window1& w = running();
    retest = true;
    for (const char* g : {"0", "26", "1", "9", "23"})
        w.retestlist->AddRow(g);
    w.generatebar();
    countin = false;
    EXPECT_EQ(w.bargroups, (std::vector<int64_t>{0, 26, 1, 9}));
    EXPECT_EQ(groups->groupDraws, 0);
    EXPECT_EQ(w.refreshrow, 4);
    // Past the list's end a beat is drawn as in a new test.
    groups->groups = {2, 2, 2};
    w.generatebar();
    EXPECT_EQ(w.bargroups, (std::vector<int64_t>{23, 2, 2, 2}));
    EXPECT_EQ(w.refreshrow, 5);
    EXPECT_EQ(groupColumn(), (std::vector<int64_t>{0, 26, 9, 23, 2, 2, 2}));
}

TEST_F(BarGeneratorTest, NothingHappensWhileNoTestRuns)
{
    Window1& w = running();
    w.Timer1->setEnabled(false);
    w.generatebar();
    EXPECT_EQ(w.notelist->ListCount(), 0);
    EXPECT_TRUE(w.bargroups.empty());
    w.Timer1->setEnabled(true);
    w.prestarttimer->setEnabled(true);
    w.generatebar();
    EXPECT_EQ(w.notelist->ListCount(), 0);
}

// Hits are accepted only while fewer have been taken than rows generated, so
// the running count must follow the note table bar after bar.
TEST_F(BarGeneratorTest, NotesSoFarCountsEveryRowGeneratedInTheTest)
{
    Window1& w = running();
    w.bars = 3;
    groups->groups = {2, 4, 1, 3, 3, 3, 3, 2, 4};
    int64_t rowsBefore = 0;
    for (int64_t bar = 0; bar < 3; ++bar) {
        SCOPED_TRACE(bar);
        w.generatebar();
        countin = false;
        EXPECT_GT(w.notelist->ListCount(), rowsBefore);
        EXPECT_EQ(w.notessofar, w.notelist->ListCount());
        rowsBefore = w.notelist->ListCount();
    }
}
