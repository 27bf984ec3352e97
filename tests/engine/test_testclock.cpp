// Whole tests driven pass by pass on a stepped clock: the clicks, the
// listen-bar notes, the captions, the next-bar requests, the hit times and the
// state at the end.
#include "notation/grouptable.h"
#include "platform/numbers.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"
#include <QCoreApplication>
#include <QKeyEvent>

using namespace Module1;
using platform::Val;

namespace {

class TestClockTest : public AppTest {
protected:
    int64_t rowsHitSoFar() const
    {
        int64_t n = 0;
        for (int64_t r = 0; r < window->notelist->ListCount(); ++r)
            n += window->notelist->Cell(r, 1).isEmpty() ? 0 : 1;
        return n;
    }

    // Runs one pass per tick until the test ends (or `limit` ticks). At each
    // tick, rows whose due tick has come are hit first; `dueTick` maps a row
    // to the tick it is due at. Records clicks, pitch sounds, captions and
    // next-bar requests relative to the start tick T.
    void run(int64_t T, const std::function<int64_t(int64_t row)>& dueTick, int64_t limit = 4000)
    {
        Window1& w = *window;
        int64_t hitRow = 0;
        QString caption = w.lisplaylabel->text();
        uint32_t colour = platform::textColor(w.lisplaylabel);
        int64_t page = w.pagenumber;
        captions.push_back({0, caption});
        for (int64_t t = T; t <= T + limit && w.Timer1->Enabled(); ++t) {
            clock.now = t;
            while (dueTick && hitRow < w.notelist->ListCount() && dueTick(hitRow) == t - T) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
                QCoreApplication::sendEvent(w.TextField1, &press);
                ++hitRow;
            }
            size_t before = sound.played.size();
            w.Timer1_Action();
            for (size_t i = before; i < sound.played.size(); ++i)
                sounds.push_back({t - T, sound.played[i].name});
            if (w.lisplaylabel->text() != caption || platform::textColor(w.lisplaylabel) != colour) {
                caption = w.lisplaylabel->text();
                colour = platform::textColor(w.lisplaylabel);
                captions.push_back({t - T, caption + (colour == 0x00E000 ? " green" : colour == 0xFF0000 ? " red" : " ?")});
            }
            if (w.pagenumber != page) {
                page = w.pagenumber;
                requests.push_back(t - T);
            }
            endTick = t - T;
        }
    }

    std::vector<Event> clicksOnly() const
    {
        std::vector<Event> out;
        for (const Event& e : sounds)
            if (e.what == "hi.wav" || e.what == "low.wav")
                out.push_back(e);
        return out;
    }

    std::vector<Event> sounds;
    std::vector<Event> captions;
    std::vector<int64_t> requests;
    int64_t endTick = -1;
};

// The clicks of bars starting at `from` (a bar line at each multiple of B).
std::vector<Event> expectedClicks(int64_t bars, int64_t beat, int64_t beats)
{
    std::vector<Event> out;
    for (int64_t b = 0; b < bars; ++b) {
        for (int64_t k = 1; k < beats; ++k)
            out.push_back({b * beat * beats + k * beat, "low.wav"});
        out.push_back({(b + 1) * beat * beats, "hi.wav"});
    }
    return out;
}

} // namespace

