// The group table and the expansion of one group on one beat into note rows:
// onset times at several tempos, the group-index cell, the pitch walk along
// the rows, the rest groups, the beat cursor and indexes outside the table.
#include "notation/grouptable.h"
#include "platform/numbers.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"
#include <limits>
#include <map>

using namespace Module1;
using platform::Str;
using platform::Val;

namespace {

struct GroupSpec {
    const char* picture;
    int64_t advance;
    std::vector<int64_t> offsets;
};

// The rhythm groups by index, as the program defines them.
const std::vector<GroupSpec>& groups()
{
    static const std::vector<GroupSpec> table = {
        {"crot", 201, {0}},                        // 0
        {"CR", 266, {}},                           // 1
        {"quav", 286, {0, 30}},                    // 2
        {"sniff", 288, {30}},                      // 3
        {"semi", 430, {0, 15, 30, 45}},            // 4
        {"saus", 356, {0, 15, 30}},                // 5
        {"wood", 364, {0, 30, 45}},                // 6
        {"dobe", 304, {0, 45}},                    // 7
        {"CR", 266, {}},                           // 8
        {"crot", 201, {0}},                        // 9
        {"trip", 405, {0, 20, 40}},                // 10
        {"cq", 353, {0, 40}},                      // 11
        {"dqsq", 350, {0, 30, 40}},                // 12
        {"rtrip", 413, {20, 40}},                  // 13
        {"ssssss", 638, {0, 10, 20, 30, 40, 50}},  // 14
        {"ssqq", 420, {0, 10, 20, 40}},            // 15
        {"ssssq", 516, {0, 10, 20, 30, 40}},       // 16
        {"qssss", 510, {0, 20, 30, 40, 50}},       // 17
        {"crot", 201, {0}},                        // 18
        {"CR", 266, {}},                           // 19
        {"quav", 286, {0, 30}},                    // 20
        {"sniff", 288, {30}},                      // 21
        {"eef", 363, {0, 15, 45}},                 // 22
        {"rttt", 414, {15, 30, 45}},               // 23
        {"rqs", 353, {15, 45}},                    // 24
        {"sddss", 435, {0, 15, 22, 30, 45}},       // 25
        {"ddddss", 495, {0, 7, 15, 22, 30, 45}},   // 26
        {"sdddds", 495, {0, 15, 22, 30, 37, 45}},  // 27
        {"sssss", 457, {0, 12, 24, 36, 48}},       // 28
        {"ssrss", 457, {0, 12, 36, 48}},           // 29
        {"sssrs", 463, {0, 12, 24, 48}},           // 30
    };
    return table;
}

// ts(offset) at each tempo: offset / 60 as a double, times the tempo,
// truncated toward zero.
const std::map<int64_t, std::map<int64_t, int64_t>>& tickOffsets()
{
    static const std::map<int64_t, std::map<int64_t, int64_t>> table = {
        {20, {{0, 0}, {7, 2}, {10, 3}, {12, 4}, {15, 5}, {20, 6}, {22, 7}, {24, 8},
              {30, 10}, {36, 12}, {37, 12}, {40, 13}, {45, 15}, {48, 16}, {50, 16}}},
        {45, {{0, 0}, {7, 5}, {10, 7}, {12, 9}, {15, 11}, {20, 15}, {22, 16}, {24, 18},
              {30, 22}, {36, 27}, {37, 27}, {40, 30}, {45, 33}, {48, 36}, {50, 37}}},
        {60, {{0, 0}, {7, 7}, {10, 10}, {12, 12}, {15, 15}, {20, 20}, {22, 22}, {24, 24},
              {30, 30}, {36, 36}, {37, 37}, {40, 40}, {45, 45}, {48, 48}, {50, 50}}},
        {80, {{0, 0}, {7, 9}, {10, 13}, {12, 16}, {15, 20}, {20, 26}, {22, 29}, {24, 32},
              {30, 40}, {36, 48}, {37, 49}, {40, 53}, {45, 60}, {48, 64}, {50, 66}}},
    };
    return table;
}

TEST(GroupTable, PictureAdvanceAndOffsetsOfEveryIndex)
{
    ASSERT_EQ(grouptable::groupCount, 31);
    for (int64_t g = 0; g <= 30; ++g) {
        const GroupSpec& want = groups()[size_t(g)];
        EXPECT_TRUE(grouptable::isGroup(g)) << g;
        EXPECT_STREQ(grouptable::pictureName(g), want.picture) << g;
        EXPECT_EQ(grouptable::advance(g), want.advance) << g;
        EXPECT_EQ(grouptable::offsets(g), want.offsets) << g;
    }
    for (int64_t g : {int64_t(-1), int64_t(31), int64_t(1000), std::numeric_limits<int64_t>::min()})
        EXPECT_FALSE(grouptable::isGroup(g)) << g;
}

TEST(GroupTable, PicturesComeFromTheirAccessors)
{
    std::map<std::string, res::PictureRef (*)()> accessors;
    for (const res::PictureAccessor& p : res::allPictures())
        accessors[p.name] = p.get;
    for (int64_t g = 0; g <= 30; ++g) {
        const char* name = groups()[size_t(g)].picture;
        ASSERT_TRUE(accessors.count(name)) << name;
        const res::PictureRef pic = grouptable::picture(g);
        EXPECT_FALSE(pic.isNil()) << "picture " << name << " is missing";
        EXPECT_TRUE(pic == accessors[name]()) << g;
    }
}

// ---- expandgroup ------------------------------------------------------------

struct Made {
    QString onset, hit, corrected, pitch, group;
};

class ExpandGroupTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        openWindow();
        lasttesttickspeed = 60;
    }

    // Expands one group and returns the rows it appended.
    std::vector<Made> expand(int64_t group, bool lastBeat, int64_t& previous)
    {
        platform::Listbox& list = *window->notelist;
        const int64_t before = list.ListCount();
        window->expandgroup(group, lastBeat, previous);
        std::vector<Made> rows;
        for (int64_t r = before; r < list.ListCount(); ++r)
            rows.push_back({list.Cell(r, 0), list.Cell(r, 1), list.Cell(r, 2), list.Cell(r, 3), list.Cell(r, 4)});
        return rows;
    }

    static QStringList onsets(const std::vector<Made>& rows)
    {
        QStringList texts;
        for (const Made& m : rows)
            texts << m.onset;
        return texts;
    }
};

