// The pictures as the program finds them in its resources: all there, sized
// for the controls that show them, and the group pictures lined up so the
// notation canvas can draw a bar of them on its staff line.
#include "group_heads.h"
#include "shell/resource_list.h"
#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QImage>
#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

QImage picture(const std::string& name)
{
    QImage image(QStringLiteral(":/res/%1.png").arg(QString::fromStdString(name)));
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool inked(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)) > 128; }

struct Sized {
    std::string name;
    int width, height;
};

void PrintTo(const Sized& s, std::ostream* os) { *os << s.name; }

// The size of the control or place that shows each picture but the group
// pictures.
const std::vector<Sized> kSized = {
    {"canvasback", 725, 231}, {"cover", 725, 231},
    {"go", 173, 46}, {"stop", 173, 46}, {"repeat", 173, 46},
    {"options", 141, 65}, {"optionslight", 141, 65}, {"results", 141, 65}, {"resultslight", 141, 65},
    {"help", 117, 46}, {"newtest", 123, 32}, {"play", 89, 45}, {"smallstop", 89, 45},
    {"bdot", 16, 14}, {"gdot", 10, 10}, {"bldot", 10, 10}, {"rdot", 10, 10}, {"bbdot", 10, 10},
    {"l1", 121, 51}, {"l2", 270, 46}, {"l3", 121, 51}, {"l1t", 167, 51}, {"l4", 136, 51},
    {"l5", 325, 51}, {"l6", 167, 51}, {"l7", 230, 51}, {"l8", 230, 59},
    {"t24", 38, 63}, {"t34", 38, 63}, {"t44", 38, 63}, {"t54", 38, 63},
};

std::string nameOf(std::string_view name) { return std::string(name); }

TEST(ResourceFiles, AllSixtyFiveAreCompiledIn)
{
    std::vector<std::string> files;
    for (const res::PictureEntry& p : res::pictureList)
        files.push_back(nameOf(p.name) + ".png");
    for (std::string_view sound : res::soundList)
        files.push_back(nameOf(sound) + ".wav");
    ASSERT_EQ(files.size(), 65u);
    ASSERT_EQ(std::set<std::string>(files.begin(), files.end()).size(), files.size()) << "a name listed twice";
    for (const std::string& file : files)
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/res/%1").arg(QString::fromStdString(file)))) << file;
    // Letter case as the accessors write it.
    EXPECT_FALSE(QFile::exists(QStringLiteral(":/res/cr.png")));
}

// The list's group pictures are the ones the group table shows, and every
// other picture has a place of known size.
TEST(ResourceFiles, EveryListedPictureHasItsPlace)
{
    std::set<std::string> shown, listed, sized;
    for (const grouptable::GroupRhythm& g : grouptable::groups)
        shown.insert(g.picture);
    for (const Sized& s : kSized)
        sized.insert(s.name);
    for (const res::PictureEntry& p : res::pictureList) {
        if (p.kind == res::PictureKind::Group)
            listed.insert(nameOf(p.name));
        else
            EXPECT_EQ(sized.erase(nameOf(p.name)), 1u) << p.name << " has no size to check";
    }
    EXPECT_EQ(listed, shown);
    EXPECT_EQ(sized, std::set<std::string>{}) << "sized but not listed";
}

// A group picture as the canvas places it: its advance, from the group table.
struct Group {
    std::string name;
    int advance;
};
void PrintTo(const Group& g, std::ostream* os) { *os << g.name; }

std::vector<Group> groupPictures()
{
    std::vector<Group> groups;
    for (const grouptable::GroupRhythm* g : group_heads::distinctGroups())
        groups.push_back({g->picture, int(g->advance)});
    return groups;
}

class GroupPicture : public ::testing::TestWithParam<Group> {};

TEST_P(GroupPicture, FitsItsAdvanceAndTheCanvas)
{
    const QImage image = picture(GetParam().name);
    ASSERT_FALSE(image.isNull());
    EXPECT_LE(image.width(), GetParam().advance) << "would run into the next beat";
    EXPECT_LE(image.height() / 4, 231 - 100) << "drawn at a quarter from y = 100, it must end on the canvas";
}

TEST_P(GroupPicture, IsInkOnTransparencyWithNothingCutOff)
{
    const QImage image = picture(GetParam().name);
    ASSERT_FALSE(image.isNull());
    int inkPixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            inkPixels += inked(image, x, y);
    EXPECT_GT(inkPixels, 500);
    for (const auto& [x, y] : {std::pair{0, 0}, {image.width() - 1, 0}, {0, image.height() - 1}, {image.width() - 1, image.height() - 1}})
        EXPECT_EQ(qAlpha(image.pixel(x, y)), 0) << "corner " << x << "," << y;
    // Nothing touches an edge: a flag or a number there has been cut off.
    for (int y = 0; y < image.height(); ++y) {
        EXPECT_FALSE(inked(image, 0, y)) << "left edge, row " << y;
        EXPECT_FALSE(inked(image, image.width() - 1, y)) << "right edge, row " << y;
    }
    for (int x = 0; x < image.width(); ++x) {
        EXPECT_FALSE(inked(image, x, 0));
        EXPECT_FALSE(inked(image, x, image.height() - 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Resources, GroupPicture, ::testing::ValuesIn(groupPictures()),
                         [](const auto& info) { return info.param.name; });

// The lowest inked row between two columns: under a head, its bottom.
int lowestInk(const QImage& image, int first, int last)
{
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = first; x <= last; ++x)
            if (inked(image, x, y))
                return y;
    return -1;
}

// The row where the first note head is widest: the head line.
int headLine(const QImage& image)
{
    int best = -1, bestRun = 0;
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.width() / 2; ++x)
            run += inked(image, x, y);
        if (run > bestRun) {
            bestRun = run;
            best = y;
        }
    }
    return best;
}

