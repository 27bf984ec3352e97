// While a test runs the keyboard stays with the key field: a key the early
// gate passes on ends in the field, and whichever window or control was used
// in between, the taps that follow reach hit capture.
#include "scoring/resultswin.h"
#include "settings/helpwin.h"
#include "shell/module1.h"
#include "shell/velvane.h"
#include "support/app/app_fixture.h"
#include "support/doubles/seeded_random.h"
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QWindow>
#include <functional>

using namespace Module1;

namespace {

// Counts the key presses that reach a widget.
class KeyCounter : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            ++presses;
        return QObject::eventFilter(watched, event);
    }
};

class KeyFocusTest : public AppTest {
protected:
    // What the window manager does when the user clicks into a window.
    static void activate(QWidget* window)
    {
        window->activateWindow();
        QApplication::setActiveWindow(window);
        QCoreApplication::processEvents();
    }

    // A key as the keyboard delivers it: to the focus widget of the focused window.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWindow* focused = QGuiApplication::focusWindow();
        ASSERT_NE(focused, nullptr) << "no window has the keyboard";
        QTest::keyClick(focused, key, modifiers);
    }

    static void clickOn(QWidget* widget)
    {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
    }

    // A shown, active main window in continuous mode at 60 ticks a beat.
    Window1& shownWindow()
    {
        App()->Randomizer = std::make_unique<platform::SeededRandom>(19);
        Window1& w = openWindow();
        w.listenplay = false;
        tickspeed = 60;
        w.show();
        activate(&w);
        return w;
    }

    // The end of the pre-start wait, when it is still running.
    int64_t endWait(Window1& w)
    {
        clock.advance(prestartTicks);
        if (w.prestarttimer->Enabled())
            w.prestarttimer->Action();
        return clock.now;
    }

    // Test-clock passes, one per tick, until the test ends by itself.
    void runToEnd(Window1& w)
    {
        for (const int64_t start = clock.now; clock.now <= start + 4000 && w.Timer1->Enabled(); ++clock.now)
            w.Timer1_Action();
    }

    // Two taps in the first bar of a test that started at T, on its first
    // two rows' hit times 0 and 60: both reach hit capture.
    void expectTapsRecorded(Window1& w, int64_t T)
    {
        clock.now = T + 240;
        press(Qt::Key_X);
        clock.now = T + 300;
        press(Qt::Key_X);
        EXPECT_EQ(w.notesplayedsofar, 2) << "taps lost";
        EXPECT_EQ(w.notelist->Cell(0, 1), "0");
        EXPECT_EQ(w.notelist->Cell(1, 1), "60");
    }

    // Closes the help, results and other windows a case opened, then the main window.
    void closeWindows()
    {
        delete helpwin::existing();
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("other window") || qobject_cast<resultswin*>(top))
                delete top;
        resetCase();
    }

    void TearDown() override
    {
        closeWindows();
        AppTest::TearDown();
    }
};

} // namespace