// Every group at every tempo, on beat 2 of the bar with index 1 (4 beats).
TEST_F(ExpandGroupTest, RowsOfEveryGroupAtFourTempos)
{
    for (const auto& [tempo, ticks] : tickOffsets()) {
        lasttesttickspeed = tempo;
        for (int64_t g = 0; g <= 30; ++g) {
            SCOPED_TRACE(testing::Message() << "group " << g << " at " << tempo);
            window->notelist->DeleteAllRows();
            window->pagenumber = 1;
            window->startofnote = 4 * tempo; // bar 0's three raises and bar 1's first beat
            window->notesinbar = 2;
            int64_t previous = 0;
            const std::vector<Made> rows = expand(g, false, previous);

            const std::vector<int64_t>& offs = groups()[size_t(g)].offsets;
            QStringList expected;
            for (int64_t o : offs)
                expected << Str(5 * tempo + ticks.at(o));
            EXPECT_EQ(onsets(rows), expected);
            for (size_t i = 0; i < rows.size(); ++i) {
                EXPECT_EQ(rows[i].group, i == 0 ? Str(g) : QString()) << "row " << i;
                EXPECT_TRUE(rows[i].hit.isEmpty()) << "row " << i;
                EXPECT_TRUE(rows[i].corrected.isEmpty()) << "row " << i;
                const int64_t pitch = platform::TruncToInt64(Val(rows[i].pitch));
                EXPECT_EQ(rows[i].pitch, Str(pitch)) << "one decimal digit";
                if (i == 0) {
                    EXPECT_TRUE(pitch == 1 || pitch == 2) << "drawn from 0: " << pitch;
                } else {
                    EXPECT_NE(rows[i].pitch, rows[i - 1].pitch) << "row " << i;
                }
                EXPECT_TRUE(pitch >= 0 && pitch <= 6);
            }
            EXPECT_EQ(window->startofnote, 5 * tempo) << "one beat further";
            EXPECT_EQ(window->notesinbar, 2 + int64_t(offs.size()));
            EXPECT_EQ(previous, rows.empty() ? 0 : platform::TruncToInt64(Val(rows.back().pitch)))
                << "the caller's pitch index is the last row's";
        }
    }
}

