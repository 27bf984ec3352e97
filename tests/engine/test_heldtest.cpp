// A held test played again: whole tests run pass by pass on the stepped clock
// in repeat mode, at every level range, with 2 to 5 beats and several tempos;
// the repetition must bring back the same bars, onsets and group indexes.
#include "platform/numbers.h"
#include "support/doubles/seeded_random.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "shell/velvane.h"
#include "support/app/app_fixture.h"
#include <random>

using namespace Module1;

namespace {

using platform::SeededRandom;

// What a test generated: the pictures of every bar, and the note table's
// onsets and group indexes.
struct Played {
    std::vector<std::vector<int64_t>> bars;
    std::vector<std::vector<int64_t>> lefts;
    QStringList onsets;
    QStringList groups;
};

class HeldTestTest : public AppTest {
protected:
    // The bar just generated. The rest indexes 8 and 19 are recorded as 1:
    // they draw the same crotchet rest at the same place and make no note row,
    // so nothing of a completed test tells them apart.
    void record(Played& out) const
    {
        std::vector<int64_t> groups = window->bargroups;
        for (int64_t& g : groups)
            if (g == 8 || g == 19)
                g = 1;
        out.bars.push_back(groups);
        out.lefts.push_back(window->barleft);
    }

    // START (or REPEAT TEST), the pre-start wait, then one pass per tick until
    // the test ends by itself. No key is pressed.
    Played play()
    {
        Window1& w = *window;
        startTest();
        Played out;
        record(out);
        int64_t page = w.pagenumber;
        for (int64_t guard = 0; w.Timer1->Enabled() && guard < 100000; ++guard) {
            clock.advance(1);
            w.Timer1_Action();
            if (w.pagenumber != page) {
                page = w.pagenumber;
                record(out);
            }
        }
        EXPECT_FALSE(w.Timer1->Enabled()) << "the test did not end";
        for (int64_t r = 0; r < w.notelist->ListCount(); ++r) {
            out.onsets << w.notelist->Cell(r, 0);
            out.groups << w.notelist->Cell(r, 4);
        }
        return out;
    }
};

} // namespace

TEST_F(HeldTestTest, RepeatBringsBackEveryGroupAtEveryLevelBeatCountAndTempo)
{
    const std::pair<int64_t, int64_t> ranges[] = {{0, 2},  {0, 5},  {0, 7},  {9, 11}, {0, 13},
                                                  {0, 17}, {0, 24}, {0, 27}, {0, 30}};
    const int64_t tempos[] = {20, 37, 60, 80};
    const int64_t barCounts[] = {4, 8};
    uint64_t seed = 1;
    int groupsAfterTheBeat = 0; // cases that held a group with no note on its beat
    for (auto [lo, hi] : ranges) {
        for (int64_t beats = 2; beats <= 5; ++beats) {
            for (int64_t tempo : tempos) {
                ++seed;
                SCOPED_TRACE(testing::Message() << "levels " << lo << ".." << hi << ", " << beats << " beats, tempo "
                                                << tempo << ", seed " << seed);
                openWindow();
                App()->Randomizer = std::make_unique<SeededRandom>(seed);
                stlevel = lo;
                level = hi;
                tickspeed = tempo;
                reptest = true;
                window->beatsinbar = beats;
                window->bars = barCounts[seed % 2];
                window->listenplay = seed % 3 == 0;

                const Played held = play();
                ASSERT_TRUE(retest);
                ASSERT_EQ(window->retestlist->ListCount(), window->bars * beats - 1)
                    << "one entry per generated beat";
                for (const QString& g : held.groups)
                    if (g == "3" || g == "13" || g == "21" || g == "23" || g == "24") {
                        ++groupsAfterTheBeat;
                        break;
                    }

                // The held test is replaced by nothing else: a second and a
                // third run repeat it.
                for (int run = 2; run <= 3; ++run) {
                    SCOPED_TRACE(testing::Message() << "run " << run);
                    const Played again = play();
                    EXPECT_EQ(again.bars, held.bars);
                    EXPECT_EQ(again.lefts, held.lefts);
                    EXPECT_EQ(again.onsets, held.onsets);
                    EXPECT_EQ(again.groups, held.groups);
                    EXPECT_EQ(window->refreshrow, window->bars * beats - 1);
                }
                resetCase();
            }
        }
    }
    // The table is only a proof if groups that start after their beat occur.
    EXPECT_GT(groupsAfterTheBeat, 40);
}
