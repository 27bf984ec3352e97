// The results window: its size and controls, the replay button with the
// replay clock, and the results graph painted into an image and searched for
// its lines and dots.
#include "platform/numbers.h"
#include "scoring/resultswin.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"
#include <QApplication>
#include <QImage>
#include <QPointer>
#include <algorithm>

using namespace Module1;

// Found by argument-dependent lookup when GoogleTest prints a QPoint.
static void PrintTo(const QPoint& p, std::ostream* os) { *os << "(" << p.x() << ", " << p.y() << ")"; }

namespace {

struct Row {
    QString onset, hit, corrected, pitch = QStringLiteral("0");
};

// Every place where the picture's opaque pixels all appear unchanged, with its
// top-left corner at or below minY and the whole picture inside the image.
std::vector<QPoint> findPicture(const QImage& image, const QImage& picture, int minY)
{
    struct Ink {
        int x, y;
        QRgb colour;
    };
    std::vector<Ink> ink;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qAlpha(picture.pixel(x, y)) == 255)
                ink.push_back({x, y, picture.pixel(x, y)});
    std::vector<QPoint> found;
    if (ink.empty())
        return found;
    for (int y = std::max(0, minY); y + picture.height() <= image.height(); ++y)
        for (int x = 0; x + picture.width() <= image.width(); ++x)
            if (std::all_of(ink.begin(), ink.end(),
                            [&](const Ink& i) { return image.pixel(x + i.x, y + i.y) == i.colour; }))
                found.push_back({x, y});
    return found;
}

bool isBlack(QRgb p) { return qRed(p) == 0 && qGreen(p) == 0 && qBlue(p) == 0; }
bool isWhite(QRgb p) { return p == qRgb(255, 255, 255); }

struct Dot {
    const char* name;
    res::PictureRef (*picture)();
};
const Dot dots[] = {{"bbdot", res::bbdot}, {"gdot", res::gdot}, {"bldot", res::bldot}, {"rdot", res::rdot}};

class ResultsWindowTest : public AppTest {
protected:
    // The main window with a finished test's tempo and these note rows.
    Window1& withNotes(const std::vector<Row>& rows, int64_t tempo = 60, int64_t beats = 4)
    {
        Window1& w = window ? *window : openWindow();
        lasttesttickspeed = tempo;
        tickspeed = tempo;
        w.beatsinbar = beats;
        w.notelist->DeleteAllRows();
        for (const Row& r : rows) {
            w.notelist->AddRow(r.onset);
            const int64_t i = w.notelist->LastIndex();
            w.notelist->setCell(i, 1, r.hit);
            w.notelist->setCell(i, 2, r.corrected);
            w.notelist->setCell(i, 3, r.pitch);
        }
        return w;
    }

    // The results window sized for the main window's settings, as its
    // results button leaves it.
    resultswin& results()
    {
        window->BevelButton3_Action();
        return *resultswin::existing();
    }

    static int resultsWindows()
    {
        int n = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* r = qobject_cast<resultswin*>(top); r && r == resultswin::existing())
                ++n;
        return n;
    }

    // Replay passes, one per tick, until the replay clock stops itself.
    std::vector<Event> runReplay(int64_t start, int64_t limit = 600)
    {
        std::vector<Event> heard;
        for (int64_t t = start; t <= start + limit && window->replaytimer->Enabled(); ++t) {
            clock.now = t;
            const size_t before = sound.played.size();
            window->replaytimer_Action();
            for (size_t i = before; i < sound.played.size(); ++i)
                heard.push_back({t - start, sound.played[i].name});
        }
        sound.played.clear();
        return heard;
    }

    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

} // namespace

