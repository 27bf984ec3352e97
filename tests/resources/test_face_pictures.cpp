// Button faces, graph dots and the desktop icon read as the user sees them:
// buttons of one rank alike, white captions that stand out from their faces,
// dots in the colours the legend and the help name, an icon that holds up at
// menu sizes.
#include "group_heads.h"
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace {

// Relative luminance as the contrast guidelines define it.
double luminance(QRgb c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double contrast(double lighter, double darker) { return (lighter + 0.05) / (darker + 0.05); }

struct Face {
    std::string name;
    std::string rank;
    bool whiteCaption; // else the grey caption of a disabled face
    bool icon;
};
void PrintTo(const Face& f, std::ostream* os) { *os << f.name; }

const std::vector<Face> kFaces = {
    {"go", "main row", true, false},          {"stop", "main row", true, false},
    {"repeat", "main row", true, false},      {"options", "main row", true, false},
    {"optionslight", "main row", false, false}, {"results", "main row", true, false},
    {"resultslight", "main row", false, false}, {"help", "main row", true, false},
    {"newtest", "new test", true, false},     {"play", "replay", true, true},
    {"smallstop", "replay", true, true},
};

// What one face picture measures.
struct Measured {
    int faceTop = -1, faceBottom = -1; // opaque rows down the middle column
    QRect icon, caption;               // bounding boxes of the caption's ink
    int capTop = -1, capBottom = -1;   // the caption's capitals, overshoots left out
};

bool captionInk(const Face& face, QRgb c)
{
    if (qAlpha(c) < 255)
        return false;
    if (face.whiteCaption)
        return std::min({qRed(c), qGreen(c), qBlue(c)}) >= 200;
    return qGray(c) < 185;
}

Measured measure(const Face& face, const QImage& image)
{
    Measured m;
    for (int y = 0; y < image.height(); ++y)
        if (qAlpha(image.pixel(image.width() / 2, y)) > 128) {
            if (m.faceTop < 0)
                m.faceTop = y;
            m.faceBottom = y;
        }
    // Columns holding ink; with an icon, its columns are the first run.
    std::vector<int> inkColumns;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (captionInk(face, image.pixel(x, y))) {
                inkColumns.push_back(x);
                break;
            }
    if (inkColumns.empty())
        return m;
    size_t textStart = 0;
    if (face.icon) {
        while (textStart + 1 < inkColumns.size() && inkColumns[textStart + 1] == inkColumns[textStart] + 1)
            ++textStart;
        ++textStart;
    }
    auto box = [&](int first, int last) {
        QRect r;
        for (int x = first; x <= last; ++x)
            for (int y = 0; y < image.height(); ++y)
                if (captionInk(face, image.pixel(x, y)))
                    r |= QRect(x, y, 1, 1);
        return r;
    };
    if (face.icon)
        m.icon = box(inkColumns.front(), inkColumns[textStart - 1]);
    if (textStart < inkColumns.size())
        m.caption = box(inkColumns[textStart], inkColumns.back());
    // The capitals' flat tops and the baseline hold many ink pixels a row;
    // the overshoots of round letters hold a few.
    std::vector<int> perRow(image.height(), 0);
    int most = 0;
    for (int y = m.caption.top(); y <= m.caption.bottom(); ++y) {
        for (int x = m.caption.left(); x <= m.caption.right(); ++x)
            perRow[y] += captionInk(face, image.pixel(x, y));
        most = std::max(most, perRow[y]);
    }
    for (int y = m.caption.top(); y <= m.caption.bottom(); ++y)
        if (perRow[y] * 4 >= most) {
            if (m.capTop < 0)
                m.capTop = y;
            m.capBottom = y;
        }
    return m;
}

class FacePicture : public ::testing::TestWithParam<Face> {};
class WhiteCaptionedFace : public ::testing::TestWithParam<Face> {};

// A disabled face's caption is greyed out on purpose.
std::vector<Face> whiteCaptioned()
{
    std::vector<Face> faces;
    std::copy_if(kFaces.begin(), kFaces.end(), std::back_inserter(faces), [](const Face& f) { return f.whiteCaption; });
    return faces;
}

TEST_P(WhiteCaptionedFace, CaptionStandsOutFromTheFaceByThreeToOne)
{
    const Face& face = GetParam();
    const QImage image = group_heads::fullSize(face.name);
    const Measured m = measure(face, image);
    ASSERT_FALSE(m.caption.isEmpty()) << "no caption";
    // The face is shaded from top to bottom only, so beside the caption's ink,
    // on the same rows, is what lies behind it.
    const QRect ink = m.caption | m.icon;
    double lightestBehind = 0, brightestInk = 0;
    for (int y = ink.top(); y <= ink.bottom(); ++y) {
        for (int x : {ink.left() - 5, ink.left() - 4, ink.left() - 3, ink.right() + 3, ink.right() + 4, ink.right() + 5}) {
            const QRgb c = image.pixel(x, y);
            ASSERT_EQ(qAlpha(c), 255) << "the caption runs off its face at " << x << "," << y;
            lightestBehind = std::max(lightestBehind, luminance(c));
        }
        for (int x = ink.left(); x <= ink.right(); ++x)
            brightestInk = std::max(brightestInk, luminance(image.pixel(x, y)));
    }
    EXPECT_GE(brightestInk, 0.95) << "the caption is white";
    EXPECT_GE(contrast(brightestInk, lightestBehind), 3.0) << "face luminance " << lightestBehind;
}

TEST_P(FacePicture, ShowsItsWholeFaceBorderAndAll)
{
    // A face cut off by its picture's edge ends in its fill, not in its
    // darker border.
    const QImage image = group_heads::fullSize(GetParam().name);
    const Measured m = measure(GetParam(), image);
    ASSERT_GE(m.faceBottom - m.faceTop, 8) << "no face";
    const int x = image.width() / 2;
    // The shading changes far less over three rows than fill to border.
    EXPECT_LE(luminance(image.pixel(x, m.faceTop)), 0.85 * luminance(image.pixel(x, m.faceTop + 3))) << "top edge";
    EXPECT_LE(luminance(image.pixel(x, m.faceBottom)), 0.85 * luminance(image.pixel(x, m.faceBottom - 3)))
        << "bottom edge";
}

INSTANTIATE_TEST_SUITE_P(Resources, FacePicture, ::testing::ValuesIn(kFaces),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Resources, WhiteCaptionedFace, ::testing::ValuesIn(whiteCaptioned()),
                         [](const auto& info) { return info.param.name; });

TEST(FacePictures, ButtonsOfOneRankShareFaceHeightAndCaptionSize)
{
    std::map<std::string, std::pair<const Face*, Measured>> first;
    for (const Face& face : kFaces) {
        const Measured m = measure(face, group_heads::fullSize(face.name));
        ASSERT_GE(m.faceTop, 0) << face.name << " shows no face";
        ASSERT_GE(m.capTop, 0) << face.name << " shows no caption";
        const auto [at, isFirst] = first.try_emplace(face.rank, &face, m);
        if (isFirst)
            continue;
        const Face& other = *at->second.first;
        const Measured& o = at->second.second;
        EXPECT_EQ(m.faceBottom - m.faceTop, o.faceBottom - o.faceTop) << face.name << " against " << other.name;
        EXPECT_EQ(m.capBottom - m.capTop, o.capBottom - o.capTop) << face.name << " against " << other.name;
        // The capitals stand at the same place on the face.
        EXPECT_EQ(m.capTop - m.faceTop, o.capTop - o.faceTop) << face.name << " against " << other.name;
    }
}

TEST(FacePictures, ReplayIconWeighsAboutAsMuchAsItsCaption)
{
    for (const Face& face : kFaces) {
        if (!face.icon)
            continue;
        const Measured m = measure(face, group_heads::fullSize(face.name));
        const int cap = m.capBottom - m.capTop + 1, icon = m.icon.height();
        EXPECT_GE(cap, 9) << face.name << ": a caption read from across a desk";
        EXPECT_GE(icon, cap) << face.name;
        EXPECT_LE(icon, cap * 3 / 2) << face.name << ": the icon outweighs the word";
    }
}

// The replay icon and its caption sit side by side, a clear gap between
// them, and the icon's columns hold the icon alone: each one run of ink
// centred on the icon's middle, as a triangle or a square is.
TEST(FacePictures, ReplayCaptionKeepsOffItsIcon)
{
    for (const Face& face : kFaces) {
        if (!face.icon)
            continue;
        SCOPED_TRACE(face.name);
        const QImage image = group_heads::fullSize(face.name);
        const Measured m = measure(face, image);
        ASSERT_FALSE(m.icon.isEmpty() || m.caption.isEmpty()) << "icon and caption run together";
        EXPECT_GE(m.caption.left() - m.icon.right() - 1, 2) << "clear columns between icon and caption";
        const double middle = (m.icon.top() + m.icon.bottom()) / 2.0;
        for (int x = m.icon.left(); x <= m.icon.right(); ++x) {
            std::vector<int> rows;
            for (int y = m.icon.top(); y <= m.icon.bottom(); ++y)
                if (captionInk(face, image.pixel(x, y)))
                    rows.push_back(y);
            ASSERT_FALSE(rows.empty());
            EXPECT_EQ(rows.back() - rows.front() + 1, int(rows.size())) << "broken column at x " << x;
            EXPECT_NEAR((rows.front() + rows.back()) / 2.0, middle, 1.0) << "off-centre column at x " << x;
        }
    }
}

// Colours as the graph's legend and the help text name them: black for the
// written notes, green, blue and red for perfect, near and way-off hits.
struct DotColour {
    std::string name;
    double hueFrom, hueTo; // degrees; a range may wrap past 360
};
void PrintTo(const DotColour& d, std::ostream* os) { *os << d.name; }

class GraphDot : public ::testing::TestWithParam<DotColour> {};

TEST_P(GraphDot, HasTheColourTheLegendNames)
{
    const QImage image = group_heads::fullSize(GetParam().name);
    double r = 0, g = 0, b = 0;
    int solid = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAlpha(c) < 230)
                continue;
            r += qRed(c), g += qGreen(c), b += qBlue(c);
            ++solid;
        }
    ASSERT_GE(solid, 16) << "hardly anything drawn";
    const QColor mean(int(r / solid), int(g / solid), int(b / solid));
    const DotColour& want = GetParam();
    if (want.hueFrom < 0) {
        EXPECT_LE(std::max({mean.red(), mean.green(), mean.blue()}), 50) << "not black: " << qPrintable(mean.name());
        return;
    }
    const double hue = mean.hsvHueF() * 360;
    const bool inRange = want.hueFrom <= want.hueTo ? hue >= want.hueFrom && hue <= want.hueTo
                                                    : hue >= want.hueFrom || hue <= want.hueTo;
    EXPECT_TRUE(inRange) << "hue " << hue << " of " << qPrintable(mean.name());
    EXPECT_GE(mean.hsvSaturationF(), 0.6) << qPrintable(mean.name());
}

