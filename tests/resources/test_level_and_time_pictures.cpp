// The options window's level pictures and time signatures, read at the size
// they are shown: one staff size for every level, the groups each level adds
// set apart, three beams told apart, and time signatures that stand clear of
// their edges on a stretch of line.
#include "group_heads.h"
#include "notation/leveldata.h"
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

QImage picture(const char* name)
{
    return QImage(QStringLiteral(":/res/%1.png").arg(QString::fromLatin1(name))).convertToFormat(QImage::Format_ARGB32);
}

using group_heads::inked;
using group_heads::runsOnRow;

// The row touched by ink in the most columns: the single staff line, which
// runs under the whole row, thinner than a pixel at this size.
int staffLineRow(const QImage& image)
{
    int best = -1, most = 0;
    for (int y = 0; y < image.height(); ++y) {
        int count = 0;
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 40;
        if (count > most) {
            most = count;
            best = y;
        }
    }
    return best;
}

const char* const kLevels[] = {"l1", "l2", "l3", "l1t", "l4", "l5", "l6", "l7", "l8"};

// The note heads' width just under the line, where a head is nearly at its
// widest and only a rest's thin stroke crosses too: the median run.
int headWidth(const QImage& image)
{
    const int row = staffLineRow(image) + 2;
    std::vector<int> widths;
    for (const group_heads::InkRun& r : runsOnRow(image, row))
        widths.push_back(r.width());
    if (widths.empty())
        return 0;
    std::sort(widths.begin(), widths.end());
    return widths[widths.size() / 2];
}

TEST(LevelPictures, ShareOneStaffSize)
{
    const int reference = headWidth(picture("l1"));
    EXPECT_GE(reference, 6) << "heads large enough to read at a glance";
    for (const char* name : kLevels)
        EXPECT_NEAR(headWidth(picture(name)), reference, 1) << name;
}

// A level picture read as a row of figures, left to right: the columns that
// hold ink off the staff line, parted where a clear gap is wider than half a
// note head (inside a figure, only a rest, a dot or a bracket's numeral leaves
// a narrower one).
struct Figure {
    int first, last;
    int heads;
};

struct LevelRow {
    int head = 0; // the picture's note-head width
    std::vector<Figure> figures;
    std::vector<int> gaps; // clear columns between each figure and the next
    int inkLeft = 0, inkRight = 0; // the row's extent, staff line included
};

LevelRow readLevelRow(const QImage& image)
{
    LevelRow row;
    row.head = headWidth(image);
    const int line = staffLineRow(image);
    auto offTheLine = [&](int x) {
        for (int y = 0; y < image.height(); ++y)
            if (std::abs(y - line) > 1 && qAlpha(image.pixel(x, y)) > 40)
                return true;
        return false;
    };
    std::vector<group_heads::InkRun> columns; // runs of inked columns
    for (int x = 0, start = -1; x <= image.width(); ++x) {
        const bool ink = x < image.width() && offTheLine(x);
        if (ink && start < 0)
            start = x;
        if (!ink && start >= 0) {
            columns.push_back({start, x - 1});
            start = -1;
        }
    }
    for (const group_heads::InkRun& c : columns) {
        const int gap = row.figures.empty() ? 0 : c.first - row.figures.back().last - 1;
        if (row.figures.empty() || gap * 2 > row.head) {
            if (!row.figures.empty())
                row.gaps.push_back(gap);
            row.figures.push_back({c.first, c.last, 0});
        } else {
            row.figures.back().last = c.last;
        }
    }
    // Heads just under the line; a rest's stroke there is far thinner.
    for (const group_heads::InkRun& r : runsOnRow(image, line + 2))
        if (r.width() * 2 >= row.head)
            for (Figure& f : row.figures)
                f.heads += r.first >= f.first && r.last <= f.last;
    const auto lineRuns = runsOnRow(image, line);
    if (!lineRuns.empty())
        row.inkLeft = lineRuns.front().first, row.inkRight = lineRuns.back().last;
    return row;
}