TEST(GroupPictures, ShareOneHeadLine)
{
    const QImage crotchet = picture("crot");
    const group_heads::HeadLine line = group_heads::headLineOf(crotchet);
    const int reference = lowestInk(crotchet, 0, crotchet.width() - 1);
    ASSERT_GT(reference, 0);
    for (const Group& g : groupPictures()) {
        const QImage image = picture(g.name);
        for (const group_heads::InkRun& head : group_heads::heads(image, line))
            EXPECT_NEAR(lowestInk(image, head.first, head.last), reference, 1) << g.name << " at x " << head.first;
    }
}

TEST(GroupPictures, HeadsSitOnTheBackdropsStaffLine)
{
    const QImage back = picture("canvasback");
    ASSERT_FALSE(back.isNull());
    // The staff line: the darkest row of the backdrop where the bars go.
    int line = -1, darkest = 256 * 3;
    for (int y = 100; y < back.height(); ++y) {
        const QRgb c = back.pixel(400, y);
        const int dark = qRed(c) + qGreen(c) + qBlue(c);
        if (dark < darkest) {
            darkest = dark;
            line = y;
        }
    }
    ASSERT_LT(darkest, 3 * 128) << "no staff line";
    // Drawn at a quarter with its top at y = 100; rows are compared by their
    // centres.
    const double head = 100 + (headLine(picture("crot")) + 0.5) / 4.0;
    EXPECT_NEAR(head, line + 0.5, 1.5);
    // And the staff line runs from under the bar's start to the canvas's
    // right edge, under every note of a bar that reaches it.
    for (int x = 230; x < back.width(); ++x) {
        const QRgb c = back.pixel(x, line);
        EXPECT_LT(qRed(c) + qGreen(c) + qBlue(c), 3 * 128) << "x " << x;
    }
}

class SizedPicture : public ::testing::TestWithParam<Sized> {};

TEST_P(SizedPicture, HasTheSizeOfItsPlace)
{
    const QImage image = picture(GetParam().name);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), GetParam().width);
    EXPECT_EQ(image.height(), GetParam().height);
    int inkPixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            inkPixels += qAlpha(image.pixel(x, y)) > 128 && qGray(image.pixel(x, y)) < 200;
    EXPECT_GT(inkPixels, 8) << "shows nothing";
}

INSTANTIATE_TEST_SUITE_P(Resources, SizedPicture, ::testing::ValuesIn(kSized),
                         [](const auto& info) { return info.param.name; });

TEST(CanvasPictures, AreOpaque)
{
    // The cover is drawn over the backdrop and must hide it.
    for (const char* name : {"canvasback", "cover"}) {
        const QImage image = picture(name);
        ASSERT_FALSE(image.isNull());
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                ASSERT_EQ(qAlpha(image.pixel(x, y)), 255) << name << " at " << x << "," << y;
    }
}

double meanSaturation(const QImage& image)
{
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255) {
                sum += QColor(image.pixel(x, y)).hsvSaturationF();
                ++count;
            }
    return count ? sum / count : 0;
}

TEST(ButtonFaces, TheDisabledLookIsGreyedOut)
{
    for (const auto& [normal, light] : {std::pair{"options", "optionslight"}, {"results", "resultslight"}}) {
        EXPECT_GT(meanSaturation(picture(normal)), 0.3) << normal;
        EXPECT_LT(meanSaturation(picture(light)), 0.1) << light;
    }
}

TEST(Dots, TheHitDotIsCentredOnItsPoint)
{
    // Drawn with its corner 8 left of the hit's point and 7 above the ruler.
    const QImage dot = picture("bdot");
    double sx = 0, sy = 0, total = 0;
    for (int y = 0; y < dot.height(); ++y)
        for (int x = 0; x < dot.width(); ++x) {
            const double a = qAlpha(dot.pixel(x, y));
            sx += a * (x + 0.5);
            sy += a * (y + 0.5);
            total += a;
        }
    ASSERT_GT(total, 0);
    EXPECT_NEAR(sx / total, 8.0, 0.5);
    EXPECT_NEAR(sy / total, 7.0, 0.5);
}

TEST(Dots, GraphDotsDifferInShapeNotOnlyInColour)
{
    // A reader who cannot tell red from green still tells the hit classes
    // apart by their outlines.
    const char* names[] = {"gdot", "bldot", "rdot", "bbdot"};
    std::vector<QImage> dots;
    for (const char* name : names)
        dots.push_back(picture(name));
    for (size_t i = 0; i < dots.size(); ++i)
        for (size_t j = i + 1; j < dots.size(); ++j) {
            int differing = 0;
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 10; ++x) {
                    // A shape is its opaque pixels that are not light.
                    auto solid = [](QRgb c) { return qAlpha(c) > 128 && qGray(c) < 200; };
                    differing += solid(dots[i].pixel(x, y)) != solid(dots[j].pixel(x, y));
                }
            EXPECT_GE(differing, 12) << names[i] << " vs " << names[j];
        }
}

} // namespace