INSTANTIATE_TEST_SUITE_P(Resources, GraphDot,
                         ::testing::Values(DotColour{"bbdot", -1, -1}, DotColour{"gdot", 100, 170},
                                           DotColour{"bldot", 180, 230}, DotColour{"rdot", 345, 12}),
                         [](const auto& info) { return info.param.name; });

// The desktop icon at the sizes of menus and panels: two stems, a beam
// between them and two heads, each in solid white on the tile.
class SmallIcon : public ::testing::TestWithParam<int> {};

TEST_P(SmallIcon, ShowsStemsBeamAndHeadsInSolidWhite)
{
    const int size = GetParam();
    const QDir folder(QStringLiteral(VELVANE_ICON_ROOT "/%1x%1/apps").arg(size));
    const QStringList files = folder.entryList({QStringLiteral("*.png")});
    ASSERT_EQ(files.size(), 1) << qPrintable(folder.path());
    const QImage icon = QImage(folder.filePath(files.front())).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(icon.size(), QSize(size, size));
    auto solid = [&](int x, int y) { return qAlpha(icon.pixel(x, y)) == 255 && luminance(icon.pixel(x, y)) >= 0.7; };

    // A stem: a column with an unbroken solid run of at least a third of the icon.
    std::vector<int> stemColumns;
    for (int x = 0; x < size; ++x) {
        int run = 0, longest = 0;
        for (int y = 0; y < size; ++y) {
            run = solid(x, y) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        if (longest * 3 >= size)
            stemColumns.push_back(x);
    }
    std::vector<std::pair<int, int>> stems; // first and last column
    for (int x : stemColumns) {
        if (!stems.empty() && stems.back().second == x - 1)
            stems.back().second = x;
        else
            stems.emplace_back(x, x);
    }
    ASSERT_EQ(stems.size(), 2u) << "stems are lost in the tile";
    for (const auto& [from, to] : stems)
        EXPECT_GE(to - from + 1, 2) << "a stem one pixel wide blurs at this size";

    bool beam = false, twoHeads = false;
    for (int y = 0; y < size; ++y) {
        std::vector<int> runs;
        int run = 0;
        for (int x = 0; x <= size; ++x) {
            if (x < size && solid(x, y)) {
                ++run;
            } else if (run) {
                runs.push_back(run);
                run = 0;
            }
        }
        int across = 0;
        for (int x = stems.front().first; x <= stems.back().second; ++x)
            across += solid(x, y);
        beam |= across == stems.back().second - stems.front().first + 1;
        twoHeads |= runs.size() == 2 && std::min(runs[0], runs[1]) >= 3 && y > size / 2;
    }
    EXPECT_TRUE(beam) << "no solid beam from stem to stem";
    EXPECT_TRUE(twoHeads) << "the heads do not stand apart";
}

INSTANTIATE_TEST_SUITE_P(Resources, SmallIcon, ::testing::Values(16, 22, 24));

} // namespace
