// Scoring of a finished test: hit classes, accuracy score, result texts and
// the running means of the overall statistics.
#include "scoring/score.h"
#include "scoring_fixture.h"

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

using scoring::NoteCells;
using scoringtest::ScoringFixture;

// Rows as (onset, hit) numbers; a hit of missedHit leaves the cell empty.
constexpr int missedHit = -999999;

std::vector<NoteCells> table(const std::vector<std::pair<int, int>>& rows)
{
    std::vector<NoteCells> cells;
    for (auto [onset, hit] : rows)
        cells.push_back({QString::number(onset), hit == missedHit ? QString() : QString::number(hit)});
    return cells;
}

struct Example {
    const char* name;
    std::vector<std::pair<int, int>> rows;
    double perfect, nearhits, wayoff;
    int64_t played, missed;
    double accuracy;
    QString summary;
    QString verdict;
};

const QString perfectVerdict = QStringLiteral("That couldn't have been more perfect!");

const std::vector<Example> examples = {
    {"four perfect hits", {{0, 0}, {60, 60}, {120, 120}, {180, 180}}, 4, 0, 0, 4, 0, 100,
     "You played 4 notes and were 100% accurate", perfectVerdict},
    {"five ticks late is near", {{0, 5}}, 0, 1, 0, 1, 0, 55.0 / 6 * 10,
     "You played 1 notes and were 91.67% accurate", "You are generally behind the beat "},
    {"six ticks late is way off", {{0, 6}}, 0, 0, 1, 1, 0, 90,
     "You played 1 notes and were 90% accurate", "You are generally behind the beat "},
    {"five ticks early is near", {{10, 5}}, 0, 1, 0, 1, 0, 55.0 / 6 * 10,
     "You played 1 notes and were 91.67% accurate", "You are generally ahead of the beat "},
    {"six ticks early is way off", {{10, 4}}, 0, 0, 1, 1, 0, 90,
     "You played 1 notes and were 90% accurate", "You are generally ahead of the beat "},
    {"every note missed", {{0, missedHit}, {60, missedHit}, {120, missedHit}}, 0, 0, 3, 0, 3, 0,
     "You played nothing that time", "You are generally well behind the beat "},
    {"three perfect and one missed", {{0, 0}, {60, 60}, {120, 120}, {180, missedHit}}, 3, 0, 1, 3, 1,
     200.0 / 3, "You played 3 notes but missed out 1 and were 66.67% accurate", perfectVerdict},
    {"one perfect and two missed", {{0, 0}, {60, missedHit}, {120, missedHit}}, 1, 0, 2, 1, 2, 0,
     "You played 1 notes but missed out 2 and were 0% accurate", perfectVerdict},
    {"nine ticks late scores exactly 85", {{0, 9}}, 0, 0, 1, 1, 0, 85,
     "You played 1 notes and were 85% accurate", "You are generally well behind the beat "},
    {"twelve ticks late over five hits scores exactly 96",
     {{0, 3}, {60, 63}, {120, 122}, {180, 182}, {240, 242}}, 0, 5, 0, 5, 0, 96,
     "You played 5 notes and were 96% accurate", "You are generally behind the beat "},
    {"one tick early", {{10, 9}}, 0, 1, 0, 1, 0, 59.0 / 6 * 10,
     "You played 1 notes and were 98.33% accurate", "The was pretty close to perfect"},
    {"two ticks early", {{10, 8}}, 0, 1, 0, 1, 0, 58.0 / 6 * 10,
     "You played 1 notes and were 96.67% accurate", "You are very slightly ahead of the beat "},
    {"two ticks late", {{10, 12}}, 0, 1, 0, 1, 0, 58.0 / 6 * 10,
     "You played 1 notes and were 96.67% accurate", "You are very slightly behind  the beat "},
    {"one tick late", {{10, 11}}, 0, 1, 0, 1, 0, 59.0 / 6 * 10,
     "You played 1 notes and were 98.33% accurate", "The was pretty close to perfect"},
    {"three ticks late over two hits scores 97.5", {{0, 1}, {60, 62}}, 0, 2, 0, 2, 0, 97.5,
     "You played 2 notes and were 97.5% accurate", "You are very slightly behind  the beat "},
    {"three ticks early over two hits scores 97.5", {{10, 9}, {70, 68}}, 0, 2, 0, 2, 0, 97.5,
     "You played 2 notes and were 97.5% accurate", "You are very slightly ahead of the beat "},
    {"nine ticks early", {{20, 11}}, 0, 0, 1, 1, 0, 85,
     "You played 1 notes and were 85% accurate", "You are generally well ahead of the beat "},
    {"early and late sums equal", {{10, 7}, {20, 23}}, 0, 2, 0, 2, 0, 95,
     "You played 2 notes and were 95% accurate", ""},
    {"late and missed together", {{0, 2}, {60, missedHit}}, 0, 1, 1, 1, 1, 0,
     "You played 1 notes but missed out 1 and were 0% accurate", "You are generally well behind the beat "},
    {"no rows at all", {}, 0, 0, 0, 0, 0, 0, "You played nothing that time", ""},
};

