// STOP during the wait or a running test: the face and the new-test button by
// repeat state, the controls given back, the correction of the note table, and
// a clean next start; the help button.
#include "platform/numbers.h"
#include "platform/resources.h"
#include "settings/helpwin.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace Module1;

namespace {

class StartStopTest : public AppTest {
protected:
    // One pass of the test clock per tick from `from` to `to`, skipping `skip`.
    void passes(int64_t from, int64_t to, std::function<bool(int64_t)> skip = nullptr)
    {
        for (int64_t t = from; t <= to; ++t) {
            if (skip && skip(t))
                continue;
            clock.now = t;
            window->Timer1_Action();
        }
    }
};

} // namespace

TEST_F(StartStopTest, StopGivesBackTheControlsAndEmptiesTheKeyField)
{
    struct Case {
        const char* when;
        bool running;
    };
    for (const Case& c : {Case{"during the wait", false}, Case{"during the test", true}}) {
        SCOPED_TRACE(c.when);
        Window1& w = openWindow();
        w.listenplay = false;
        if (c.running) {
            const int64_t T = startTest();
            passes(T, T + 300);
        } else {
            w.BevelButton1_Action(); // START
        }
        ASSERT_FALSE(w.Slider1->isEnabled());
        w.TextField1->setText(QStringLiteral("k"));

        w.BevelButton1_Action(); // STOP
        EXPECT_EQ(w.BevelButton1->Icon(), res::go());
        EXPECT_FALSE(w.Timer1->Enabled());
        EXPECT_FALSE(w.prestarttimer->Enabled());
        EXPECT_TRUE(idleControls(w));
        EXPECT_EQ(w.TextField1->text(), QString());
        EXPECT_TRUE(countin);
        resetCase();
    }
}

TEST_F(StartStopTest, StopFaceAndNewTestButtonFollowTheHeldTest)
{
    struct Case {
        const char* what;
        bool reptest;
        int heldEntries;
        bool repeatFace; // else go
    };
    const Case cases[] = {
        {"repeat mode with a held test", true, 1, true},
        {"repeat mode, nothing held", true, 0, false},
        {"a list left over, repeat mode off", false, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window1& w = openWindow();
        reptest = c.reptest;
        for (int i = 0; i < c.heldEntries; ++i)
            w.retestlist->AddRow(QStringLiteral("0"));
        w.BevelButton5->setVisible(true); // as a held test leaves it
        w.BevelButton1_Action();          // START hides it
        ASSERT_TRUE(w.BevelButton5->isHidden());
        w.BevelButton1_Action(); // STOP
        EXPECT_EQ(w.BevelButton1->Icon(), c.repeatFace ? res::repeat() : res::go());
        EXPECT_EQ(w.BevelButton5->isHidden(), !c.repeatFace);
        resetCase();
    }
}

// STOP corrects the hit times only when the note table holds two rows or more.
TEST_F(StartStopTest, StopCorrectsTablesOfTwoRowsOrMore)
{
    struct Case {
        int rows;
        bool corrected;
    };
    for (const Case& c : {Case{1, false}, Case{2, true}}) {
        SCOPED_TRACE(c.rows);
        Window1& w = openWindow();
        lasttesttickspeed = 60;
        w.BevelButton1_Action(); // START; the wait keeps the last test's rows
        for (int r = 0; r < c.rows; ++r) {
            w.notelist->AddRow(platform::Str(r * 60));
            w.notelist->setCell(r, 1, platform::Str(r * 60 + 5));
        }
        w.BevelButton1_Action(); // STOP
        EXPECT_EQ(w.notelist->Cell(0, 2), c.corrected ? QStringLiteral("5") : QString());
        resetCase();
    }
}

// A test stopped after a bar line, before that bar's next-bar request, leaves
// the request armed; the next test must not make it during its count-in. A
// late beat keeps the count-in's bar line a few ticks past the bar span, where
// a request would otherwise slip in.
TEST_F(StartStopTest, NoNextBarRequestDuringTheCountInAfterAStopMidBar)
{
    Window1& w = openWindow();
    w.listenplay = false;
    int64_t T = startTest();
    passes(T, T + 300); // the bar line at 240; the request would come at 401
    ASSERT_TRUE(w.newpagecheck);
    w.BevelButton1_Action(); // STOP

    T = startTest();
    passes(T, T + 243, [&](int64_t t) { return t >= T + 60 && t <= T + 62; });
    EXPECT_EQ(w.pagenumber, 0) << "no bar requested before the count-in's bar line";
    EXPECT_FALSE(countin);
    EXPECT_EQ(metcount, 0) << "the count-in's bar line came at 243";
    passes(T + 244, T + 243 + 160);
    EXPECT_EQ(w.pagenumber, 0);
    passes(T + 243 + 161, T + 243 + 161);
    EXPECT_EQ(w.pagenumber, 1) << "requested 161 ticks after the bar line";
}

// START is pressed with the mouse or the keyboard, so the start button may hold
// the focus; at the test start the key field takes it, and the first key is a
// hit at the first pitch, whatever pitch the last test ended on.
TEST_F(StartStopTest, TheFirstKeyOfATestReachesHitCaptureAtTheFirstPitch)
{
    Window1& w = openWindow();
    w.listenplay = false;
    w.show();
    QApplication::setActiveWindow(&w);
    w.BevelButton1->setFocus();
    ASSERT_TRUE(w.BevelButton1->hasFocus());
    w.nextnote = 4; // as the last test's hits left it
    lastnoteplayed = 3;

    const int64_t T = startTest();
    EXPECT_TRUE(w.TextField1->hasFocus());
    passes(T, T + 240); // the count-in
    sound.played.clear();
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, Qt::Key_Space);
    EXPECT_EQ(w.BevelButton1->Icon(), res::stop()) << "the key must not press STOP";
    EXPECT_EQ(w.notelist->Cell(0, 1), "0");
    EXPECT_EQ(w.notelist->Cell(0, 3), "0");
    EXPECT_EQ(takePlayed().value(0), QStringLiteral("c.wav"));
}

TEST_F(StartStopTest, HelpButtonShowsTheHelpWindowWithoutBlocking)
{
    Window1& w = openWindow();
    w.show();
    ASSERT_EQ(helpwin::existing(), nullptr);
    w.BevelButton4->click();
    helpwin* help = helpwin::existing();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    help->close();
}

// ---- Without the click sound ----------------------------------------------

// A sound is looked up once a run, so each case runs in a child process whose
// resources lack "hi.wav" from the start. Exit code 3: it ran, but a start
// did not go through.
class MissingClickDeathTest : public AppTest {};

TEST_F(MissingClickDeathTest, TestAndReplayStartWithoutTheirFirstClick)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QTemporaryDir folder;
            const QDir resources(platform::resourceRoot());
            for (const QString& name : resources.entryList(QDir::Files))
                if (name != QStringLiteral("hi.wav"))
                    QFile::copy(resources.filePath(name), folder.filePath(name));
            platform::setResourceRoot(folder.path());
            bool started = false;
            bool replayed = false;
            try {
                Window1& w = openWindow();
                startTest();
                started = w.Timer1->Enabled() && w.notelist->ListCount() > 0 && countin;
                w.BevelButton1_Action(); // STOP
                w.notelist->setCell(0, 1, w.notelist->Cell(0, 0));
                replayed = w.startreplay() && w.replaytimer->Enabled() && w.lastnotesounded == 0;
            } catch (...) {
            }
            std::_Exit(res::hi().isNil() && started && replayed && sound.played.empty() ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}
