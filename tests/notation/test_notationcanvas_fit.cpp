// The notation canvas keeps every bar within its 725 pixels: bars of wide
// groups are drawn smaller as a whole, in proportion and about the staff
// line, with stems as dark as ever; bars that fit are drawn as laid out.
#include "notation/grouptable.h"
#include "resources/group_heads.h"
#include "support/doubles/seeded_random.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "shell/velvane.h"
#include "support/app/app_fixture.h"
#include <QImage>
#include <QPaintEngine>
#include <QPicture>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

using namespace Module1;

namespace {

using platform::SeededRandom;

// A paint device that records the destination rectangle of every image drawn.
class RectRecorder : public QPaintDevice {
public:
    class Engine : public QPaintEngine {
    public:
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override { rects.push_back(r); }
        void drawImage(const QRectF& r, const QImage&, const QRectF&, Qt::ImageConversionFlags) override
        {
            rects.push_back(r);
        }
        Type type() const override { return QPaintEngine::User; }
        std::vector<QRectF> rects;
    };
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable Engine engine;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return 2000;
        case PdmHeight: return 231;
        case PdmDepth: return 32;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return QPaintDevice::metric(m);
        }
    }
};

constexpr int canvasWidth = 725;

class CanvasFitTest : public AppTest {
protected:
    // What the paint draws for the current drawing state, as recorded commands.
    QPicture recordPaint()
    {
        QPicture picture;
        QPainter painter(&picture);
        platform::Graphics g(painter);
        window->Canvas1_Paint(g);
        painter.end();
        return picture;
    }

    std::vector<QRectF> recordDrawnRects()
    {
        RectRecorder device;
        QPainter painter(&device);
        platform::Graphics g(painter);
        window->Canvas1_Paint(g);
        painter.end();
        return device.engine.rects;
    }

    // The bar as laid out: every picture at its left edge, top 100, a quarter
    // of its size, on an image wide enough for any bar.
    QImage asLaidOut(int width)
    {
        QImage image(width, 231, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        platform::Graphics g(painter);
        for (size_t k = 0; k < window->bargroups.size(); ++k) {
            platform::Ref<platform::Picture> p = notes[window->bargroups[k]];
            g.DrawPicture(p, static_cast<double>(window->barleft[k]), 100, p->Width() * 0.25, p->Height() * 0.25, 0,
                          0, p->Width(), p->Height());
        }
        return image;
    }

    QImage painted(int width)
    {
        QImage image(width, 231, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        platform::Graphics g(painter);
        window->Canvas1_Paint(g);
        return image;
    }

    // Every bar of `count` seeded five-beat tests at the top level, the last
    // bar with its closing rest included.
    template <typename Check>
    void forEveryTopLevelBar(int count, Check check)
    {
        App()->Randomizer = std::make_unique<SeededRandom>(9);
        stlevel = 0;
        level = 30;
        tickspeed = 60;
        window->beatsinbar = 5;
        window->bars = 16;
        for (int test = 0; test < count; ++test) {
            window->starttest();
            while (true) {
                SCOPED_TRACE(testing::Message() << "test " << test << ", bar " << window->pagenumber);
                check();
                if (window->pagenumber == window->bars - 1)
                    break;
                countin = false;
                window->generatebar();
            }
            window->Timer1->setEnabled(false);
        }
    }

    // The right edge of the bar as laid out: the last picture's end.
    double laidOutRight() const
    {
        double right = 0;
        for (size_t k = 0; k < window->bargroups.size(); ++k)
            right = std::max(right, window->barleft[k] + notes[window->bargroups[k]]->Width() * 0.25);
        return right;
    }
};

// The canvas row of the staff line, where every note head sits: a quarter of
// the way down a group picture's head line, from y = 100.
constexpr int kStaffRow = 166;

int grey(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)); }