TEST_F(TestClockTest, ContinuousTestOfFourBarsPlayedOnTheBeat)
{
    Window1& w = openWindow();
    w.listenplay = false;
    takePlayed();
    int64_t T = startTest();
    EXPECT_EQ(takePlayed(), QStringList{"hi.wav"}) << "the count-in's first click at the test start";
    EXPECT_EQ(w.lisplaylabel->text(), "COUNT IN");
    EXPECT_FALSE(w.lisplaylabel->isHidden());

    run(T, [&](int64_t row) { return 240 + Val(w.notelist->Cell(row, 0)); });

    // Count-in and three played bars clicked, then the last bar up to the end.
    std::vector<Event> clicks = expectedClicks(4, 60, 4);
    clicks.push_back({960 + 60, "low.wav"});
    clicks.push_back({960 + 120, "low.wav"});
    EXPECT_EQ(clicksOnly(), clicks);

    // Bar k + 1 is requested on the first pass past B - ts(80) in bar k; the
    // same point of the last bar ends the test.
    EXPECT_EQ(requests, (std::vector<int64_t>{240 + 161, 480 + 161, 720 + 161}));
    EXPECT_EQ(endTick, 960 + 161);

    EXPECT_EQ(captions, (std::vector<Event>{{0, "COUNT IN"}, {180, "PLAY green"}}));
    EXPECT_TRUE(w.lisplaylabel->isHidden());

    // Every row was hit on its onset; the table holds the whole test.
    ASSERT_GT(w.notelist->ListCount(), 0);
    for (int64_t r = 0; r < w.notelist->ListCount(); ++r) {
        EXPECT_EQ(w.notelist->Cell(r, 1), w.notelist->Cell(r, 0)) << "row " << r;
        EXPECT_FALSE(w.notelist->Cell(r, 2).isEmpty()) << "corrected at the end, row " << r;
    }
    EXPECT_EQ(w.notelist->Cell(0, 0), "0");
    EXPECT_EQ(w.notelist->Cell(w.notelist->ListCount() - 1, 0), "840") << "the last beat is a crotchet";
    EXPECT_EQ(w.notesplayedsofar, w.notelist->ListCount());

    // End-of-test state.
    EXPECT_FALSE(w.Timer1->Enabled());
    EXPECT_EQ(w.BevelButton1->Icon(), res::go());
    EXPECT_TRUE(idleControls(w));
    EXPECT_FALSE(w.resultbox->isHidden());
    EXPECT_EQ(w.pagenumber, 3);
    EXPECT_EQ(w.bargroups.back(), 1) << "the closing rest";
    EXPECT_TRUE(box.shown.isEmpty()) << box.shown.join("|").toStdString();
}

TEST_F(TestClockTest, ListenAndPlayTestOfFourBarsPlayedOnTheBeat)
{
    Window1& w = openWindow();
    ASSERT_TRUE(w.listenplay);
    takePlayed();
    int64_t T = startTest();
    takePlayed();

    // A play bar of bar k runs from T + (2k + 2)B; its rows are hit there.
    run(T, [&](int64_t row) {
        int64_t onset = Val(w.notelist->Cell(row, 0));
        int64_t k = onset / 240;
        return (2 * k + 2) * 240 + (onset - k * 240);
    });

    // Every bar line but the last is clicked: count-in, then listen and play
    // bars in turn.
    std::vector<Event> clicks = expectedClicks(9, 60, 4);
    clicks.pop_back();
    EXPECT_EQ(clicksOnly(), clicks);
    EXPECT_EQ(endTick, 2160);

    // The listen bar of bar k sounds its rows at T + (2k + 1)B + their place.
    std::vector<Event> listened;
    for (const Event& e : sounds)
        if (e.what != "hi.wav" && e.what != "low.wav")
            listened.push_back(e);
    // Each row is sounded twice: once by the listen bar (generated pitch) and
    // once by the user's key hit (the hit's own pitch walk); the listen-bar
    // ones fall in listen bars.
    std::vector<Event> inListenBars;
    for (const Event& e : listened)
        if ((e.tick / 240) % 2 == 1)
            inListenBars.push_back(e);
    ASSERT_EQ(static_cast<int64_t>(inListenBars.size()), w.notelist->ListCount());
    for (int64_t r = 0; r < w.notelist->ListCount(); ++r) {
        int64_t onset = Val(w.notelist->Cell(r, 0));
        int64_t k = onset / 240;
        // The pass that makes the bar line has already passed the playback
        // step, so a note on the bar line sounds one pass later.
        int64_t inBar = onset - k * 240;
        EXPECT_EQ(inListenBars[r].tick, (2 * k + 1) * 240 + (inBar == 0 ? 1 : inBar)) << "row " << r;
    }

    EXPECT_EQ(requests, (std::vector<int64_t>{720, 1200, 1680}));
    EXPECT_EQ(captions, (std::vector<Event>{{0, "COUNT IN"},
                                            {240, "LISTEN red"},
                                            {420, "PLAY green"},
                                            {720, "LISTEN  red"},
                                            {900, "PLAY green"},
                                            {1200, "LISTEN  red"},
                                            {1380, "PLAY green"},
                                            {1680, "LISTEN  red"},
                                            {1860, "PLAY green"}}));
    for (int64_t r = 0; r < w.notelist->ListCount(); ++r)
        EXPECT_EQ(w.notelist->Cell(r, 1), w.notelist->Cell(r, 0)) << "row " << r;
    EXPECT_FALSE(w.Timer1->Enabled());
    EXPECT_TRUE(w.lisplaylabel->isHidden());
    EXPECT_TRUE(box.shown.isEmpty());
}

