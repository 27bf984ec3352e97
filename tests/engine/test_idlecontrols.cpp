// The sequences between tests that several handlers share: the controls given
// back, a replay stopped, a held test let go of.
#include "scoring/resultswin.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"

using namespace Module1;

namespace {

class IdleControlsTest : public AppTest {
protected:
    // A window as START leaves it, with a caption shown as a running test has.
    Window1& started()
    {
        Window1& w = openWindow();
        w.BevelButton5->setVisible(true);
        w.BevelButton1_Action(); // START
        w.lisplaylabel->setVisible(true);
        return w;
    }
};

} // namespace

TEST_F(IdleControlsTest, RestoringGivesBackTheControlsAndTheFaceOfTheHeldState)
{
    for (const bool held : {false, true}) {
        SCOPED_TRACE(held ? "held" : "idle");
        Window1& w = started();
        ASSERT_FALSE(w.BevelButton3->isEnabled());
        w.TextField1->setText(QStringLiteral("k"));
        countin = false;
        w.notelist->AddRow(QStringLiteral("0"));
        w.notelist->AddRow(QStringLiteral("60"));
        w.notelist->setCell(1, 1, QStringLiteral("65"));

        w.restoreidlecontrols(held);
        EXPECT_EQ(w.BevelButton1->Icon(), held ? res::repeat() : res::go());
        EXPECT_EQ(w.BevelButton5->isHidden(), !held) << "the new-test button comes back only with a held test";
        EXPECT_TRUE(idleControls(w));
        // What differs between STOP and the end of a test is left to them.
        EXPECT_TRUE(w.prestarttimer->Enabled());
        EXPECT_FALSE(countin);
        EXPECT_EQ(w.TextField1->text(), QStringLiteral("k"));
        EXPECT_TRUE(w.notelist->Cell(1, 2).isEmpty()) << "no correction of the hit times";
        resetCase();
    }
}

TEST_F(IdleControlsTest, StoppingAReplayGivesBackTheTempoUnlessATestHoldsIt)
{
    struct Case {
        const char* what;
        bool testClock, preStart, resultsOpen;
        bool sliderBack;
    };
    const Case cases[] = {
        {"between tests, results open", false, false, true, true},
        {"between tests, no results window", false, false, false, true},
        {"during the pre-start wait", false, true, true, false},
        {"during a test", true, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window1& w = openWindow();
        resultswin* results = c.resultsOpen ? resultswin::instance() : nullptr;
        if (results)
            results->BevelButton1->setIcon(res::smallstop());
        w.replaytimer->setEnabled(true);
        w.Slider1->setEnabled(false);
        w.Timer1->setEnabled(c.testClock);
        w.prestarttimer->setEnabled(c.preStart);

        w.stopreplay();
        EXPECT_FALSE(w.replaytimer->Enabled());
        EXPECT_EQ(w.Slider1->isEnabled(), c.sliderBack);
        if (results) {
            EXPECT_EQ(results->BevelButton1->Icon(), res::play());
        }
        EXPECT_EQ(w.Timer1->Enabled(), c.testClock) << "a test goes on";
        EXPECT_EQ(w.prestarttimer->Enabled(), c.preStart);
        delete results;
        resetCase();
    }
}

TEST_F(IdleControlsTest, ReleasingTheHeldTestEmptiesTheRepeatListAndTurnsRepeatToGo)
{
    struct Case {
        const char* what;
        res::PictureRef (*face)();
        res::PictureRef (*after)();
    };
    for (const Case& c : {Case{"held", res::repeat, res::go}, Case{"idle", res::go, res::go},
                          Case{"running", res::stop, res::stop}}) {
        SCOPED_TRACE(c.what);
        Window1& w = openWindow();
        reptest = true;
        retest = true;
        for (const char* entry : {"0", "4", "0"})
            w.retestlist->AddRow(QString::fromLatin1(entry));
        w.BevelButton1->setIcon(c.face());
        w.BevelButton5->setVisible(true);

        w.releaseheldtest();
        EXPECT_FALSE(retest);
        EXPECT_EQ(w.retestlist->ListCount(), 0);
        EXPECT_EQ(w.BevelButton1->Icon(), c.after());
        EXPECT_TRUE(reptest) << "repeat mode is the options window's to change";
        EXPECT_FALSE(w.BevelButton5->isHidden()) << "hidden only by the next START";
        resetCase();
    }
}