QImage onWhite(const QImage& picture)
{
    QImage image(picture.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter(&image).drawImage(0, 0, picture);
    return image;
}
bool dark(const QImage& image, int x, int y) { return grey(image, x, y) < 128; }

// How much ink a pixel holds, 0 for white to 1 for black.
double coverage(const QImage& image, int x, int y) { return (255 - grey(image, x, y)) / 255.0; }

struct Head {
    int first, last;  // dark columns on the head line
    int top, bottom;  // dark rows at its middle column
    double width = 0, height = 0; // the ink across and down, edges included
};

// The note heads of a bar painted on white: the dark runs along the head
// line at least `leastWidth` wide (a rest crosses it with a thinner stroke).
std::vector<Head> headsOnStaff(const QImage& image, int line, int leastWidth)
{
    std::vector<Head> heads;
    for (const group_heads::InkRun& run : group_heads::runsOnRow(image, line, dark)) {
        if (run.width() < leastWidth)
            continue;
        const int middle = (run.first + run.last) / 2;
        int top = line, bottom = line;
        while (top > 0 && dark(image, middle, top - 1))
            --top;
        while (bottom + 1 < image.height() && dark(image, middle, bottom + 1))
            ++bottom;
        Head head{run.first, run.last, top, bottom};
        for (int across = run.first - 1; across <= run.last + 1; ++across)
            head.width += coverage(image, across, line);
        for (int down = top - 1; down <= bottom + 1; ++down)
            head.height += coverage(image, middle, down);
        heads.push_back(head);
    }
    return heads;
}

// A head's up-stem, read one staff space above the line (10 pixels at the
// canvas's size, `scale` of that in a smaller bar), clear of the head and of
// any beam: the darkest grey across the stem at the head's right edge.
int stemDarkness(const QImage& image, const Head& head, double scale)
{
    const int row = kStaffRow - int(std::lround(10 * scale));
    int darkest = 255;
    for (int x = head.last - 2; x <= head.last + 1; ++x)
        darkest = std::min(darkest, grey(image, x, row));
    return darkest;
}

} // namespace

TEST_F(CanvasFitTest, EveryGeneratedFiveBeatBarFitsAndBarsThatFitAreUnchanged)
{
    openWindow();
    ASSERT_EQ(window->Canvas1->width(), canvasWidth);
    int narrowed = 0, fitting = 0, headsOff = 0;
    forEveryTopLevelBar(24, [&] {
        const double right = laidOutRight();
        for (const QRectF& r : recordDrawnRects()) {
            EXPECT_GE(r.left(), 230) << "no picture left of the first";
            EXPECT_LE(r.right(), canvasWidth) << "a picture passes the right edge";
            EXPECT_GE(r.top(), 100);
        }
        if (right <= canvasWidth) {
            ++fitting;
            EXPECT_EQ(painted(canvasWidth), asLaidOut(canvasWidth)) << "a bar that fits is drawn as laid out";
            return;
        }
        ++narrowed;
        // Bars whose last picture started past the edge: the user saw
        // nothing of it.
        if (window->barleft.back() >= canvasWidth)
            ++headsOff;
        const QRect drawn = recordPaint().boundingRect();
        EXPECT_EQ(drawn.left(), 230) << "the first picture stays in place";
        EXPECT_LE(drawn.right() + 1, canvasWidth) << "the bar passes the right edge";
        EXPECT_GE(drawn.right() + 1, canvasWidth - 1) << "narrowed no more than needed";
        // Smaller about the staff line: every head of the bar is still
        // there and still on the line, its middle where a head's is in a
        // bar drawn as laid out.
        const double factor = (canvasWidth - 230) / (right - 230);
        const std::vector<Head> heads = headsOnStaff(painted(canvasWidth), kStaffRow, int(7 * factor));
        EXPECT_EQ(heads.size(), headsOnStaff(asLaidOut(1400), kStaffRow, 7).size());
        for (const Head& head : heads)
            EXPECT_NEAR((head.top + head.bottom) / 2.0, kStaffRow, 1.5) << "head at " << head.first;
    });
    // The run holds both kinds of bar, and some whose last picture started
    // past the edge.
    EXPECT_GT(narrowed, 50);
    EXPECT_GT(fitting, 200);
    EXPECT_GT(headsOff, 0);
}