// In the listen bar that follows the count-in, the gate for play-bar hits
// opens on the first pass past bar span - 40.
TEST_F(TestClockTest, ListenBarGateOpensFortyTicksBeforeTheBarLine)
{
    struct Case {
        int64_t tempo, beats, opensAt; // opensAt: position in the listen bar
    };
    const Case cases[] = {{60, 4, 201}, {30, 3, 51}, {20, 2, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tempo * c.beats);
        Window1& w = openWindow();
        ASSERT_TRUE(w.listenplay);
        tickspeed = c.tempo;
        w.beatsinbar = c.beats;
        const int64_t B = c.tempo * c.beats;
        const int64_t T = startTest();
        int64_t opened = -1;
        for (int64_t t = T; t <= T + 2 * B && opened < 0; ++t) {
            clock.now = t;
            w.Timer1_Action();
            if (t - T == B) {
                ASSERT_TRUE(w.listening);
                EXPECT_FALSE(w.allowplay) << "closed at the start of the listen bar";
            }
            if (t - T > B && w.allowplay)
                opened = t - T - B;
        }
        EXPECT_EQ(opened, c.opensAt);
        resetCase();
    }
}

// In a continuous test the clock writes the caption "PLAY" once, in the
// count-in's last beat; the later bars leave the caption alone.
TEST_F(TestClockTest, ContinuousTestShowsPlayOnlyInTheCountIn)
{
    Window1& w = openWindow();
    w.listenplay = false;
    const int64_t T = startTest();
    for (int64_t t = T; t <= T + 240; ++t) {
        clock.now = t;
        w.Timer1_Action();
    }
    ASSERT_EQ(w.lisplaylabel->text(), "PLAY");
    w.lisplaylabel->setText(QStringLiteral("-"));
    std::vector<int64_t> rewritten;
    for (int64_t t = T + 241; t <= T + 1200 && w.Timer1->Enabled(); ++t) {
        clock.now = t;
        w.Timer1_Action();
        if (w.lisplaylabel->text() != "-") {
            rewritten.push_back(t - T);
            w.lisplaylabel->setText(QStringLiteral("-"));
        }
    }
    EXPECT_FALSE(w.Timer1->Enabled()) << "the test ran to its end";
    EXPECT_TRUE(rewritten.empty()) << "first rewritten at " << rewritten.front();
}

// Notes of a play bar left unplayed stay unplayed: the next-bar request moves
// the row for the next hit to the first row of the coming bar.
TEST_F(TestClockTest, ListenAndPlayHitAfterAnUnplayedBarGoesToTheNextBarsFirstRow)
{
    Window1& w = openWindow();
    ASSERT_TRUE(w.listenplay);
    stlevel = 0;
    level = 0; // every beat a crotchet: bar k has rows at 240k + 60j
    const int64_t T = startTest();
    for (int64_t t = T; t < T + 960; ++t) { // count-in, bar 0 listened, bar 0 not played, bar 1 listened
        clock.now = t;
        w.Timer1_Action();
    }
    ASSERT_EQ(w.pagenumber, 1);
    ASSERT_EQ(w.notelist->Cell(4, 0), "240");
    clock.now = T + 960; // the first tick of bar 1's play bar
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(w.TextField1, &press);
    EXPECT_EQ(w.notelist->Cell(4, 1), "240");
    for (int64_t r = 0; r < 4; ++r)
        EXPECT_TRUE(w.notelist->Cell(r, 1).isEmpty()) << "row " << r;
}

TEST_F(TestClockTest, ALatePassDelaysEveryLaterClickButNotTheTimes)
{
    Window1& w = openWindow();
    w.listenplay = false;
    int64_t T = startTest();
    takePlayed();
    // No pass runs from T + 60 to T + 62: the first beat is detected at 63.
    for (int64_t t = T; t <= T + 310; ++t) {
        if (t >= T + 60 && t <= T + 62)
            continue;
        clock.now = t;
        size_t before = sound.played.size();
        w.Timer1_Action();
        for (size_t i = before; i < sound.played.size(); ++i)
            sounds.push_back({t - T, sound.played[i].name});
    }
    EXPECT_EQ(clicksOnly(), (std::vector<Event>{{63, "low.wav"}, {123, "low.wav"}, {183, "low.wav"},
                                               {243, "hi.wav"}, {303, "low.wav"}}));
    EXPECT_FALSE(countin) << "the count-in ends when the position passes the bar span";
    // A hit is timed from the test start, not from the late click.
    clock.now = T + 300;
    w.listenplay = false;
    EXPECT_TRUE(w.TextField1_KeyDown(" "));
    EXPECT_EQ(w.notelist->Cell(0, 1), "60");
}

