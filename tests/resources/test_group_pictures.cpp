// What the group pictures show, read off the pictures at the size the
// notation canvas draws them: one head on the head line for each of the
// group's rows, at the places of its offsets, never crowding, and nothing
// reaching into the next beat.
#include "group_heads.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

using namespace group_heads;

namespace {

// Where a picture's beat starts and how far a head sits right of a note's
// place, measured on the crotchet: its head is the note on the beat.
struct Canvas {
    HeadLine line;
    double beatStart = 0; // centre of a head on the beat
};

Canvas canvas()
{
    const QImage crotchet = canvasSize(fullSize("crot"));
    Canvas c{headLineOf(crotchet), 0};
    const std::vector<InkRun> found = heads(crotchet, c.line);
    if (!found.empty())
        c.beatStart = found.front().centre();
    return c;
}

// Every group index: as many heads as the group has rows, each roughly where
// its offset falls on a beat as wide as the group's advance. The picture is
// what the user reads and the rows are what is timed and scored, so the two
// must tell the same rhythm. Crowded notes stand a little off their places;
// a note drawn on the wrong side of a rest or a missing head does not pass.
TEST(DrawnRhythm, ShowsTheRowsOfItsGroup)
{
    const Canvas c = canvas();
    ASSERT_GT(c.line.row, 0);
    ASSERT_GT(c.line.headWidth, 6) << "a crotchet head at canvas size";
    for (size_t index = 0; index < grouptable::groups.size(); ++index) {
        const grouptable::GroupRhythm& group = grouptable::groups[index];
        SCOPED_TRACE(testing::Message() << "group " << index << " (" << group.picture << ")");
        const QImage image = canvasSize(fullSize(group.picture));
        ASSERT_FALSE(image.isNull());
        const std::vector<InkRun> found = heads(image, c.line);
        EXPECT_EQ(found.size(), group.rows) << "heads on the head line";
        if (found.size() != group.rows)
            continue;
        const double beat = group.advance / 4.0;
        // A sixth of a beat: between a crowded note's place and its neighbour's.
        const double tolerance = beat / 6;
        for (size_t i = 0; i < found.size(); ++i) {
            const double place = c.beatStart + group.offsets()[i] / 60.0 * beat;
            EXPECT_NEAR(found[i].centre(), place, tolerance) << "head " << i << " for offset " << group.offsets()[i];
        }
    }
}

// At the canvas's quarter size two neighbouring heads keep a clear gap: the
// beat's notes read one by one, however short they are.
TEST(DrawnRhythm, NeighbouringHeadsNeverCrowd)
{
    constexpr int kLeastGap = 7; // empty pixels on the head line
    const Canvas c = canvas();
    for (const grouptable::GroupRhythm* group : distinctGroups()) {
        const std::vector<InkRun> found = heads(canvasSize(fullSize(group->picture)), c.line);
        for (size_t i = 1; i < found.size(); ++i)
            EXPECT_GE(found[i].first - found[i - 1].last - 1, kLeastGap)
                << group->picture << ": heads " << i - 1 << " and " << i;
    }
}

// The next beat's picture starts at the advance; a flag, dot or beam that
// ended right there would seem to hook into its first note.
TEST(DrawnRhythm, EndsClearOfTheNextBeat)
{
    constexpr int kLeastMargin = 4; // empty pixels before the advance at canvas size
    for (const grouptable::GroupRhythm* group : distinctGroups()) {
        const QImage image = canvasSize(fullSize(group->picture));
        int rightmost = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = image.width() - 1; x > rightmost; --x)
                if (inked(image, x, y))
                    rightmost = x;
        const int advance = int(group->advance / 4);
        EXPECT_LE(rightmost, advance - 1 - kLeastMargin) << group->picture;
    }
}

// Straight notes fall on semiquavers (multiples of 15) or on the
// demisemiquavers between them, which the table writes truncated (15k + 7);
// any other offset belongs to a tuplet.
bool isTuplet(const grouptable::GroupRhythm& group)
{
    const auto offsets = group.offsets();
    return std::any_of(offsets.begin(), offsets.end(), [](int64_t o) { return o % 15 != 0 && o % 15 != 7; });
}

int topInkRow(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (inked(image, x, y))
                return y;
    return -1;
}

// Pictures of one bar stand side by side: the tops of their stems and beams
// line up, and so do the tuplet numbers, over a beam or in a bracket.
TEST(DrawnRhythm, BeamsAndTupletNumbersStandAtOneHeight)
{
    struct Top {
        const char* picture;
        int row;
    };
    std::vector<Top> straight, tuplets;
    for (const grouptable::GroupRhythm* group : distinctGroups()) {
        if (group->rows == 0)
            continue; // the crotchet rest has no stem
        const Top top{group->picture, topInkRow(canvasSize(fullSize(group->picture)))};
        (isTuplet(*group) ? tuplets : straight).push_back(top);
    }
    ASSERT_GE(straight.size(), 10u);
    ASSERT_GE(tuplets.size(), 10u);
    for (const auto* kind : {&straight, &tuplets})
        for (const Top& top : *kind)
            EXPECT_NEAR(top.row, kind->front().row, 1) << top.picture << " against " << kind->front().picture;
}

// A rest inside a quintuplet stands under the beam, which runs from the
// first note's stem to the last: the last note is no lone flag that could
// be read as part of the next beat.
TEST(DrawnRhythm, TheQuintupletBeamRunsOverItsRest)
{
    const Canvas c = canvas();
    for (const char* name : {"sssss", "ssrss", "sssrs"}) {
        SCOPED_TRACE(name);
        const QImage image = canvasSize(fullSize(name));
        const std::vector<InkRun> found = heads(image, c.line);
        ASSERT_GE(found.size(), 4u);
        // The outer beam: the longest run of ink above the heads.
        InkRun beam{0, -1};
        for (int y = 0; y < c.line.row - c.line.headWidth; ++y)
            for (const InkRun& r : runsOnRow(image, y))
                if (r.width() > beam.width())
                    beam = r;
        EXPECT_LE(beam.first, found.front().last) << "the beam starts at the first stem";
        EXPECT_GE(beam.last, found.back().last - 1) << "the beam reaches the last stem";
    }
}

} // namespace
