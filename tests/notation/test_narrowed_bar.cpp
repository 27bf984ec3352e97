// A bar drawn smaller as a whole, without a window: its size and factor, the
// pieces at their places, stems kept dark and heads kept round.
#include "notation/narrowed_bar.h"
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using notation::BarPiece;
using notation::narrowedBar;

constexpr int kPictureHeight = 400;
constexpr int kHeadLine = 264;

// A full-size picture with a note: a round head of `headDiameter` on the head
// line and, from its right edge up, a stem `stemWidth` wide and `stemLength`
// long.
QImage note(int width, int headLeft, int headDiameter, int stemWidth, int stemLength)
{
    QImage image(width, kPictureHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(headLeft, kHeadLine - headDiameter / 2.0, headDiameter, headDiameter));
    p.fillRect(QRect(headLeft + headDiameter - stemWidth, kHeadLine - stemLength, stemWidth, stemLength), Qt::black);
    return image;
}

// Ink in a pixel, 0 to 255.
int ink(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)); }

// The most ink a column holds over rows from..to.
int darkestIn(const QImage& image, int x, int from, int to)
{
    int most = 0;
    for (int y = from; y <= to; ++y)
        most = std::max(most, ink(image, x, y));
    return most;
}

} // namespace

TEST(NarrowedBar, IsTheWidthAskedForWithTheHeightInProportion)
{
    const QImage a = note(300, 20, 60, 6, 200), b = note(500, 20, 60, 6, 200);
    struct Case {
        std::vector<BarPiece> pieces;
        int width;
        int fullWidth; // the composed pieces
    };
    const Case cases[] = {
        {{{&a, 0}}, 150, 300},
        {{{&a, 0}, {&b, 300}}, 495, 800},
        {{{&a, 0}, {&b, 250}}, 331, 750}, // overlapping pieces end with the last one
        {{{&b, 0}, {&a, 100}}, 97, 500},  // a piece inside another adds no width
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "width " << c.width << " of " << c.fullWidth);
        const notation::NarrowedBar bar = narrowedBar(c.pieces, c.width);
        const double scale = double(c.width) / c.fullWidth;
        EXPECT_DOUBLE_EQ(bar.scale, scale);
        EXPECT_EQ(bar.image.width(), c.width);
        EXPECT_EQ(bar.image.height(), int(std::lround(kPictureHeight * scale)));
    }
}

TEST(NarrowedBar, NothingToDrawGivesAnEmptyBar)
{
    const QImage a = note(300, 20, 60, 6, 200);
    for (const auto& [pieces, width] : {std::pair<std::vector<BarPiece>, int>{{}, 100}, {{{&a, 0}}, 0}}) {
        const notation::NarrowedBar bar = narrowedBar(pieces, width);
        EXPECT_TRUE(bar.image.isNull());
        EXPECT_EQ(bar.scale, 0);
    }
}

// Each piece lands at its left edge times the factor, the head line at the
// factor's share of the height.
TEST(NarrowedBar, PutsEachPieceAtItsPlace)
{
    const QImage a = note(400, 40, 80, 8, 200);
    const std::vector<BarPiece> pieces = {{&a, 0}, {&a, 400}, {&a, 800}};
    const notation::NarrowedBar bar = narrowedBar(pieces, 600);
    ASSERT_DOUBLE_EQ(bar.scale, 0.5);
    const int line = int(kHeadLine * bar.scale);
    for (const BarPiece& piece : pieces) {
        const int centre = int((piece.left + 40 + 40) * bar.scale);
        EXPECT_EQ(ink(bar.image, centre, line), 255) << "the head of the piece at " << piece.left;
        EXPECT_EQ(ink(bar.image, int((piece.left + 20) * bar.scale), line), 0) << "left of that head";
    }
}

// A stem thinner than a pixel once narrowed keeps one whole column of full
// ink down its length, wherever it falls between two columns; a head is dark
// by itself, and a short stroke (a digit's, a rest's) is averaged like the rest.
TEST(NarrowedBar, KeepsEveryStemDark)
{
    for (int offset = 0; offset < 5; ++offset) {
        SCOPED_TRACE(testing::Message() << "stem " << offset << " pixels to the right");
        const QImage stemmed = note(400, 40 + offset, 60, 3, 200);
        const notation::NarrowedBar bar = narrowedBar({{&stemmed, 0}}, 80); // a fifth of the size
        const int stemLeft = int(std::floor((40 + offset + 57) * bar.scale));
        const int stemRight = int(std::floor((40 + offset + 60) * bar.scale));
        // Well clear of the stem's ends and of the head.
        const int top = int(std::ceil((kHeadLine - 190) * bar.scale)), bottom = int((kHeadLine - 40) * bar.scale);
        bool wholeColumn = false;
        for (int x = stemLeft; x <= stemRight; ++x) {
            bool full = true;
            for (int y = top; y <= bottom; ++y)
                full &= ink(bar.image, x, y) == 255;
            wholeColumn |= full;
        }
        EXPECT_TRUE(wholeColumn) << "the stem fades: at most " << darkestIn(bar.image, stemLeft, top, bottom) << ", "
                                 << darkestIn(bar.image, stemRight, top, bottom);
    }
    const QImage shortStroke = note(400, 40, 60, 3, 60);
    const notation::NarrowedBar bar = narrowedBar({{&shortStroke, 0}}, 80);
    const int x = int((40 + 58.5) * bar.scale);
    EXPECT_LT(darkestIn(bar.image, x, int((kHeadLine - 55) * bar.scale), int((kHeadLine - 40) * bar.scale)), 255)
        << "a short stroke made dark";
}

// One factor across and down: a round head stays round.
TEST(NarrowedBar, KeepsHeadsRound)
{
    const QImage a = note(400, 40, 80, 8, 200);
    for (int width : {300, 217, 131}) {
        SCOPED_TRACE(width);
        const notation::NarrowedBar bar = narrowedBar({{&a, 0}}, width);
        const int centreX = int((40 + 40) * bar.scale), line = int(kHeadLine * bar.scale);
        double across = 0, down = 0;
        for (int x = 0; x < bar.image.width(); ++x)
            across += ink(bar.image, x, line) / 255.0;
        for (int y = int((kHeadLine - 60) * bar.scale); y < bar.image.height(); ++y)
            down += ink(bar.image, centreX - int(10 * bar.scale), y) / 255.0; // left of the stem
        EXPECT_NEAR(across, 80 * bar.scale, 1.5);
        EXPECT_NEAR(down, std::sqrt(80.0 * 80 - 20.0 * 20) * bar.scale, 1.5);
    }
}