TEST_F(TestClockTest, HitStripIsClearedOnceShortlyBeforeEachBarLine)
{
    Window1& w = openWindow();
    w.listenplay = false;
    int64_t T = startTest();
    std::vector<int64_t> cleared;
    for (int64_t t = T; t <= T + 500; ++t) {
        clock.now = t;
        w.place[50] = 7; // a dot that only the clearing removes
        w.Timer1_Action();
        if (w.place[50] == -1)
            cleared.push_back(t - T);
    }
    EXPECT_EQ(cleared, (std::vector<int64_t>{231, 240 + 231}));
}

// A pass that falls only once into the last ticks of a bar clears the strip
// if its position is 9 to 6 ticks before the bar line, and not otherwise.
TEST_F(TestClockTest, HitStripIsClearedOnlyByAPassInItsWindow)
{
    struct Case {
        int64_t position;
        bool cleared;
    };
    const Case cases[] = {{230, false}, {231, true}, {234, true}, {235, false}, {238, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        Window1& w = openWindow();
        w.listenplay = false;
        const int64_t T = startTest();
        clock.now = T + c.position;
        w.place[50] = 7;
        w.Timer1_Action();
        EXPECT_EQ(w.place[50] == -1, c.cleared);
        EXPECT_EQ(w.refreshcanvas2, c.cleared);
        resetCase();
    }
}

// A bar can hold more hits than the strip has places; the clearing must empty
// every place, the last too, or a dot of the last bar would stay on the strip.
TEST_F(TestClockTest, HitStripClearingEmptiesEveryPlace)
{
    Window1& w = openWindow();
    w.listenplay = false;
    const int64_t T = startTest();
    w.place.fill(7);
    clock.now = T + 231;
    w.Timer1_Action();
    for (int64_t i = 0; i < w.place.size(); ++i)
        EXPECT_EQ(w.place[i], -1) << "place " << i;
}

TEST_F(TestClockTest, AnErrorInAPassIsReportedAsTimer1AndTheClockGoesOn)
{
    Window1& w = openWindow();
    w.listenplay = false;
    int64_t T = startTest();
    // A note row whose pitch index is out of range: sounding it fails.
    w.listening = true;
    w.notelist->setCell(0, 3, "9");
    clock.now = T + 1;
    w.Timer1_Action();
    EXPECT_EQ(box.shown, QStringList{"Timer1"});
    EXPECT_TRUE(w.Timer1->Enabled());
    w.listening = false;
    clock.now = T + 2;
    w.Timer1_Action();
    EXPECT_EQ(box.shown.size(), 1);
}

TEST_F(TestClockTest, AnErrorInAPassClosesTheMidiStream)
{
    midi.devices.push_back({});
    Window1& w = openWindow();
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->DeviceID(), 0);
    midiinput = true;
    w.listenplay = false;
    const int64_t T = startTest();
    w.listening = true;
    w.notelist->setCell(0, 3, "9"); // sounding row 0 fails
    clock.now = T + 1;
    w.Timer1_Action();
    EXPECT_EQ(box.shown, QStringList{"Timer1"});
    EXPECT_LT(s->DeviceID(), 0) << "the stream is closed";
    EXPECT_EQ(midi.devices[0].closed, 1);

    // The next pass opens it again.
    w.listening = false;
    clock.now = T + 2;
    w.Timer1_Action();
    EXPECT_EQ(s->DeviceID(), 0);
    EXPECT_EQ(box.shown.size(), 1);
}