TEST_F(KeyFocusTest, KeysTheEarlyGatePassesOnEndInTheKeyField)
{
    struct Case {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Case cases[] = {
        {"Tab", Qt::Key_Tab, Qt::NoModifier},
        {"Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier},
        {"Up", Qt::Key_Up, Qt::NoModifier},
        {"Right", Qt::Key_Right, Qt::NoModifier},
        {"Escape", Qt::Key_Escape, Qt::NoModifier},
        {"Return", Qt::Key_Return, Qt::NoModifier},
        {"space", Qt::Key_Space, Qt::NoModifier},
        {"a letter", Qt::Key_Q, Qt::NoModifier},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window1& w = shownWindow();
        clickOn(w.BevelButton1); // START
        const int64_t T = endWait(w);
        ASSERT_TRUE(w.TextField1->hasFocus());
        ASSERT_GE(w.notessofar, 2);

        KeyCounter passedOn;
        w.centralWidget()->installEventFilter(&passedOn);
        QSignalSpy focusMoves(qApp, &QApplication::focusChanged);
        clock.now = T + 30; // early in the count-in: not a hit
        press(c.key, c.modifiers);
        EXPECT_EQ(focusMoves.count(), 0) << "the key moved the focus";
        EXPECT_EQ(passedOn.presses, 0) << "the key went on past the key field";
        EXPECT_EQ(w.notesplayedsofar, 0);

        expectTapsRecorded(w, T);
        closeWindows();
    }
}

TEST_F(KeyFocusTest, TapsAfterAnotherWindowOrAClickAreRecorded)
{
    auto help = [] { return helpwin::existing(); };
    struct Case {
        const char* what;
        bool inWait; // during the pre-start wait, else early in the count-in
        std::function<void(Window1&)> move;
    };
    const Case cases[] = {
        {"HELP, help window used and closed, main window active again", false,
         [&](Window1& w) {
             clickOn(w.BevelButton4);
             ASSERT_NE(help(), nullptr);
             activate(help());
             press(Qt::Key_Down); // scrolls the help text
             help()->close();
             activate(&w);
         }},
        {"HELP, help window left open, main window active again", false,
         [&](Window1& w) {
             clickOn(w.BevelButton4);
             ASSERT_NE(help(), nullptr);
             activate(help());
             activate(&w);
         }},
        {"HELP, help window left open, a click on the notation canvas", false,
         [&](Window1& w) {
             clickOn(w.BevelButton4);
             ASSERT_NE(help(), nullptr);
             activate(help());
             activate(&w);
             clickOn(w.Canvas1);
         }},
        {"a click on the help button with the help window open", false,
         [&](Window1& w) {
             helpwin::instance();
             activate(&w);
             clickOn(w.BevelButton4);
             activate(&w);
         }},
        {"a click on the hit strip", false, [&](Window1& w) { clickOn(w.Canvas2); }},
        {"the results window used, main window active again", false,
         [&](Window1& w) {
             resultswin* results = resultswin::instance();
             activate(results);
             clickOn(results);
             activate(&w);
         }},
        {"another window used, main window active again", false,
         [&](Window1& w) {
             auto* other = new QWidget();
             other->setObjectName(QStringLiteral("other window"));
             other->show();
             activate(other);
             activate(&w);
         }},
        {"space in the wait after START was clicked", true, [&](Window1&) { press(Qt::Key_Space); }},
        {"HELP in the wait, main window active again", true,
         [&](Window1& w) {
             clickOn(w.BevelButton4);
             activate(help());
             activate(&w);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window1& w = shownWindow();
        clickOn(w.BevelButton1); // START
        if (c.inWait) {
            c.move(w);
            EXPECT_TRUE(w.TextField1->hasFocus()) << "in the wait";
        }
        const int64_t T = endWait(w);
        if (!w.Timer1->Enabled()) {
            ADD_FAILURE() << "the test did not start";
            closeWindows();
            continue;
        }
        ASSERT_GE(w.notessofar, 2);
        if (!c.inWait) {
            clock.now = T + 30;
            c.move(w);
            EXPECT_TRUE(w.prestarttimer->Enabled() || w.Timer1->Enabled()) << "the test no longer runs";
        }
        EXPECT_TRUE(w.TextField1->hasFocus());

        expectTapsRecorded(w, T);
        closeWindows();
    }
}

// Between tests the start button has the keyboard again, however the test
// ended: Space starts the next one and Tab moves on along the buttons.
TEST_F(KeyFocusTest, AfterATestTheStartButtonHasTheKeyboard)
{
    struct Case {
        const char* what;
        bool inWait; // ended in the pre-start wait, else in the test
        std::function<void(Window1&)> end;
    };
    const Case cases[] = {
        {"STOP clicked", false, [](Window1& w) { clickOn(w.BevelButton1); }},
        {"STOP from the keyboard on the button itself", false,
         [](Window1& w) { QTest::keyClick(w.BevelButton1, Qt::Key_Space); }},
        {"STOP clicked in the pre-start wait", true, [](Window1& w) { clickOn(w.BevelButton1); }},
        {"the test ran to its end", false, [this](Window1& w) { runToEnd(w); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window1& w = shownWindow();
        w.bars = 4;
        clickOn(w.BevelButton1); // START
        if (!c.inWait)
            endWait(w);
        ASSERT_TRUE(w.TextField1->hasFocus()) << "the key field has the keyboard during the test";
        c.end(w);
        ASSERT_FALSE(w.testrunning()) << "the test did not stop";
        EXPECT_TRUE(w.BevelButton1->hasFocus());

        press(Qt::Key_Space);
        EXPECT_TRUE(w.prestarttimer->Enabled()) << "Space did not start the next test";
        EXPECT_TRUE(w.TextField1->hasFocus()) << "the next test's wait has the key field";
        clickOn(w.BevelButton1); // STOP
        ASSERT_TRUE(w.BevelButton1->hasFocus());
        press(Qt::Key_Tab);
        EXPECT_FALSE(w.BevelButton1->hasFocus()) << "Tab was swallowed";
        EXPECT_FALSE(w.TextField1->hasFocus()) << "Tab went to the key field";
        closeWindows();
    }
}

// A test that ends while the user is in another window leaves the keyboard
// there; back in the main window, the start button has it.
TEST_F(KeyFocusTest, ATestEndingWhileTheUserIsElsewhereLeavesTheKeyboardThere)
{
    Window1& w = shownWindow();
    w.bars = 4;
    clickOn(w.BevelButton1); // START
    endWait(w);
    helpwin* help = helpwin::instance();
    activate(help);
    help->TextArea1->setFocus();
    runToEnd(w);
    ASSERT_FALSE(w.testrunning());
    EXPECT_TRUE(help->TextArea1->hasFocus()) << "the end of the test took the keyboard from the help window";
    activate(&w);
    EXPECT_TRUE(w.BevelButton1->hasFocus());
}

TEST_F(KeyFocusTest, WithNoTestRunningTheButtonsKeepTheFocusTheyTake)
{
    Window1& w = shownWindow();
    clickOn(w.BevelButton4); // HELP
    activate(&w);
    EXPECT_TRUE(w.BevelButton4->hasFocus());
}
