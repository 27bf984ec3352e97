// The pitch walk: the range of each draw, the redraw of a value equal to the
// previous pitch index, and no draw at all outside 0 to 6.
#include "notation/pitchwalk.h"
#include "platform/numbers.h"
#include "shell/module1.h"
#include "support/app/app_fixture.h"
#include <limits>
#include <set>

using namespace Module1;

namespace {

using Draw = std::pair<int64_t, int64_t>;

struct Step {
    int64_t previous;
    Draw range;
    bool redraws;
    std::set<int64_t> results;
};

const std::vector<Step>& walk()
{
    static const std::vector<Step> steps = {
        {0, {1, 2}, false, {1, 2}},
        {1, {0, 2}, true, {0, 2}},
        {2, {0, 4}, true, {0, 1, 3, 4}},
        {3, {2, 4}, true, {2, 4}},
        {4, {0, 5}, true, {0, 1, 2, 3, 5}},
        {5, {4, 6}, true, {4, 6}},
        {6, {4, 5}, false, {4, 5}},
    };
    return steps;
}

class PitchWalkTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        openWindow();
    }
};

// Every value a draw can give, for every previous pitch index: a value other
// than the previous one is returned after one draw; the previous one is drawn
// again.
TEST_F(PitchWalkTest, EachDrawUsesTheRangeOfThePreviousIndex)
{
    for (const Step& step : walk()) {
        for (int64_t v = step.range.first; v <= step.range.second; ++v) {
            SCOPED_TRACE(testing::Message() << "previous " << step.previous << ", drawn " << v);
            if (v == step.previous) {
                // Drawn again until it differs; the next scripted value is
                // the first other value of the range.
                const int64_t other = v == step.range.first ? step.range.first + 1 : step.range.first;
                platform::ScriptedRandom& random = scriptRandom({v, other});
                EXPECT_EQ(window->createnote(step.previous), platform::Str(other));
                EXPECT_EQ(random.calls, (std::vector<Draw>{step.range, step.range}));
            } else {
                platform::ScriptedRandom& random = scriptRandom({v});
                EXPECT_EQ(window->createnote(step.previous), platform::Str(v));
                EXPECT_EQ(random.calls, std::vector<Draw>{step.range});
                EXPECT_TRUE(step.results.count(v));
            }
        }
    }
}

TEST_F(PitchWalkTest, RepeatedDrawsOfThePreviousIndexAreAllRejected)
{
    struct Case {
        int64_t previous;
        std::vector<int64_t> script;
        const char* result;
        size_t draws;
    };
    const std::vector<Case> cases = {
        {3, {3, 3, 3, 4}, "4", 4},
        {1, {1, 1, 0}, "0", 3},
        {5, {5, 5, 5, 5, 5, 6}, "6", 6},
        {2, {2, 4}, "4", 2},
        {4, {4, 4, 5}, "5", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.previous);
        platform::ScriptedRandom& random = scriptRandom();
        random.script.assign(c.script.begin(), c.script.end());
        EXPECT_EQ(window->createnote(c.previous), QString::fromLatin1(c.result));
        EXPECT_EQ(random.calls.size(), c.draws);
        EXPECT_TRUE(random.script.empty());
    }
}

TEST_F(PitchWalkTest, NoDrawOutsideTheWalk)
{
    for (int64_t previous : {int64_t(-1), int64_t(7), int64_t(100), std::numeric_limits<int64_t>::min(),
                             std::numeric_limits<int64_t>::max()}) {
        platform::ScriptedRandom& random = scriptRandom({}); // throws if drawn from
        EXPECT_EQ(window->createnote(previous), QStringLiteral("0")) << previous;
        EXPECT_TRUE(random.calls.empty()) << previous;

        platform::ScriptedRandom direct;
        EXPECT_FALSE(pitchwalk::next(previous, direct).has_value()) << previous;
        EXPECT_TRUE(direct.calls.empty());
    }
}

// With the real generator every possible result comes up and no other.
TEST_F(PitchWalkTest, ResultsCoverExactlyThePossibleValues)
{
    for (const Step& step : walk()) {
        std::set<int64_t> seen;
        for (int i = 0; i < 2000; ++i) {
            const QString text = window->createnote(step.previous);
            const int64_t value = platform::TruncToInt64(platform::Val(text));
            ASSERT_EQ(text, platform::Str(value)) << "plain digit text";
            ASSERT_NE(value, step.previous);
            seen.insert(value);
        }
        EXPECT_EQ(seen, step.results) << "previous " << step.previous;
    }
}

TEST_F(PitchWalkTest, DrawsComeFromTheApplicationsGenerator)
{
    platform::ScriptedRandom& random = scriptRandom({2, 0});
    EXPECT_EQ(window->createnote(0), QStringLiteral("2"));
    EXPECT_EQ(window->createnote(2), QStringLiteral("0"));
    EXPECT_EQ(random.calls, (std::vector<Draw>{{1, 2}, {0, 4}}));
}

TEST_F(PitchWalkTest, ChangesNoStateOfTheWindow)
{
    Window1& w = *window;
    w.nextnote = 3;
    w.notesinbar = 2;
    w.startofnote = 60;
    lastnoteplayed = 4;
    scriptRandom({1});
    w.createnote(0);
    EXPECT_EQ(w.nextnote, 3);
    EXPECT_EQ(w.notesinbar, 2);
    EXPECT_EQ(w.startofnote, 60);
    EXPECT_EQ(lastnoteplayed, 4);
    EXPECT_EQ(w.notelist->ListCount(), 0);
}

} // namespace