TEST_F(TestClockTest, StopDuringATestScoresNothingAndKeepsTheRows)
{
    Window1& w = openWindow();
    w.listenplay = false;
    int64_t T = startTest();
    run(T, [&](int64_t row) { return 240 + Val(w.notelist->Cell(row, 0)); }, 300);
    ASSERT_TRUE(w.Timer1->Enabled());
    int64_t rows = w.notelist->ListCount();
    w.BevelButton1_Action(); // STOP
    EXPECT_FALSE(w.Timer1->Enabled());
    EXPECT_EQ(w.BevelButton1->Icon(), res::go());
    EXPECT_TRUE(w.resultbox->isHidden());
    EXPECT_EQ(w.notelist->ListCount(), rows);
    EXPECT_TRUE(countin);
    EXPECT_EQ(totaltests, 0);
    EXPECT_TRUE(w.TextField1->text().isEmpty());
    if (rows >= 2) {
        EXPECT_FALSE(w.notelist->Cell(1, 2).isEmpty());
    }
}

TEST_F(TestClockTest, StartThenStopDuringTheWaitStartsNoTest)
{
    Window1& w = openWindow();
    takePlayed();
    w.BevelButton1_Action(); // START
    EXPECT_TRUE(w.prestarttimer->Enabled());
    EXPECT_FALSE(w.BevelButton2->isEnabled());
    EXPECT_EQ(w.BevelButton2->Icon(), res::optionslight());
    EXPECT_FALSE(w.Slider1->isEnabled());
    w.BevelButton1_Action(); // STOP
    EXPECT_FALSE(w.prestarttimer->Enabled());
    EXPECT_TRUE(takePlayed().isEmpty());
    EXPECT_EQ(w.BevelButton1->Icon(), res::go());
    EXPECT_TRUE(w.BevelButton3->isEnabled());
    EXPECT_EQ(w.notelist->ListCount(), 0);
}

TEST_F(TestClockTest, RepeatModeHoldsTheTestAndRepeatsItsGroups)
{
    Window1& w = openWindow();
    w.listenplay = false;
    reptest = true;
    level = 30;
    int64_t T = startTest();
    run(T, nullptr);
    ASSERT_FALSE(w.Timer1->Enabled());
    EXPECT_EQ(w.BevelButton1->Icon(), res::repeat());
    EXPECT_TRUE(retest);
    EXPECT_FALSE(w.BevelButton5->isHidden());
    ASSERT_EQ(w.retestlist->ListCount(), 15);
    EXPECT_EQ(w.retestlist->Cell(0, 0), "0");
    EXPECT_EQ(w.retestlist->Cell(14, 0), "0");
    QStringList held;
    for (int64_t r = 0; r < 15; ++r)
        held << w.retestlist->Cell(r, 0);
    std::vector<int64_t> firstGroups;
    for (int64_t r = 0; r < w.notelist->ListCount(); ++r)
        if (!w.notelist->Cell(r, 4).isEmpty())
            firstGroups.push_back(Val(w.notelist->Cell(r, 4)));

    // REPEAT TEST: the same beats again, no group drawn.
    T = startTest();
    sounds.clear();
    requests.clear();
    captions.clear();
    run(T, nullptr);
    ASSERT_EQ(w.retestlist->ListCount(), 15);
    QStringList again;
    for (int64_t r = 0; r < 15; ++r)
        again << w.retestlist->Cell(r, 0);
    EXPECT_EQ(again, held);
    EXPECT_EQ(w.refreshrow, 15);
    EXPECT_EQ(w.BevelButton1->Icon(), res::repeat());

    // NEW TEST drops it.
    w.BevelButton5_Action();
    EXPECT_FALSE(retest);
    EXPECT_EQ(w.retestlist->ListCount(), 0);
    EXPECT_EQ(w.BevelButton1->Icon(), res::go());
    EXPECT_FALSE(w.BevelButton5->isHidden()) << "hidden only by the next START";
}

TEST_F(TestClockTest, NoPassRunsWhileTheErrorMessageIsOpen)
{
    Window1& w = openWindow();
    w.listenplay = false;
    int64_t T = startTest();
    w.listening = true;
    w.notelist->setCell(0, 3, "9"); // sounding row 0 fails on every pass
    int nested = 0;
    box.whileOpen = [&] {
        // Passes that come while the box is open do nothing.
        ++nested;
        clock.now += 1;
        w.Timer1_Action();
    };
    clock.now = T + 1;
    w.Timer1_Action();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(box.shown.size(), 1);
}

TEST_F(TestClockTest, StartEndsARunningReplay)
{
    Window1& w = openWindow();
    w.replaytimer->setEnabled(true);
    startTest();
    EXPECT_FALSE(w.replaytimer->Enabled());
    EXPECT_TRUE(w.Timer1->Enabled());
}