TEST_F(ExpandGroupTest, CrotchetThenGroup26StartsTheTable)
{
    struct Case {
        int64_t tempo;
        QStringList onsets;
    };
    for (const Case& c : {Case{60, {"0", "60", "67", "75", "82", "90", "105"}},
                          Case{50, {"0", "50", "55", "62", "68", "75", "87"}}}) {
        lasttesttickspeed = c.tempo;
        window->notelist->DeleteAllRows();
        window->pagenumber = 0;
        window->startofnote = 0;
        window->notesinbar = 0;
        window->beatsinbar = 4;
        int64_t previous = 0;
        std::vector<Made> rows = expand(0, false, previous);
        const std::vector<Made> more = expand(26, false, previous);
        rows.insert(rows.end(), more.begin(), more.end());
        EXPECT_EQ(onsets(rows), c.onsets) << c.tempo;
        ASSERT_EQ(rows.size(), 7u);
        EXPECT_EQ(rows[0].group, QStringLiteral("0"));
        EXPECT_EQ(rows[1].group, QStringLiteral("26"));
        for (size_t i = 2; i < rows.size(); ++i)
            EXPECT_TRUE(rows[i].group.isEmpty()) << i;
        EXPECT_EQ(window->notesinbar, 7);
        EXPECT_EQ(window->startofnote, 2 * c.tempo);
    }
}

TEST_F(ExpandGroupTest, GroupWithoutANoteOnTheBeat)
{
    // Group 23 on beat 3 of bar 0 at 60.
    window->startofnote = 120;
    int64_t previous = 0;
    const std::vector<Made> rows = expand(23, false, previous);
    EXPECT_EQ(onsets(rows), (QStringList{"135", "150", "165"}));
    EXPECT_EQ(rows[0].group, QStringLiteral("23"));

    struct Case {
        int64_t group;
        const char* first;
    };
    for (const Case& c : {Case{3, "30"}, Case{21, "30"}, Case{13, "20"}, Case{24, "15"}}) {
        window->startofnote = 0;
        int64_t p = 0;
        const std::vector<Made> r = expand(c.group, false, p);
        ASSERT_FALSE(r.empty());
        EXPECT_EQ(r[0].onset, QString::fromLatin1(c.first)) << c.group;
        EXPECT_EQ(r[0].group, Str(c.group)) << "the first row carries the index, off the beat";
    }
}

TEST_F(ExpandGroupTest, RestGroupsMakeNoRowsButMoveTheBeat)
{
    for (int64_t rest : {1, 8, 19}) {
        for (bool last : {false, true}) {
            SCOPED_TRACE(testing::Message() << "rest " << rest << (last ? ", last beat" : ""));
            platform::ScriptedRandom& random = scriptRandom({});
            window->notelist->DeleteAllRows();
            window->notelist->AddRow(QStringLiteral("0"));
            window->startofnote = 60;
            window->notesinbar = 3;
            int64_t previous = 4;
            const std::vector<Made> rows = expand(rest, last, previous);
            EXPECT_TRUE(rows.empty());
            EXPECT_EQ(window->notelist->ListCount(), 1);
            EXPECT_EQ(previous, 4) << "the pitch index passes through a rest";
            EXPECT_EQ(window->notesinbar, 3);
            EXPECT_EQ(window->startofnote, last ? 60 : 120);
            EXPECT_TRUE(random.calls.empty());
        }
    }
}

TEST_F(ExpandGroupTest, LastBeatMakesItsRowsButKeepsTheBeat)
{
    lasttesttickspeed = 45;
    window->startofnote = 90;
    window->notesinbar = 5;
    int64_t previous = 0;
    const std::vector<Made> rows = expand(4, true, previous);
    EXPECT_EQ(onsets(rows), (QStringList{"90", "101", "112", "123"}));
    EXPECT_EQ(window->notesinbar, 9);
    EXPECT_EQ(window->startofnote, 90);
}

