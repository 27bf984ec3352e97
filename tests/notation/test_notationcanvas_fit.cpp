// The notation canvas keeps every bar within its 725 pixels: bars of wide
// groups are drawn narrower as a whole, bars that fit are drawn as laid out.
#include "notation/grouptable.h"
#include "support/doubles/seeded_random.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "shell/velvane.h"
#include "support/app/app_fixture.h"
#include <QImage>
#include <QPaintEngine>
#include <QPicture>
#include <algorithm>
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

    // The right edge of the bar as laid out: the last picture's end.
    double laidOutRight() const
    {
        double right = 0;
        for (size_t k = 0; k < window->bargroups.size(); ++k)
            right = std::max(right, window->barleft[k] + notes[window->bargroups[k]]->Width() * 0.25);
        return right;
    }
};

// The first and the last image row that holds ink (a pixel that is not white).
std::pair<int, int> inkRows(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int first = -1, last = -1;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        if (std::any_of(line, line + rgb.width(), [](QRgb p) { return (p & 0xFFFFFF) != 0xFFFFFF; })) {
            if (first < 0)
                first = y;
            last = y;
        }
    }
    return {first, last};
}

} // namespace

TEST_F(CanvasFitTest, EveryGeneratedFiveBeatBarFitsAndBarsThatFitAreUnchanged)
{
    openWindow();
    ASSERT_EQ(window->Canvas1->width(), canvasWidth);
    App()->Randomizer = std::make_unique<SeededRandom>(9);
    stlevel = 0;
    level = 30;
    tickspeed = 60;
    window->beatsinbar = 5;
    window->bars = 16;

    int narrowed = 0, fitting = 0, headsOff = 0;
    for (int test = 0; test < 24; ++test) {
        window->starttest();
        while (true) {
            SCOPED_TRACE(testing::Message() << "test " << test << ", bar " << window->pagenumber);
            const double right = laidOutRight();
            for (const QRectF& r : recordDrawnRects()) {
                EXPECT_GE(r.left(), 230) << "no picture left of the first";
                EXPECT_LE(r.right(), canvasWidth) << "a picture passes the right edge";
                EXPECT_EQ(r.top(), 100);
            }
            if (right <= canvasWidth) {
                ++fitting;
                EXPECT_EQ(painted(canvasWidth), asLaidOut(canvasWidth)) << "a bar that fits is drawn as laid out";
            } else {
                ++narrowed;
                // Bars whose last picture started past the edge: the user saw
                // nothing of it.
                if (window->barleft.back() >= canvasWidth)
                    ++headsOff;
                const QRect drawn = recordPaint().boundingRect();
                EXPECT_EQ(drawn.left(), 230) << "the first picture stays in place";
                EXPECT_EQ(drawn.top(), 100);
                EXPECT_LE(drawn.right() + 1, canvasWidth) << "the bar passes the right edge";
                EXPECT_GE(drawn.right() + 1, canvasWidth - 1) << "narrowed no more than needed";
                // Only the width changes: the ink keeps its rows, so every
                // note head stays on the staff line at the same height.
                EXPECT_EQ(inkRows(painted(canvasWidth)), inkRows(asLaidOut(1400)));
            }
            // The test's last bar, with its closing rest, is checked too.
            if (window->pagenumber == window->bars - 1)
                break;
            countin = false;
            window->generatebar();
        }
        window->Timer1->setEnabled(false);
    }
    // The run holds both kinds of bar, and some whose last picture started
    // past the edge.
    EXPECT_GT(narrowed, 50);
    EXPECT_GT(fitting, 200);
    EXPECT_GT(headsOff, 0);
}

// Five beats of six semiquavers, the widest bar: the last group would start at
// 866. Every picture is drawn narrower by the same factor, measured from the
// first picture's left edge; tops and heights stay.
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
        ASSERT_EQ(rects.size(), bar.groups.size());
        const double factor = rects[0].width() / (notes[bar.groups[0]]->Width() * 0.25);
        EXPECT_LT(factor, 1.0);
        for (size_t k = 0; k < rects.size(); ++k) {
            SCOPED_TRACE(testing::Message() << "picture " << k);
            platform::Ref<platform::Picture> p = notes[bar.groups[k]];
            EXPECT_DOUBLE_EQ(rects[k].width(), p->Width() * 0.25 * factor);
            EXPECT_DOUBLE_EQ(rects[k].left(), 230 + (bar.left[k] - 230) * factor);
            EXPECT_DOUBLE_EQ(rects[k].top(), 100);
            EXPECT_DOUBLE_EQ(rects[k].height(), p->Height() * 0.25);
        }
        EXPECT_NEAR(rects.back().right(), canvasWidth, 1e-6) << "the last picture ends at the edge";
    }
}
