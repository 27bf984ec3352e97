// A results window left open follows the tests: the results button and the end
// of a test repaint its graph from the note table of the test just played.
#include "scoring/resultswin.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"
#include "support/doubles/failing_rewrite.h"
#include "support/paint_recorder.h"
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTest>
#include <optional>

using namespace Module1;

namespace {


// Column `c` of every note row.
QStringList column(const Window1& w, int c)
{
    QStringList cells;
    for (int64_t r = 0; r < w.notelist->ListCount(); ++r)
        cells << w.notelist->Cell(r, c);
    return cells;
}

class ResultsCurrentTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        openWindow();
        window->listenplay = false;
        window->bars = 4;
        window->beatsinbar = 4;
        tickspeed = 60;
    }


    // A whole test, pass by pass; each note row is hit `offset` ticks after it
    // is due, or not at all when `offset` is empty.
    void playTest(std::optional<int64_t> offset)
    {
        Window1& w = *window;
        startTest();
        const int64_t bar = 60 * w.beatsinbar;
        const int64_t start = clock.now;
        int64_t hitRow = 0;
        for (int64_t guard = 0; w.Timer1->Enabled() && guard < 10000; ++guard) {
            clock.advance(1);
            // Hit times count from the end of the one-bar count-in.
            while (offset && hitRow < w.notelist->ListCount() &&
                   w.notelist->Cell(hitRow, 0).toLongLong() + bar + *offset <= clock.now - start) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
                QCoreApplication::sendEvent(w.TextField1, &press);
                ++hitRow;
            }
            w.Timer1_Action();
        }
        ASSERT_FALSE(w.Timer1->Enabled());
    }

    // Lets queued repaints arrive.
    static void settle()
    {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
            QTest::qWait(5);
        }
    }
};

} // namespace

TEST_F(ResultsCurrentTest, OpenWindowShowsEachTestJustPlayed)
{
    Window1& w = *window;
    playTest(0);
    const QStringList firstHits = column(w, 1);

    w.BevelButton3_Action();
    resultswin* r = resultswin::existing();
    ASSERT_NE(r, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(r));
    settle();

    // Every paint of the graph notes the hit times it drew from.
    QStringList drawnHits;
    auto graph = r->Canvas1->Paint;
    r->Canvas1->Paint = [&](platform::Graphics& g) {
        drawnHits = column(w, 1);
        graph(g);
    };
    PaintRecorder counter;
    r->Canvas1->installEventFilter(&counter);

    // The results button at the same size repaints.
    w.BevelButton3_Action();
    settle();
    EXPECT_GE(counter.paints, 1) << "RESULTS at the same size";
    EXPECT_EQ(drawnHits, firstHits);

    // A second test, played nothing, with the main window in front and
    // active as while the user plays: once it ends, the open window draws it.
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ASSERT_FALSE(r->isActiveWindow());
    playTest(std::nullopt);
    ASSERT_TRUE(w.isActiveWindow());
    const QStringList secondHits = column(w, 1);
    ASSERT_NE(secondHits, firstHits);
    const int before = counter.paints;
    settle();
    EXPECT_GT(counter.paints, before) << "the end of the test repaints the graph";
    EXPECT_EQ(drawnHits, secondHits) << "the graph of the second test";
    EXPECT_EQ(resultswin::existing(), r) << "the same window";

    // A third test whose save fails: the graph still follows it.
    platform::testing::failNextRewrite();
    playTest(3);
    const QStringList thirdHits = column(w, 1);
    ASSERT_NE(thirdHits, secondHits);
    EXPECT_EQ(box.shown, QStringList{"Timer1"});
    settle();
    EXPECT_EQ(drawnHits, thirdHits) << "the graph of the test whose save failed";
}

TEST_F(ResultsCurrentTest, ResultsButtonBringsAMinimisedWindowBack)
{
    Window1& w = *window;
    playTest(0);
    w.BevelButton3_Action();
    resultswin* r = resultswin::existing();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(r));
    r->showMinimized();
    settle();
    ASSERT_TRUE(r->windowState() & Qt::WindowMinimized);

    w.BevelButton3_Action();
    settle();
    EXPECT_FALSE(r->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(r->isVisible());
    EXPECT_EQ(r->size(), QSize(4 * 240 + 50, 4 * 30 + 100)) << "sized as before";
}

TEST_F(ResultsCurrentTest, StopWithTheWindowOpenRepaintsAndNoWindowIsMade)
{
    Window1& w = *window;
    // Without an open window the end of a test opens none.
    playTest(0);
    EXPECT_EQ(resultswin::existing(), nullptr);

    w.BevelButton3_Action();
    resultswin* r = resultswin::existing();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(r));
    settle();
    PaintRecorder counter;
    r->Canvas1->installEventFilter(&counter);

    // START, the first bar, then STOP: the graph shows the stopped test.
    startTest();
    settle();
    const int before = counter.paints;
    w.BevelButton1_Action();
    settle();
    EXPECT_GT(counter.paints, before);
}