class Scoring : public ScoringFixture {};

TEST_F(Scoring, WorkedExamples)
{
    for (const Example& e : examples) {
        SCOPED_TRACE(e.name);
        const scoring::Tally t = scoring::tallytable(table(e.rows));
        EXPECT_EQ(t.rows, static_cast<int64_t>(e.rows.size()));
        EXPECT_EQ(t.perfect, e.perfect);
        EXPECT_EQ(t.nearhits, e.nearhits);
        EXPECT_EQ(t.wayoff, e.wayoff);
        EXPECT_EQ(t.played, e.played);
        EXPECT_EQ(t.missed, e.missed);
        EXPECT_NEAR(t.accuracy, e.accuracy, 1e-9);
        EXPECT_TRUE(std::isfinite(t.averageoffset));

        const scoring::ResultTexts r = scoring::resulttexts(t);
        EXPECT_EQ(r.perfect, QStringLiteral("Perfect hits = ") + QString::number(e.perfect));
        EXPECT_EQ(r.close, QStringLiteral("Near perfect hits ") + QString::number(e.nearhits));
        EXPECT_EQ(r.whoops, QStringLiteral("whoops a daisy ") + QString::number(e.wayoff));
        EXPECT_EQ(r.summary, e.summary);
        EXPECT_EQ(r.summary2, e.verdict);
    }
}

// Each verdict band from both of its edges, ahead and behind: `ticks` off in
// all over `hits` played notes (offsets shared out as evenly as ticks allow),
// so the score is 100 - ticks / hits * 10 / 6. A score exactly on a threshold
// belongs to the band below it. Equal sums give no direction at any score.
TEST_F(Scoring, VerdictBandEdges)
{
    enum Direction { ahead = -1, even = 0, behind = 1 };
    struct Edge {
        Direction direction;
        int ticks, hits;
        double score;
        QString verdict;
    };
    const QString closeToPerfect = QStringLiteral("The was pretty close to perfect");
    const std::vector<Edge> edges = {
        {behind, 11, 10, 98.1666, closeToPerfect},
        {behind, 6, 5, 98, QStringLiteral("You are very slightly behind  the beat ")},
        {behind, 7, 3, 96.1111, QStringLiteral("You are very slightly behind  the beat ")},
        {behind, 12, 5, 96, QStringLiteral("You are generally behind the beat ")},
        {behind, 43, 5, 85.6666, QStringLiteral("You are generally behind the beat ")},
        {behind, 45, 5, 85, QStringLiteral("You are generally well behind the beat ")},
        {ahead, 11, 10, 98.1666, closeToPerfect},
        {ahead, 6, 5, 98, QStringLiteral("You are very slightly ahead of the beat ")},
        {ahead, 7, 3, 96.1111, QStringLiteral("You are very slightly ahead of the beat ")},
        {ahead, 12, 5, 96, QStringLiteral("You are generally ahead of the beat ")},
        {ahead, 43, 5, 85.6666, QStringLiteral("You are generally ahead of the beat ")},
        {ahead, 45, 5, 85, QStringLiteral("You are generally well ahead of the beat ")},
        // Half early and half late: 1, 2, 12 and 60 ticks off per note.
        {even, 2, 2, 98.3333, QString()},
        {even, 4, 2, 96.6666, QString()},
        {even, 24, 2, 80, QString()},
        {even, 120, 2, 0, QString()},
    };
    for (const Edge& e : edges) {
        SCOPED_TRACE(testing::Message() << e.ticks << " ticks over " << e.hits << " hits, direction "
                                        << e.direction);
        std::vector<std::pair<int, int>> rows;
        for (int i = 0; i < e.hits; ++i) {
            const int onset = 100 + 60 * i;
            const int off = e.ticks / e.hits + (i < e.ticks % e.hits ? 1 : 0);
            // Evenly split: the first half early, the second half late.
            const int sign = e.direction != even ? e.direction : (i < e.hits / 2 ? -1 : 1);
            rows.push_back({onset, onset + sign * off});
        }
        const scoring::Tally t = scoring::tallytable(table(rows));
        EXPECT_NEAR(t.accuracy, e.score, 1e-4);
        EXPECT_EQ(scoring::verdict(t), e.verdict);
    }
}

TEST_F(Scoring, SumsAndAverageOffset)
{
    // 3 late + 4 early + one missed note (60 late) over three played notes.
    const scoring::Tally t = scoring::tallytable(table({{0, 3}, {60, 56}, {120, 120}, {180, missedHit}}));
    EXPECT_EQ(t.latesum, 63);
    EXPECT_EQ(t.earlysum, 4);
    EXPECT_DOUBLE_EQ(t.averageoffset, 67.0 / 3);
    EXPECT_DOUBLE_EQ(t.accuracy, (60 - 67.0 / 3) / 6 * 10);
}