// Each level's picture shows the groups its level adds, in the table's
// order: one figure for each, with as many heads as the group has notes. A
// rest that opens a group stands where its time falls, so it may stand apart
// from the group's notes as a figure without heads.
TEST(LevelPictures, ShowTheGroupsTheirLevelAdds)
{
    for (const grouptable::Level& level : grouptable::levels) {
        SCOPED_TRACE(level.picture);
        const std::vector<Figure> figures = readLevelRow(picture(level.picture)).figures;
        std::vector<int> expected, found;
        size_t f = 0;
        for (int64_t g = level.addsFrom; g <= level.level; ++g) {
            const auto notes = grouptable::groups[size_t(g)].offsets();
            expected.push_back(int(notes.size()));
            const bool opensWithRest = !notes.empty() && notes.front() > 0;
            if (opensWithRest && f + 1 < figures.size() && figures[f].heads == 0)
                ++f;
            if (f < figures.size())
                found.push_back(figures[f++].heads);
        }
        for (; f < figures.size(); ++f)
            found.push_back(figures[f].heads);
        EXPECT_EQ(found, expected) << "heads of each figure, left to right";
    }
}

// Figures stand well apart where the button has room; a row that fills its
// button keeps them at least a head apart.
TEST(LevelPictures, SetTheirFiguresApart)
{
    for (const char* name : kLevels) {
        SCOPED_TRACE(name);
        const QImage image = picture(name);
        const LevelRow row = readLevelRow(image);
        ASSERT_GE(row.head, 1);
        const bool fills = row.inkLeft <= 2 * row.head && row.inkRight >= image.width() - 1 - 2 * row.head;
        for (int gap : row.gaps)
            EXPECT_GE(gap * 2, row.head * (fills ? 2 : 3))
                << "figures " << gap << " pixels apart, heads " << row.head << (fills ? ", the row fills its button" : "");
    }
}

// The level that adds demisemiquavers must show their three beams apart, not
// merged into what reads as two: down some column, three beams each solid
// for three rows or more, and between them a row nearly clear.
TEST(LevelPictures, ThreeBeamsAreToldApart)
{
    const QImage image = picture("l7");
    const int line = staffLineRow(image);
    int most = 0;
    for (int x = 0; x < image.width(); ++x) {
        int beams = 0, solid = 0, gapLightest = 0;
        for (int y = 0; y < line - 3; ++y) {
            const int alpha = qAlpha(image.pixel(x, y));
            if (alpha > 128) {
                ++solid;
                continue;
            }
            if (solid >= 3) {
                // A beam ends; it counts on from the one before if a clear
                // row parted them.
                beams = beams > 0 && gapLightest >= 64 ? 1 : beams + 1;
                gapLightest = 255;
            } else if (solid > 0) {
                beams = 0;
            }
            solid = 0;
            gapLightest = std::min(gapLightest, alpha);
            most = std::max(most, beams);
        }
    }
    EXPECT_GE(most, 3);
}

// The numerals keep white around them, and the line reaches past them on
// both sides, so the picture reads as a time signature and not a fraction.
TEST(TimeSignatures, StandClearOnAStretchOfLine)
{
    constexpr int kWhite = 5;    // pixels from the numerals to each edge
    constexpr int kOverhang = 5; // pixels of line beyond the numerals
    for (const char* name : {"t24", "t34", "t44", "t54"}) {
        SCOPED_TRACE(name);
        const QImage image = picture(name);
        ASSERT_FALSE(image.isNull());
        // The line: the row with the longest run of ink; the rows of its
        // thickness run nearly as long.
        auto lineRun = [&](int y) {
            int widest = 0;
            for (const group_heads::InkRun& r : runsOnRow(image, y))
                widest = std::max(widest, r.width());
            return widest;
        };
        int line = 0;
        for (int y = 0; y < image.height(); ++y)
            if (lineRun(y) > lineRun(line))
                line = y;
        const int lineWidth = lineRun(line);
        int left = image.width(), right = -1, top = image.height(), bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            if (lineRun(y) * 10 >= lineWidth * 9)
                continue;
            for (int x = 0; x < image.width(); ++x)
                if (inked(image, x, y)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        }
        ASSERT_GE(right, left) << "no numerals";
        EXPECT_GE(left, kWhite);
        EXPECT_LE(right, image.width() - 1 - kWhite);
        EXPECT_GE(top, kWhite);
        EXPECT_LE(bottom, image.height() - 1 - kWhite);
        const auto lineRuns = runsOnRow(image, line);
        ASSERT_FALSE(lineRuns.empty());
        EXPECT_LE(lineRuns.front().first, left - kOverhang) << "the line starts before the numerals";
        EXPECT_GE(lineRuns.back().last, right + kOverhang) << "the line goes on past them";
    }
}

} // namespace
