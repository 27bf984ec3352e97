// The notation canvas and the hit strip painted into images and checked at
// the places where their pictures and lines belong.
#include "support/paint_recorder.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"
#include <QImage>
#include <QPaintEvent>
#include <QTest>
#include <algorithm>
#include <map>

using namespace Module1;

namespace {

// The bounding box of the pixels in which two images differ.
QRect differences(const QImage& a, const QImage& b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

// The colour that most of the pixels changed from `before` to `after` have.
QRgb commonestChange(const QImage& after, const QImage& before)
{
    std::map<QRgb, int> counts;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (after.pixel(x, y) != before.pixel(x, y))
                ++counts[after.pixel(x, y)];
    auto most = std::max_element(counts.begin(), counts.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == counts.end() ? 0 : most->first;
}

bool isDark(QRgb p) { return qGray(p) < 100; }

// The first column of a picture that is not fully transparent.
int firstInkColumn(const QImage& image)
{
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qAlpha(image.pixel(x, y)) > 0)
                return x;
    return 0;
}


} // namespace

using CanvasTest = AppTest;

TEST_F(CanvasTest, NotationCanvasShowsCoverCaptionOrTheBar)
{
    Window1& w = openWindow();
    w.Canvas1->Paint = nullptr;
    const QImage backdrop = w.Canvas1->renderToImage();
    w.Canvas1->Paint = [&w](platform::Graphics& g) { w.Canvas1_Paint(g); };

    // Idle: the cover picture, drawn whole at the top-left corner.
    QImage idle = w.Canvas1->renderToImage();
    EXPECT_EQ(idle.pixel(10, 10), res::cover()->image().pixel(10, 10));

    // Waiting: the caption, in violet, from x = 250 above the baseline y = 150.
    w.prestarttimer->setEnabled(true);
    const QImage waiting = w.Canvas1->renderToImage();
    QRect caption = differences(waiting, backdrop);
    EXPECT_GE(caption.left(), 250);
    EXPECT_LE(caption.left(), 256);
    EXPECT_LE(caption.bottom(), 160);
    EXPECT_GE(caption.bottom(), 140);
    // Only the letters' edges are blended with the backdrop: their insides,
    // the caption's commonest colour, are the violet itself.
    EXPECT_EQ(commonestChange(waiting, backdrop), qRgb(192, 0, 255));
    w.prestarttimer->setEnabled(false);

    // Running: each picture at a quarter of its size, tops at y = 100.
    w.Timer1->setEnabled(true);
    w.bargroups = {0, 14};
    w.barleft = {230, 280};
    QRect bar = differences(w.Canvas1->renderToImage(), backdrop);
    const double wide = res::ssssss()->Width() * 0.25;
    const double high = std::max(res::crot()->Height(), res::ssssss()->Height()) * 0.25;
    EXPECT_GE(bar.left(), 230);
    EXPECT_LE(bar.left(), 230 + res::crot()->Width() / 4);
    EXPECT_GE(bar.top(), 100);
    EXPECT_LE(bar.right(), 280 + wide + 1);
    EXPECT_LE(bar.bottom(), 100 + high + 1);

    // A repaint changes nothing.
    int64_t rows = w.notelist->ListCount();
    w.Canvas1->renderToImage();
    EXPECT_EQ(w.notelist->ListCount(), rows);
    EXPECT_EQ(w.bargroups.size(), 2u);
}

TEST_F(CanvasTest, HitStripRulerTicksAndDots)
{
    Window1& w = openWindow();
    for (int64_t beats : {2, 4, 5}) {
        SCOPED_TRACE(beats);
        w.beatsinbar = beats;
        const int end = 100 + 120 * static_cast<int>(beats);
        QImage strip = w.Canvas2->renderToImage();
        EXPECT_TRUE(isDark(strip.pixel(100, 10)));
        EXPECT_TRUE(isDark(strip.pixel(end, 10)));
        EXPECT_FALSE(isDark(strip.pixel(end + 3, 10))) << "nothing past the closing tick";
        for (int k = 0; k <= beats; ++k) {
            EXPECT_TRUE(isDark(strip.pixel(100 + 120 * k, 5)));
            EXPECT_TRUE(isDark(strip.pixel(100 + 120 * k, 15)));
        }
        EXPECT_FALSE(isDark(strip.pixel(160, 5))) << "no tick between beats";
        for (int x = 101; x < end; x += 7) { // the ruler is level all along
            if ((x - 100) % 120 == 0)
                continue;
            EXPECT_TRUE(isDark(strip.pixel(x, 10))) << x;
            EXPECT_FALSE(isDark(strip.pixel(x, 11))) << x;
        }
    }

    w.beatsinbar = 4;
    const QImage empty = w.Canvas2->renderToImage();
    w.place[7] = 0;   // a gap before it does not end the scan
    w.place[9] = 300; // beyond the bar: drawn beyond the ruler
    QImage dots = w.Canvas2->renderToImage();
    const QSize dot = res::bdot()->image().size();
    QRect first = differences(dots.copy(0, 0, 200, 47), empty.copy(0, 0, 200, 47));
    const int ink = firstInkColumn(res::bdot()->image());
    EXPECT_EQ(first.left(), 92 + ink);
    EXPECT_GE(first.top(), 3);
    EXPECT_LE(first.right(), 92 + dot.width() - 1);
    QRect far = differences(dots.copy(600, 0, 112, 47), empty.copy(600, 0, 112, 47));
    EXPECT_EQ(far.left() + 600, 692 + ink);
}

TEST_F(CanvasTest, StartRepaintsTheHitStripForTheTestAboutToRun)
{
    Window1& w = openWindow();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QCoreApplication::processEvents();
    w.beatsinbar = 2; // chosen in the options window since the strip was drawn
    PaintRecorder strip(w.Canvas2);
    w.BevelButton1_Action(); // START: the pre-start wait begins
    QCoreApplication::processEvents();
    ASSERT_TRUE(w.prestarttimer->Enabled());
    const QRect ruler(100, 5, 120 * 4 + 1, 11); // the old ruler, which must go
    EXPECT_EQ(strip.painted.intersected(ruler), QRegion(ruler)) << "the whole ruler is drawn anew";
    const QImage now = w.Canvas2->grab().toImage();
    EXPECT_TRUE(isDark(now.pixel(340, 10)));
    EXPECT_FALSE(isDark(now.pixel(460, 10))) << "two beats, not four";
    w.BevelButton1_Action(); // STOP
}

// When a test stops or ends, the notation canvas must give up the bar it shows
// for the cover: nothing else on the window repaints it.
TEST_F(CanvasTest, StopAndTheEndOfATestRedrawTheNotationCanvas)
{
    for (const bool held : {false, true}) {
        SCOPED_TRACE(held ? "held" : "idle");
        Window1& w = openWindow();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.BevelButton1_Action(); // START
        QCoreApplication::processEvents();
        PaintRecorder canvas(w.Canvas1);
        w.restoreidlecontrols(held);
        QCoreApplication::processEvents();
        const QRect whole(QPoint(0, 0), w.Canvas1->size());
        EXPECT_EQ(canvas.painted.intersected(whole), QRegion(whole));
        resetCase();
    }
}