TEST_F(Scoring, RunningMeansOverTwoTests)
{
    const scoring::Tally first = scoring::tallytable(table({{0, 0}, {60, 60}, {120, 120}, {180, 180}}));
    ASSERT_TRUE(scoring::updatestatistics(first));
    EXPECT_EQ(Module1::totaltests, 1);
    EXPECT_EQ(Module1::totalnotes, 4);
    EXPECT_DOUBLE_EQ(Module1::totalaccuracy, 100);
    EXPECT_DOUBLE_EQ(Module1::correct, 100);
    EXPECT_DOUBLE_EQ(Module1::almost, 0);
    EXPECT_DOUBLE_EQ(Module1::miss, 0);

    // 2 perfect, 1 near (3 late), 1 way off (10 early), 1 missed; 5 rows.
    const scoring::Tally second =
        scoring::tallytable(table({{0, 0}, {60, 60}, {120, 123}, {180, 170}, {240, missedHit}}));
    ASSERT_TRUE(scoring::updatestatistics(second));
    const double acc2 = (60 - (3 + 10 + 60) / 4.0) / 6 * 10;
    EXPECT_EQ(Module1::totaltests, 2);
    EXPECT_EQ(Module1::totalnotes, 9);
    EXPECT_NEAR(Module1::totalaccuracy, (100 + acc2) / 2, 1e-9);
    EXPECT_NEAR(Module1::correct, (100 + 40) / 2.0, 1e-9);
    EXPECT_NEAR(Module1::almost, (0 + 20) / 2.0, 1e-9);
    EXPECT_NEAR(Module1::miss, (0 + 40) / 2.0, 1e-9);
}

TEST_F(Scoring, EachTestWeighsTheSameWhateverItsLength)
{
    Module1::totaltests = 3;
    Module1::totalnotes = 100;
    Module1::totalaccuracy = 50;
    Module1::correct = 20;
    Module1::almost = 30;
    Module1::miss = 50;
    // One row, perfect: it moves every mean by a quarter of the way.
    ASSERT_TRUE(scoring::updatestatistics(scoring::tallytable(table({{0, 0}}))));
    EXPECT_EQ(Module1::totaltests, 4);
    EXPECT_EQ(Module1::totalnotes, 101);
    EXPECT_NEAR(Module1::totalaccuracy, (50 * 3 + 100) / 4.0, 1e-9);
    EXPECT_NEAR(Module1::correct, (20 * 3 + 100) / 4.0, 1e-9);
    EXPECT_NEAR(Module1::almost, (30 * 3 + 0) / 4.0, 1e-9);
    EXPECT_NEAR(Module1::miss, (50 * 3 + 0) / 4.0, 1e-9);
    EXPECT_NEAR(Module1::correct + Module1::almost + Module1::miss, 100, 1e-9);
}

TEST_F(Scoring, EmptyTableLeavesTheStatisticsAlone)
{
    Module1::totaltests = 2;
    Module1::totalnotes = 30;
    Module1::totalaccuracy = 71.5;
    Module1::correct = 40;
    Module1::almost = 35;
    Module1::miss = 25;
    EXPECT_FALSE(scoring::updatestatistics(scoring::tallytable({})));
    EXPECT_EQ(Module1::totaltests, 2);
    EXPECT_EQ(Module1::totalnotes, 30);
    EXPECT_EQ(Module1::totalaccuracy, 71.5);
    EXPECT_EQ(Module1::correct, 40);
    EXPECT_EQ(Module1::almost, 35);
    EXPECT_EQ(Module1::miss, 25);
}

TEST_F(Scoring, ExtremeCellsStayFinite)
{
    // Not what the note table holds, but nothing may turn into NaN or wrap.
    const scoring::Tally t = scoring::tallytable(
        {{"0", "1e400"}, {"1e400", "0"}, {"-1e300", "1e300"}, {"0", "abc"}, {"", "0"}});
    EXPECT_GE(t.latesum, 0);
    EXPECT_GE(t.earlysum, 0);
    EXPECT_TRUE(std::isfinite(t.accuracy));
    EXPECT_GE(t.accuracy, 0);
    EXPECT_LE(t.accuracy, 100);
    ASSERT_TRUE(scoring::updatestatistics(t));
    for (double v : {Module1::totalaccuracy, Module1::correct, Module1::almost, Module1::miss})
        EXPECT_TRUE(std::isfinite(v));

    Module1::totaltests = std::numeric_limits<int64_t>::max();
    Module1::totalnotes = std::numeric_limits<int64_t>::max();
    ASSERT_TRUE(scoring::updatestatistics(t));
    EXPECT_EQ(Module1::totaltests, std::numeric_limits<int64_t>::max());
    EXPECT_EQ(Module1::totalnotes, std::numeric_limits<int64_t>::max());
    for (double v : {Module1::totalaccuracy, Module1::correct, Module1::almost, Module1::miss})
        EXPECT_TRUE(std::isfinite(v));
}

} // namespace