TEST_F(ResultsWindowTest, ResultsButtonOpensOneWindowAndResizesIt)
{
    Window1& w = openWindow();
    ASSERT_EQ(resultswin::existing(), nullptr);
    w.bars = 4;
    w.beatsinbar = 4;
    w.BevelButton3_Action();
    resultswin* first = resultswin::existing();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowTitle(), "Results");
    EXPECT_EQ(first->size(), QSize(1010, 220));
    EXPECT_EQ(first->minimumSize(), first->maximumSize()) << "not resizable by the user";
    EXPECT_TRUE(first->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(first->BevelButton1->geometry(), QRect(5, 0, 89, 45));
    EXPECT_EQ(first->BevelButton1->Icon(), res::play());
    EXPECT_EQ(first->BevelButton1->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(first->Canvas1->geometry(), QRect(0, 45, 1010, 326)) << "full width, 151 px past the bottom";

    w.bars = 16;
    w.beatsinbar = 5;
    w.BevelButton3_Action();
    EXPECT_EQ(resultswin::existing(), first);
    EXPECT_EQ(resultsWindows(), 1);
    EXPECT_EQ(first->size(), QSize(1250, 580));
    EXPECT_EQ(first->Canvas1->geometry(), QRect(0, 45, 1250, 686));
}

// Where the graph draws nothing and beside the replay button, the window's own
// white shows; a new window stands centred over the main window.
TEST_F(ResultsWindowTest, OpensWhiteAndCentredOverTheMainWindow)
{
    Window1& w = openWindow();
    w.move(130, 90);
    resultswin* r = resultswin::instance();
    ASSERT_EQ(r->size(), QSize(652, 478)) << "as created, before the results button resizes it";
    // QRect::center rounds each side down, so the two may differ by a pixel.
    EXPECT_LE((r->frameGeometry().center() - w.frameGeometry().center()).manhattanLength(), 2)
        << r->frameGeometry().x() << ", " << r->frameGeometry().y();

    const QImage image = r->grab().toImage();
    for (QPoint p : {QPoint(300, 20), QPoint(640, 5), QPoint(2, 40)})
        EXPECT_TRUE(isWhite(image.pixel(p))) << "at " << p.x() << ", " << p.y();
}

TEST_F(ResultsWindowTest, ReplayButtonStartsAndStopsTheReplay)
{
    Window1& w = withNotes({{"0", "0", "0", "2"}, {"60", "62", "62", "4"}});
    resultswin& r = results();
    w.notecount = 3;
    w.startofnote = 240;
    w.pagenumber = 2;
    w.notessofar = 5;
    w.notesplayedsofar = 4;
    w.lastnotesounded = 2;
    w.lastticktime = 17;
    w.newtick = 9;
    metcount = 3;
    allnotes = 2;
    countin = false;
    clock.onRead = [](platform::FakeTicks& c) { c.advance(1); };

    r.BevelButton1->click();
    clock.onRead = nullptr;
    EXPECT_EQ(r.BevelButton1->Icon(), res::smallstop());
    EXPECT_TRUE(w.replaytimer->Enabled());
    EXPECT_FALSE(w.Slider1->isEnabled());
    ASSERT_EQ(takePlayed(), QStringList{"hi.wav"});
    EXPECT_TRUE(countin);
    for (int64_t v : {w.notecount, w.startofnote, w.pagenumber, w.notessofar, w.notesplayedsofar,
                      w.lastnotesounded, w.lastticktime, w.newtick, metcount, allnotes})
        EXPECT_EQ(v, 0);
    EXPECT_EQ(w.continuoustime, startruntime + 1) << "the replay origin is a second reading";
    EXPECT_EQ(w.notelist->Cell(1, 1), "62") << "a replay only reads the note table";

    // The first row sounds, then the button stops the replay at once.
    clock.now = w.continuoustime;
    w.replaytimer_Action();
    ASSERT_EQ(w.lastnotesounded, 1);
    takePlayed();
    r.BevelButton1->click();
    EXPECT_EQ(r.BevelButton1->Icon(), res::play());
    EXPECT_FALSE(w.replaytimer->Enabled());
    EXPECT_TRUE(w.Slider1->isEnabled());
    EXPECT_TRUE(takePlayed().isEmpty());

    // Started again, it plays from the first row.
    r.BevelButton1->click();
    EXPECT_EQ(w.lastnotesounded, 0);
    EXPECT_TRUE(w.replaytimer->Enabled());
    EXPECT_EQ(takePlayed(), QStringList{"hi.wav"});
}

TEST_F(ResultsWindowTest, ReplayEndsByItselfAndTheButtonShowsPlay)
{
    struct Case {
        const char* what;
        int64_t replayTempo;
        std::vector<Row> rows;
        std::vector<Event> heard;
    };
    const std::vector<Case> cases = {
        {"every row sounded", 60, {{"0", "0", "0", "2"}, {"60", "62", "62", "4"}},
         {{0, "e.wav"}, {60, "low.wav"}, {62, "g.wav"}}},
        {"stops at the first row without a hit", 60, {{"0", "1", "1", "2"}, {"60", "", "0", "4"}},
         {{1, "e.wav"}}},
        {"nothing played", 60, {{"0", "", "0", "2"}}, {}},
        {"re-timed to the current tempo", 80, {{"0", "120", "120", "6"}},
         {{80, "low.wav"}, {160, "ch.wav"}, {160, "low.wav"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window1& w = withNotes(c.rows);
        resultswin& r = results();
        tickspeed = c.replayTempo;
        r.BevelButton1_Action();
        ASSERT_EQ(takePlayed(), QStringList{"hi.wav"});
        const std::vector<Event> heard = runReplay(clock.now);
        EXPECT_EQ(heard, c.heard);
        EXPECT_FALSE(w.replaytimer->Enabled());
        EXPECT_EQ(r.BevelButton1->Icon(), res::play());
        EXPECT_TRUE(w.Slider1->isEnabled()) << "the tempo can be moved again";
    }
}

// The replay's metronome counts the beats in a bar as they are set now, even
// when the test was played with another number; the hits keep their times.
TEST_F(ResultsWindowTest, ReplayBarLengthFollowsTheBeatsSetNow)
{
    for (const int64_t beats : {2, 3, 5}) {
        SCOPED_TRACE(beats);
        Window1& w = withNotes({{"0", "0", "0", "0"}, {"60", "61", "61", "1"}, {"420", "390", "390", "2"}});
        resultswin& r = results();
        w.beatsinbar = beats; // changed after the test
        r.BevelButton1_Action();
        takePlayed();
        // A click on every beat, hi on every bar line of `beats` beats.
        std::vector<Event> expected = {{0, "c.wav"}, {61, "d.wav"}, {390, "e.wav"}};
        for (int64_t beat = 1; beat * 60 < 390; ++beat)
            expected.push_back({beat * 60, beat % beats == 0 ? "hi.wav" : "low.wav"});
        std::stable_sort(expected.begin(), expected.end(),
                         [](const Event& a, const Event& b) { return a.tick < b.tick; });
        EXPECT_EQ(runReplay(clock.now), expected);
        EXPECT_FALSE(w.replaytimer->Enabled());
    }
}

// The pass that sounds the last row also ends the replay.
TEST_F(ResultsWindowTest, ReplayStopsOnThePassThatSoundsTheLastRow)
{
    Window1& w = withNotes({{"0", "0", "0", "0"}, {"60", "59", "59", "1"}});
    resultswin& r = results();
    r.BevelButton1_Action();
    const int64_t start = clock.now;
    takePlayed();
    for (int64_t t = start; t < start + 59; ++t) {
        clock.now = t;
        w.replaytimer_Action();
    }
    ASSERT_TRUE(w.replaytimer->Enabled());
    clock.now = start + 59;
    w.replaytimer_Action();
    EXPECT_EQ(takePlayed(), (QStringList{"c.wav", "d.wav"}));
    EXPECT_FALSE(w.replaytimer->Enabled());
    EXPECT_EQ(r.BevelButton1->Icon(), res::play());
}

// An empty note table gives the replay clock nothing to play: its first pass
// stops it and gives the slider and the replay button back.
TEST_F(ResultsWindowTest, ReplayOfAnEmptyNoteTableStopsOnItsFirstPass)
{
    Window1& w = withNotes({});
    resultswin& r = results();
    w.lastnotesounded = 0;
    w.replaytimer->setEnabled(true);
    w.Slider1->setEnabled(false);
    r.BevelButton1->setIcon(res::smallstop());
    clock.now += 1;
    w.replaytimer_Action();
    EXPECT_FALSE(w.replaytimer->Enabled());
    EXPECT_TRUE(w.Slider1->isEnabled());
    EXPECT_EQ(r.BevelButton1->Icon(), res::play());
    EXPECT_TRUE(takePlayed().isEmpty());
}

// Hits made before the first onset have negative times: they are due at the
// replay start, one a pass.
TEST_F(ResultsWindowTest, ReplayPlaysNegativeHitTimesAtOnce)
{
    Window1& w = withNotes({{"0", "-10", "-10", "0"}, {"0", "-3", "-3", "1"}, {"60", "50", "50", "2"}});
    resultswin& r = results();
    r.BevelButton1_Action();
    takePlayed();
    EXPECT_EQ(runReplay(clock.now), (std::vector<Event>{{0, "c.wav"}, {1, "d.wav"}, {50, "e.wav"}}));
    EXPECT_FALSE(w.replaytimer->Enabled());
}

TEST_F(ResultsWindowTest, ClosingTheWindowStopsTheReplay)
{
    Window1& w = withNotes({{"0", "0", "0"}, {"60", "60", "60"}});
    QPointer<resultswin> r = &results();
    r->BevelButton1_Action();
    ASSERT_TRUE(w.replaytimer->Enabled());
    r->close();
    EXPECT_FALSE(w.replaytimer->Enabled());
    EXPECT_TRUE(w.Slider1->isEnabled());
    EXPECT_EQ(resultswin::existing(), nullptr) << "a closed window is gone at once";
    flushDeletes();
    EXPECT_TRUE(r.isNull());

    // The next press of the results button opens a fresh, idle window.
    resultswin& again = results();
    EXPECT_EQ(again.BevelButton1->Icon(), res::play());
    EXPECT_EQ(resultsWindows(), 1);
}

TEST_F(ResultsWindowTest, StartEndsAReplayAndTheTempoStaysWithTheTest)
{
    Window1& w = withNotes({{"0", "0", "0"}, {"60", "60", "60"}});
    resultswin& r = results();
    r.BevelButton1_Action();
    ASSERT_TRUE(w.replaytimer->Enabled());
    w.BevelButton1_Action(); // START
    EXPECT_TRUE(w.prestarttimer->Enabled());
    EXPECT_FALSE(w.replaytimer->Enabled()) << "a test and a replay share the run state";
    EXPECT_EQ(r.BevelButton1->Icon(), res::play());
    EXPECT_FALSE(w.Slider1->isEnabled());

    // Closing the window now leaves the slider to the test.
    QPointer<resultswin> closing = &r;
    closing->close();
    flushDeletes();
    EXPECT_FALSE(w.Slider1->isEnabled());
    EXPECT_TRUE(w.prestarttimer->Enabled());
}

// The results window may stay open while the next test runs.
TEST_F(ResultsWindowTest, ATestStartedWhileTheWindowIsOpenLeavesItOpen)
{
    Window1& w = withNotes({{"0", "0", "0"}, {"60", "60", "60"}});
    QPointer<resultswin> r = &results();
    ASSERT_FALSE(r->isHidden());
    const int64_t T = startTest();
    for (int64_t t = T; t <= T + 300; ++t) {
        clock.now = t;
        w.Timer1_Action();
    }
    flushDeletes();
    ASSERT_FALSE(r.isNull());
    EXPECT_EQ(resultswin::existing(), r.data());
    EXPECT_FALSE(r->isHidden());
    EXPECT_TRUE(w.Timer1->Enabled());
}

TEST_F(ResultsWindowTest, ReplayButtonRefusesWhileATestRunsOrWithoutNotes)
{
    struct Case {
        const char* what;
        void (*setup)(Window1&);
    };
    const Case cases[] = {
        {"test running", [](Window1& w) { w.Timer1->setEnabled(true); }},
        {"pre-start wait", [](Window1& w) { w.prestarttimer->setEnabled(true); }},
        {"empty note table", [](Window1& w) { w.notelist->DeleteAllRows(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window1& w = withNotes({{"0", "0", "0"}});
        resultswin& r = results();
        c.setup(w);
        w.Slider1->setEnabled(true);
        w.lastnotesounded = 1;
        countin = false;
        r.BevelButton1_Action();
        EXPECT_EQ(r.BevelButton1->Icon(), res::play());
        EXPECT_FALSE(w.replaytimer->Enabled());
        EXPECT_TRUE(w.Slider1->isEnabled());
        EXPECT_TRUE(takePlayed().isEmpty());
        EXPECT_EQ(w.lastnotesounded, 1) << "the run state is untouched";
        EXPECT_FALSE(countin);
        w.Timer1->setEnabled(false);
        w.prestarttimer->setEnabled(false);
    }
}

TEST_F(ResultsWindowTest, EmptyNoteTableShowsTheLegendOnly)
{
    Window1& w = openWindow();
    ASSERT_EQ(lasttesttickspeed, 0);
    ASSERT_EQ(w.notelist->ListCount(), 0);
    resultswin& r = results();
    const QImage image = r.Canvas1->renderToImage(); // must not read a row

    const int legendX[] = {10, 140, 270, 420};
    for (size_t i = 0; i < std::size(dots); ++i)
        EXPECT_EQ(findPicture(image, dots[i].picture()->image(), 0), std::vector<QPoint>{QPoint(legendX[i], 10)})
            << dots[i].name;
    // Each legend text starts 20 px right of its dot and stands on y = 15.
    for (int x : legendX) {
        bool ink = false;
        for (int y = 0; y <= 15; ++y)
            for (int dx = 20; dx < 60; ++dx)
                ink = ink || !isWhite(image.pixel(x + dx, y));
        EXPECT_TRUE(ink) << "text after the dot at " << x;
    }
    for (int y = 30; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_TRUE(isWhite(image.pixel(x, y))) << "drawn below the legend at " << x << ", " << y;
}

TEST_F(ResultsWindowTest, GraphRowsFollowTheLastOnsetAndTheBeats)
{
    struct Case {
        int64_t beats, lastOnset, rows;
    };
    const Case cases[] = {{4, 479, 1}, {4, 480, 2}, {4, 960, 3}, {4, 1900, 4}, {3, 0, 1}, {3, 720, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.beats << " beats, last onset " << c.lastOnset);
        // Missed notes: only written dots, which stand above the row lines.
        Window1& w = withNotes({{"0", "", "0"}, {platform::Str(c.lastOnset), "", "0"}}, 60, c.beats);
        w.bars = 4;
        const QImage image = results().Canvas1->renderToImage();
        const int right = static_cast<int>(20 + 240 * c.beats);
        const int middle = static_cast<int>(20 + 120 * c.beats);
        for (int i = 0; i < c.rows; ++i) {
            const int y = 55 + 55 * i;
            SCOPED_TRACE(testing::Message() << "row at y " << y);
            for (int x = 20; x <= right; ++x)
                ASSERT_TRUE(isBlack(image.pixel(x, y))) << x;
            EXPECT_TRUE(isWhite(image.pixel(19, y)));
            EXPECT_TRUE(isWhite(image.pixel(right + 1, y)));
            for (int x = 20; x <= right; x += 120) {
                const bool bar = x == 20 || x == middle;
                const int reach = bar ? 20 : 10;
                EXPECT_TRUE(isBlack(image.pixel(x, y + reach))) << x;
                EXPECT_TRUE(isWhite(image.pixel(x, y + reach + 1))) << x;
                if (bar) {
                    EXPECT_TRUE(isBlack(image.pixel(x, y - 20))) << x;
                    EXPECT_TRUE(isWhite(image.pixel(x, y - 21))) << x;
                }
            }
            // Nothing between the ticks.
            EXPECT_TRUE(isWhite(image.pixel(80, y + 5)));
        }
        for (int x = 0; x < image.width(); ++x)
            ASSERT_TRUE(isWhite(image.pixel(x, static_cast<int>(55 + 55 * c.rows)))) << "one row too many";
    }
}

TEST_F(ResultsWindowTest, DotsStandWhereTheNotesWereDueAndPlayed)
{
    struct Placed {
        const char* dot;
        QPoint corner;
    };
    struct Case {
        const char* what;
        int64_t tempo, beats;
        std::vector<Row> rows;
        std::vector<Placed> expected;
    };
    const std::vector<Case> cases = {
        {"near hit late in the second row", 60, 4, {{"840", "843", "843"}},
         {{"bbdot", {735, 100}}, {"bldot", {741, 110}}}},
        {"first note 3 ticks early", 60, 4, {{"0", "-3", "-3"}}, {{"bbdot", {15, 45}}, {"bldot", {9, 55}}}},
        {"60 ticks late: start of its own row", 60, 4, {{"900", "960", "960"}},
         {{"bbdot", {855, 100}}, {"rdot", {15, 110}}}},
        {"class boundaries early and late", 60, 4,
         {{"60", "65", "65"}, {"120", "114", "114"}, {"180", "175", "175"}, {"240", "246", "246"},
          {"300", "300", "300"}},
         // 246 ticks convert to 245 beat units: the time base divides first
         // and truncates 245.99...
         {{"bbdot", {135, 45}}, {"bbdot", {255, 45}}, {"bbdot", {375, 45}}, {"bbdot", {495, 45}},
          {"bbdot", {615, 45}}, {"bldot", {145, 55}}, {"rdot", {243, 55}}, {"bldot", {365, 55}},
          {"rdot", {505, 55}}, {"gdot", {615, 55}}}},
        {"missed notes: written dots only", 60, 4, {{"0", "", "0"}, {"480", "", "-480"}},
         {{"bbdot", {15, 45}}, {"bbdot", {15, 100}}}},
        {"early on a row start: class from the hit, place from the correction", 60, 4,
         {{"0", "0", "0"}, {"480", "478", "-2"}},
         {{"bbdot", {15, 45}}, {"gdot", {15, 55}}, {"bbdot", {15, 100}}, {"bldot", {11, 110}}}},
        {"slow tempo: far early dot left of the canvas", 20, 4, {{"0", "-40", "-40"}}, {{"bbdot", {15, 45}}}},
        {"three beats lay rows of 360 beat units", 60, 3, {{"400", "400", "400"}},
         {{"bbdot", {95, 100}}, {"gdot", {95, 110}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        withNotes(c.rows, c.tempo, c.beats);
        const QImage image = results().Canvas1->renderToImage();
        for (const Dot& d : dots) {
            std::vector<QPoint> want;
            for (const Placed& p : c.expected)
                if (std::string(p.dot) == d.name)
                    want.push_back(p.corner);
            std::vector<QPoint> got = findPicture(image, d.picture()->image(), 30);
            auto order = [](const QPoint& a, const QPoint& b) {
                return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x());
            };
            std::sort(want.begin(), want.end(), order);
            std::sort(got.begin(), got.end(), order);
            EXPECT_EQ(got, want) << d.name;
        }
    }
}
