// Every window the program shows or resizes lies inside the available area of
// the screen, frame and all, wherever the main window stands on it. ctest runs
// this program once for each screen of a table; VELVANE_MAIN_SCREEN is the
// index of the screen the main window stands on (0 when unset) and
// VELVANE_SCREEN names it as WxH@SCALE%. A window larger than the screen's
// area is made smaller and its content scrolls.
#include "scoring/resultswin.h"
#include "settings/helpwin.h"
#include "settings/optionwin.h"
#include "support/app/app_fixture.h"
#include <QApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <functional>

namespace {

// Where the main window stands on the screen.
enum class Place { Centred, TopLeft, BottomRight };

struct Where {
    const char* what;
    Place place;
};
const Where places[] = {{"main window centred", Place::Centred},
                        {"main window in the top-left corner", Place::TopLeft},
                        {"main window in the bottom-right corner", Place::BottomRight}};

QMargins frameOf(const QWidget* w)
{
    const QRect f = w->frameGeometry(), g = w->geometry();
    return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
}

std::string text(const QRect& r)
{
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
}

class ScreenFitTest : public AppTest {
protected:
    static QScreen* mainScreen()
    {
        const QList<QScreen*> screens = QGuiApplication::screens();
        return screens.value(qEnvironmentVariableIntValue("VELVANE_MAIN_SCREEN"), nullptr);
    }
    static QRect area() { return mainScreen()->availableGeometry(); }

    Window1& shownMainWindow(Place place)
    {
        Window1& w = openWindow();
        const QRect a = area();
        w.move(a.topLeft());
        w.show();
        waitExposed(&w);
        const QSize outer = w.frameGeometry().size();
        switch (place) {
        case Place::Centred:
            w.move(a.center() - QPoint(outer.width() / 2, outer.height() / 2));
            break;
        case Place::TopLeft:
            w.move(a.topLeft());
            break;
        case Place::BottomRight:
            w.move(a.bottomRight() - QPoint(outer.width() - 1, outer.height() - 1));
            break;
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(w.screen(), mainScreen()) << "the main window is not on the screen asked for";
        return w;
    }

    static void waitExposed(QWidget* w)
    {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w)) << "the window was never exposed";
        QCoreApplication::processEvents();
    }

    // The window's frame lies inside the area; the client area has the size
    // asked for, or as much of it as the area leaves.
    static void expectInside(const QWidget* w, QSize wanted)
    {
        const QRect frame = w->frameGeometry();
        EXPECT_TRUE(area().contains(frame)) << "frame " << text(frame) << " on " << text(area());
        EXPECT_FALSE(frameOf(w).isNull()) << "the frame is not counted";
        EXPECT_EQ(w->size(), wanted.boundedTo(area().size().shrunkBy(frameOf(w))));
    }

    // Every part of a window's content can be scrolled into view, with a
    // scroll bar along each side the window cuts short and none along the
    // others.
    static void expectReachable(platform::ScrollingClient* client)
    {
        const QSize full = client->contentSize();
        const QSize seen = client->viewport()->size();
        const QWidget* window = client->window();
        EXPECT_EQ(client->horizontalScrollBar()->isVisibleTo(window), seen.width() < full.width());
        EXPECT_EQ(client->verticalScrollBar()->isVisibleTo(window), seen.height() < full.height());
        for (QPoint corner : {QPoint(0, 0), QPoint(full.width() - 1, full.height() - 1)}) {
            // A margin of 1: with 0 the point lands just past the viewport's edge.
            client->ensureVisible(corner.x(), corner.y(), 1, 1);
            const QPoint seen = client->content()->mapTo(client->viewport(), corner);
            EXPECT_TRUE(client->viewport()->rect().contains(seen))
                << "content point " << corner.x() << "," << corner.y() << " cannot be scrolled into view";
        }
        client->ensureVisible(0, 0, 0, 0);
    }

    void TearDown() override
    {
        delete helpwin::existing();
        AppTest::TearDown();
    }
};

} // namespace