// Drawn smaller, a stem thinner than a pixel would fade to a light grey and a
// head narrowed across only would stand upright. Measured over these bars,
// the darkest pixel across a stem is 0 to 76 in bars drawn as laid out; a
// faded one was up to 129 at a factor of 0.83 and 200 at 0.62.
TEST_F(CanvasFitTest, NarrowedBarsKeepStemsDarkAndHeadsRound)
{
    constexpr int kDarkStem = 80;
    openWindow();
    struct Measured {
        Head head;
        int darkness;
        double factor;
    };
    std::vector<Measured> fitted, narrowed;
    auto measureBar = [&] {
        const double right = laidOutRight();
        const double factor = right <= canvasWidth ? 1 : (canvasWidth - 230) / (right - 230);
        const QImage image = painted(canvasWidth);
        for (const Head& head : headsOnStaff(image, kStaffRow, int(7 * factor)))
            (factor == 1 ? fitted : narrowed).push_back({head, stemDarkness(image, head, factor), factor});
    };
    forEveryTopLevelBar(24, measureBar);
    // And the widest bars: five beats of six semiquavers, with and without
    // the closing rest.
    window->Timer1->setEnabled(true);
    for (const auto& [groups, left] : {std::pair<std::vector<int64_t>, std::vector<int64_t>>{{14, 14, 14, 14, 14}, {230, 389, 548, 707, 866}},
                                       {{14, 14, 14, 0, 1}, {230, 389, 548, 707, 757}}}) {
        window->bargroups = groups;
        window->barleft = left;
        measureBar();
    }
    ASSERT_GT(fitted.size(), 1000u);
    ASSERT_GT(narrowed.size(), 200u);

    for (const Measured& m : fitted)
        EXPECT_LE(m.darkness, kDarkStem) << "a stem drawn as laid out, at " << m.head.first;
    // The engraving's own proportions: the crotchet's head at full size.
    const std::vector<Head> engraved = headsOnStaff(onWhite(notes[0]->image()), 264, 20);
    ASSERT_EQ(engraved.size(), 1u);
    const double ratio = engraved[0].width / engraved[0].height;
    double smallest = 1;
    for (const Measured& m : narrowed) {
        SCOPED_TRACE(testing::Message() << "head at " << m.head.first << " in a bar narrowed by " << m.factor);
        smallest = std::min(smallest, m.factor);
        EXPECT_LE(m.darkness, kDarkStem) << "the stem fades";
        EXPECT_NEAR(m.head.width, m.head.height * ratio, 1) << "the head's proportions";
    }
    EXPECT_LT(smallest, 0.65) << "the run holds a bar narrowed well below the usual size";
}

// Five beats of six semiquavers, the widest bar: the last group would start at
// 866. The whole bar is drawn smaller by one factor across and down, from the
// first picture's left edge, its head line on the staff line.
TEST_F(CanvasFitTest, OneFactorForTheWholeBar)
{
    openWindow();
    window->Timer1->setEnabled(true);
    const struct {
        std::vector<int64_t> groups;
        std::vector<int64_t> left;
    } bars[] = {
        {{14, 14, 14, 14, 14}, {230, 389, 548, 707, 866}},
        {{14, 14, 14, 0, 1}, {230, 389, 548, 707, 757}}, // a last bar with its closing rest
    };
    for (const auto& bar : bars) {
        window->bargroups = bar.groups;
        window->barleft = bar.left;
        const std::vector<QRectF> rects = recordDrawnRects();
        ASSERT_EQ(rects.size(), 1u) << "one picture of the whole bar";
        const QRectF& r = rects[0];
        const double fullWidth = (laidOutRight() - 230) * 4;
        const double factor = r.width() / fullWidth;
        EXPECT_LT(factor * 4, 1.0);
        EXPECT_DOUBLE_EQ(r.left(), 230);
        EXPECT_NEAR(r.right(), canvasWidth, 1) << "the last picture ends at the edge";
        EXPECT_NEAR(r.height(), 400 * factor, 1) << "as much smaller down as across";
        EXPECT_NEAR(r.top() + 264 * factor, kStaffRow, 0.5) << "the head line stays on the staff line";
    }
}