TEST_F(ExpandGroupTest, IndexesOutsideTheTableChangeNothing)
{
    for (int64_t g : {int64_t(31), int64_t(-1), int64_t(1000), std::numeric_limits<int64_t>::min()}) {
        for (bool last : {false, true}) {
            SCOPED_TRACE(testing::Message() << "group " << g << (last ? ", last beat" : ""));
            platform::ScriptedRandom& random = scriptRandom({});
            window->notelist->DeleteAllRows();
            window->startofnote = 60;
            window->notesinbar = 3;
            window->pagenumber = 2;
            int64_t previous = 5;
            const std::vector<Made> rows = expand(g, last, previous);
            EXPECT_TRUE(rows.empty());
            EXPECT_EQ(window->startofnote, 60);
            EXPECT_EQ(window->notesinbar, 3);
            EXPECT_EQ(window->pagenumber, 2);
            EXPECT_EQ(previous, 5);
            EXPECT_TRUE(random.calls.empty());
        }
    }
}

// The beat cursor over whole bars, the way the bar generator calls the
// expansion: every beat but the bar's last raises startofnote, and the bar
// index adds the beat that the last one did not.
TEST_F(ExpandGroupTest, FirstRowOfTheSecondBar)
{
    struct Case {
        int64_t tempo;
        int64_t beats;
        const char* onset;
    };
    for (const Case& c : {Case{60, 4, "240"}, Case{60, 3, "180"}, Case{45, 5, "225"}, Case{80, 2, "160"}}) {
        SCOPED_TRACE(testing::Message() << c.beats << " beats at " << c.tempo);
        lasttesttickspeed = c.tempo;
        window->beatsinbar = c.beats;
        window->notelist->DeleteAllRows();
        window->pagenumber = 0;
        window->startofnote = 0;
        int64_t previous = 0;
        for (int64_t b = 1; b <= c.beats; ++b)
            expand(b == 2 ? 1 : 0, b == c.beats, previous);
        EXPECT_EQ(window->startofnote, (c.beats - 1) * c.tempo);
        window->pagenumber = 1;
        window->notesinbar = 0;
        previous = 0;
        const std::vector<Made> rows = expand(2, false, previous);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].onset, QString::fromLatin1(c.onset));
    }
}

// Column 3 holds what the pitch walk returned, and each row is drawn from the
// row before it.
TEST_F(ExpandGroupTest, PitchIndexesFollowTheWalkAlongTheRows)
{
    platform::ScriptedRandom& random = scriptRandom({2, 2, 3, 4, 0, 1, 0});
    int64_t previous = 0;
    std::vector<Made> rows = expand(4, false, previous);
    QStringList pitches;
    for (const Made& m : rows)
        pitches << m.pitch;
    EXPECT_EQ(pitches, (QStringList{"2", "3", "4", "0"}));
    EXPECT_EQ(previous, 0);

    rows = expand(20, false, previous); // continues from the 0 of the last row
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].pitch, QStringLiteral("1"));
    EXPECT_EQ(rows[1].pitch, QStringLiteral("0"));
    EXPECT_EQ(previous, 0);

    using Draw = std::pair<int64_t, int64_t>;
    const std::vector<Draw> expected = {{1, 2}, {0, 4}, {0, 4}, {2, 4}, {0, 5}, {1, 2}, {0, 2}};
    EXPECT_EQ(random.calls, expected);
}

TEST_F(ExpandGroupTest, PreviousPitchOutsideTheWalkStartsAgainFromZero)
{
    platform::ScriptedRandom& random = scriptRandom({2});
    int64_t previous = 9;
    const std::vector<Made> rows = expand(2, false, previous);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].pitch, QStringLiteral("0")) << "no draw for 9";
    EXPECT_EQ(rows[1].pitch, QStringLiteral("2"));
    EXPECT_EQ(random.calls, (std::vector<std::pair<int64_t, int64_t>>{{1, 2}}));
    EXPECT_EQ(previous, 2);
}

} // namespace