// The table's screen is the one the platform has: a mistyped configuration
// would leave the platform's own screen and test nothing.
TEST_F(ScreenFitTest, TheScreenIsTheOneAskedFor)
{
    const QString asked = qEnvironmentVariable("VELVANE_SCREEN");
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)@(\\d+)$")).match(asked);
    ASSERT_TRUE(m.hasMatch()) << "VELVANE_SCREEN is " << asked.toStdString();
    const double scale = m.captured(3).toDouble() / 100;
    const QScreen* screen = mainScreen();
    ASSERT_NE(screen, nullptr) << "no screen " << qEnvironmentVariableIntValue("VELVANE_MAIN_SCREEN");
    EXPECT_DOUBLE_EQ(screen->devicePixelRatio(), scale);
    EXPECT_LE(std::abs(screen->geometry().width() * scale - m.captured(1).toInt()), scale);
    EXPECT_LE(std::abs(screen->geometry().height() * scale - m.captured(2).toInt()), scale);
}

// The results button sizes the window from the test's beats and bars at
// every press; each size is moved in, a later larger one too.
TEST_F(ScreenFitTest, ResultsWindowAtEverySizeTheResultsButtonSets)
{
    struct Shape {
        int64_t beats, bars;
    };
    struct Case {
        const char* what;
        std::vector<Shape> presses;
    };
    const Case cases[] = {
        {"2/4, 4 bars (the smallest)", {{2, 4}}},
        {"5/4, 16 bars (the widest and tallest)", {{5, 16}}},
        {"2/4, 16 bars (tall and narrow)", {{2, 16}}},
        {"5/4, 4 bars (wide and low)", {{5, 4}}},
        {"2/4, 4 bars, then 5/4, 16 bars in the open window", {{2, 4}, {5, 16}}},
        {"5/4, 16 bars, then 3/4, 8 bars in the open window", {{5, 16}, {3, 8}}},
    };
    for (const Where& where : places) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(where.what) + ", " + c.what);
            Window1& w = shownMainWindow(where.place);
            for (const Shape& s : c.presses) {
                w.beatsinbar = s.beats;
                w.bars = s.bars;
                const QSize wanted(static_cast<int>(s.beats * 240 + 50), static_cast<int>(s.bars * 30 + 100));
                QPointer<resultswin> before = resultswin::existing();
                const QRect was = before ? before->frameGeometry() : QRect();
                w.BevelButton3_Action();
                resultswin* r = resultswin::existing();
                ASSERT_NE(r, nullptr);
                waitExposed(r);
                expectInside(r, wanted);
                EXPECT_EQ(r->clientSize(), wanted) << "the graph keeps the size the button sets";
                expectReachable(r->client);
                // A window that fits where it stands stays there.
                if (before && area().contains(QRect(was.topLeft(), r->frameGeometry().size()))) {
                    EXPECT_EQ(r->frameGeometry().topLeft(), was.topLeft()) << "moved though it fitted";
                }
            }
            EXPECT_EQ(w.centralWidget()->size(), QSize(960, 625)) << "the main window keeps its size";
            delete resultswin::existing();
            resetCase();
        }
    }
}

TEST_F(ScreenFitTest, OptionsWindowFromTheOptionsButton)
{
    for (const Where& where : places) {
        SCOPED_TRACE(where.what);
        Window1& w = shownMainWindow(where.place);
        bool checked = false;
        QTimer::singleShot(0, [&] {
            optionwin* o = optionwin::existing();
            if (!o)
                return;
            waitExposed(o);
            expectInside(o, QSize(830, 560));
            expectReachable(o->client);
            checked = true;
            o->close();
        });
        w.BevelButton2_Action();
        EXPECT_TRUE(checked) << "the options window was not shown";
        EXPECT_EQ(w.centralWidget()->size(), QSize(960, 625)) << "the main window keeps its size";
        resetCase();
    }
}

TEST_F(ScreenFitTest, HelpWindowFromTheHelpButton)
{
    for (const Where& where : places) {
        SCOPED_TRACE(where.what);
        Window1& w = shownMainWindow(where.place);
        w.BevelButton4_Action();
        helpwin* help = helpwin::existing();
        ASSERT_NE(help, nullptr);
        waitExposed(help);
        expectInside(help, QSize(658, 406));

        // Dragged half off the screen by the user, it comes back in when the
        // help button shows it again, at the size the user left it.
        help->resize(400, 300);
        help->move(area().right() - 100, area().bottom() - 100);
        QCoreApplication::processEvents();
        w.BevelButton4_Action();
        QCoreApplication::processEvents();
        expectInside(help, QSize(400, 300));
        EXPECT_EQ(w.centralWidget()->size(), QSize(960, 625)) << "the main window keeps its size";
        delete help;
        resetCase();
    }
}
