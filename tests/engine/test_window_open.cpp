// The main window as its open handler leaves it: layout, idle screen, the
// tables it fills, the MIDI devices it opens, the totals and the tempo; and
// its close handler.
#include "platform/numbers.h"
#include "shell/mainmenubar.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"
#include <QApplication>
#include <QImage>
#include <cstdlib>

using namespace Module1;

namespace {

using Device = platform::ScriptedMidiBackend::Device;

Device inputDevice(bool opens = true)
{
    Device d;
    d.name = QStringLiteral("in");
    d.hasInput = true;
    d.opens = opens;
    return d;
}

Device outputDevice()
{
    Device d;
    d.name = QStringLiteral("out");
    d.hasInput = false;
    return d;
}

Device deviceWithoutInfo()
{
    Device d = inputDevice();
    d.hasInfo = false;
    return d;
}

// A control's rectangle in the coordinates of the window's client area.
QRect inClientArea(Window1& w, QWidget* control)
{
    return QRect(control->mapTo(w.centralWidget(), QPoint(0, 0)), control->size());
}

class WindowOpenTest : public AppTest {};

TEST_F(WindowOpenTest, OpensIdle)
{
    Window1& w = openWindow();

    EXPECT_FALSE(w.lisplaylabel->isVisibleTo(&w)) << "caption hidden";
    EXPECT_FALSE(w.BevelButton3->isEnabled()) << "results button disabled until the first test ends";
    EXPECT_FALSE(res::resultslight().isNil()) << "picture resultslight is missing";
    EXPECT_EQ(w.BevelButton3->Icon(), res::resultslight());
    EXPECT_FALSE(w.BevelButton3->Icon() == res::results()) << "the layout's icon is replaced";

    for (int64_t i = 0; i <= 100; ++i)
        EXPECT_EQ(w.place[i], -1) << "place(" << i << ")";

    struct TimerCase {
        const char* name;
        platform::Timer* timer;
        int mode;
        int period;
    };
    for (const TimerCase& t : {TimerCase{"Timer1", w.Timer1, 2, 10}, TimerCase{"prestarttimer", w.prestarttimer, 1, 2000},
                               TimerCase{"replaytimer", w.replaytimer, 2, 10}}) {
        EXPECT_FALSE(t.timer->Enabled()) << t.name;
        EXPECT_EQ(t.timer->Mode(), t.mode) << t.name;
        EXPECT_EQ(t.timer->Period(), t.period) << t.name;
    }

    // The idle faces, compared by identity with the accessors.
    EXPECT_FALSE(res::go().isNil()) << "picture go is missing";
    EXPECT_EQ(w.BevelButton1->Icon(), res::go());
    EXPECT_EQ(w.BevelButton2->Icon(), res::options());
    EXPECT_EQ(w.BevelButton4->Icon(), res::help());
    EXPECT_EQ(w.BevelButton5->Icon(), res::newtest());
    EXPECT_EQ(w.Canvas1->Backdrop(), res::canvasback());

    EXPECT_FALSE(w.resultbox->isVisibleTo(&w));
    EXPECT_FALSE(w.BevelButton5->isVisibleTo(&w));
    EXPECT_TRUE(w.BevelButton1->isEnabled());
    EXPECT_TRUE(w.BevelButton2->isEnabled());
    EXPECT_TRUE(w.BevelButton4->isEnabled());
    EXPECT_TRUE(w.Slider1->isEnabled());

    EXPECT_EQ(w.notelist->ListCount(), 0);
    EXPECT_EQ(w.notelist->ColumnCount(), 5);
    EXPECT_EQ(w.retestlist->ListCount(), 0);
    EXPECT_EQ(w.retestlist->ColumnCount(), 1);
    EXPECT_TRUE(w.bargroups.empty());
    EXPECT_TRUE(w.barleft.empty());
}

TEST_F(WindowOpenTest, PerTestPropertiesTakeTheirDefaults)
{
    Window1& w = openWindow();
    EXPECT_EQ(w.beatsinbar, 4);
    EXPECT_EQ(w.bars, 4);
    EXPECT_TRUE(w.listenplay);
    EXPECT_TRUE(w.allowplay);
    EXPECT_FALSE(w.listening);
    EXPECT_FALSE(w.newpagecheck);
    EXPECT_FALSE(w.refreshcanvas2);
    for (int64_t v : {w.notecount, w.newtick, w.lastticktime, w.pagenumber, w.startofnote, w.continuoustime,
                      w.notesinbar, w.notessofar, w.notesplayedsofar, w.nextnote, w.lastnotesounded, w.refreshrow})
        EXPECT_EQ(v, 0);
}

TEST_F(WindowOpenTest, FillsTheGroupPicturesAdvancesAndPitchSounds)
{
    struct Group {
        int64_t index;
        res::PictureRef (*picture)();
        const char* name;
        int64_t advance;
    };
    const std::vector<Group> groups = {
        {0, &res::crot, "crot", 201},     {1, &res::CR, "CR", 266},           {2, &res::quav, "quav", 286},
        {3, &res::sniff, "sniff", 288},   {4, &res::semi, "semi", 430},       {5, &res::saus, "saus", 356},
        {6, &res::wood, "wood", 364},     {7, &res::dobe, "dobe", 304},       {8, &res::CR, "CR", 266},
        {9, &res::crot, "crot", 201},     {10, &res::trip, "trip", 405},      {11, &res::cq, "cq", 353},
        {12, &res::dqsq, "dqsq", 350},    {13, &res::rtrip, "rtrip", 413},    {14, &res::ssssss, "ssssss", 638},
        {15, &res::ssqq, "ssqq", 420},    {16, &res::ssssq, "ssssq", 516},    {17, &res::qssss, "qssss", 510},
        {18, &res::crot, "crot", 201},    {19, &res::CR, "CR", 266},          {20, &res::quav, "quav", 286},
        {21, &res::sniff, "sniff", 288},  {22, &res::eef, "eef", 363},        {23, &res::rttt, "rttt", 414},
        {24, &res::rqs, "rqs", 353},      {25, &res::sddss, "sddss", 435},    {26, &res::ddddss, "ddddss", 495},
        {27, &res::sdddds, "sdddds", 495}, {28, &res::sssss, "sssss", 457},   {29, &res::ssrss, "ssrss", 457},
        {30, &res::sssrs, "sssrs", 463},
    };
    ASSERT_EQ(groups.size(), 31u);
    openWindow();
    for (const Group& g : groups) {
        EXPECT_FALSE(notes[g.index].isNil()) << "notes(" << g.index << "): picture " << g.name << " is missing";
        EXPECT_EQ(notes[g.index], g.picture()) << "notes(" << g.index << ") is " << g.name;
        EXPECT_EQ(notespace[g.index], g.advance) << "notespace(" << g.index << ")";
    }
    // Indexes that share a rhythm group hold the one picture object.
    EXPECT_EQ(notes[9].get(), notes[0].get());
    EXPECT_EQ(notes[18].get(), notes[0].get());
    EXPECT_EQ(notes[8].get(), notes[1].get());
    EXPECT_EQ(notes[19].get(), notes[1].get());
    EXPECT_EQ(notes[20].get(), notes[2].get());
    EXPECT_EQ(notes[21].get(), notes[3].get());
    EXPECT_FALSE(notes[0] == notes[1]) << "the crotchet and its rest are different pictures";

    const std::vector<std::pair<const char*, res::SoundRef (*)()>> pitches = {
        {"c", &res::c}, {"d", &res::d}, {"e", &res::e}, {"f", &res::f}, {"g", &res::g}, {"a", &res::a}, {"ch", &res::ch}};
    for (int64_t i = 0; i <= 6; ++i) {
        EXPECT_FALSE(sounds[i].isNil()) << "sounds(" << i << "): sound " << pitches[size_t(i)].first << " is missing";
        EXPECT_EQ(sounds[i], pitches[size_t(i)].second()) << "sounds(" << i << ")";
    }
}

TEST_F(WindowOpenTest, NarrowsTheTempoSliderAndShowsTheTempo)
{
    Window1& w = openWindow();
    EXPECT_EQ(w.Slider1->minimum(), 20);
    EXPECT_EQ(w.Slider1->maximum(), 80);
    EXPECT_EQ(w.Slider1->pageStep(), 1);
    EXPECT_EQ(w.Slider1->singleStep(), 1);
    EXPECT_EQ(w.Slider1->value(), 60);
    EXPECT_EQ(tickspeed, 60);
    EXPECT_EQ(w.tempolabel->text(), QStringLiteral("60 bpm"));
}

TEST_F(WindowOpenTest, MovingTheSliderSetsTheTempoAndItsText)
{
    struct Case {
        int value;
        const char* label;
    };
    // In this order every step is a change of value. 34 and 47 tell a
    // truncated quotient (105.9, 76.6) from a rounded one.
    const std::vector<Case> cases = {{70, "51 bpm"}, {20, "180 bpm"}, {80, "45 bpm"}, {45, "80 bpm"},
                                     {61, "59 bpm"}, {34, "105 bpm"}, {47, "76 bpm"}, {60, "60 bpm"}};
    Window1& w = openWindow();
    for (const Case& c : cases) {
        w.Slider1->setValue(c.value);
        EXPECT_EQ(tickspeed, c.value);
        EXPECT_EQ(w.tempolabel->text(), QString::fromLatin1(c.label)) << c.value;
    }
}

TEST_F(WindowOpenTest, TotalsLabelsWithoutADataFile)
{
    Window1& w = openWindow();
    EXPECT_EQ(w.ttestslabel->text(), QStringLiteral("Number of tests 0"));
    EXPECT_EQ(w.tnoteslabel->text(), QStringLiteral("Notes played 0"));
    EXPECT_EQ(w.tacclabel->text(), QStringLiteral("Accuracy 0%"));
    EXPECT_EQ(w.thitslabel->text(), QStringLiteral("Perfect hits 0%"));
    EXPECT_EQ(w.tnearlabel->text(), QStringLiteral("Pretty close hits 0%"));
    EXPECT_EQ(w.tmisslabel->text(), QStringLiteral("Way off hits 0%"));
}

TEST_F(WindowOpenTest, TotalsLabelsShowTheStatistics)
{
    totaltests = 3;
    totalnotes = 45;
    totalaccuracy = 12.5;
    correct = 100.0 / 3.0;
    almost = 0.5;
    miss = 100;
    Window1& w = openWindow();
    EXPECT_EQ(w.ttestslabel->text(), QStringLiteral("Number of tests 3"));
    EXPECT_EQ(w.tnoteslabel->text(), QStringLiteral("Notes played 45"));
    EXPECT_EQ(w.tacclabel->text(), QStringLiteral("Accuracy 12.5%"));
    EXPECT_EQ(w.thitslabel->text(), QStringLiteral("Perfect hits 33.33%"));
    EXPECT_EQ(w.tnearlabel->text(), QStringLiteral("Pretty close hits 0.5%"));
    EXPECT_EQ(w.tmisslabel->text(), QStringLiteral("Way off hits 100%"));
}

TEST_F(WindowOpenTest, LayoutOfTheClientArea)
{
    Window1& w = openWindow();
    EXPECT_EQ(w.centralWidget()->size(), QSize(960, 625));
    EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "fixed size";
    EXPECT_TRUE(w.windowTitle().isEmpty());
    EXPECT_EQ(w.centralWidget()->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(w.menuBar(), MainMenuBar::instance());

    struct Place {
        const char* name;
        QWidget* control;
        QRect rect;
    };
    const std::vector<Place> places = {
        {"Canvas1", w.Canvas1, {0, 2, 725, 231}},
        {"TextField1", w.TextField1, {-118, 371, 84, 22}},
        {"Canvas2", w.Canvas2, {0, 269, 712, 47}},
        {"notelist", w.notelist, {-222, 147, 196, 129}},
        {"lisplaylabel", w.lisplaylabel, {252, 233, 236, 37}},
        {"BevelButton1", w.BevelButton1, {277, 308, 173, 76}},
        {"BevelButton2", w.BevelButton2, {68, 312, 141, 65}},
        {"BevelButton3", w.BevelButton3, {523, 312, 141, 65}},
        {"resultbox", w.resultbox, {45, 416, 667, 189}},
        {"perfect", w.perfect, {85, 426, 607, 46}},
        {"close", w.close_, {85, 471, 286, 46}},
        {"whoops", w.whoops, {383, 471, 263, 46}},
        {"summary", w.summary, {53, 521, 646, 27}},
        {"summary2", w.summary2, {53, 554, 646, 32}},
        {"Label2", w.Label2, {737, 47, 193, 27}},
        {"tacclabel", w.tacclabel, {737, 168, 212, 27}},
        {"ttestslabel", w.ttestslabel, {737, 108, 212, 27}},
        {"thitslabel", w.thitslabel, {737, 196, 212, 27}},
        {"tnearlabel", w.tnearlabel, {737, 225, 212, 27}},
        {"tmisslabel", w.tmisslabel, {737, 253, 212, 27}},
        {"tnoteslabel", w.tnoteslabel, {737, 138, 212, 27}},
        {"BevelButton4", w.BevelButton4, {776, 328, 117, 46}},
        {"Slider1", w.Slider1, {748, 469, 156, 31}},
        {"tmisslabel1", w.tmisslabel1, {734, 419, 202, 43}},
        {"tempolabel", w.tempolabel, {748, 499, 156, 39}},
        {"retestlist", w.retestlist, {-48, 405, 36, 128}},
        {"BevelButton5", w.BevelButton5, {302, 382, 123, 32}},
    };
    for (const Place& p : places)
        EXPECT_EQ(inClientArea(w, p.control), p.rect) << p.name;

    // The result labels sit inside the result box.
    for (QWidget* label : {static_cast<QWidget*>(w.perfect), static_cast<QWidget*>(w.close_),
                           static_cast<QWidget*>(w.whoops), static_cast<QWidget*>(w.summary),
                           static_cast<QWidget*>(w.summary2)})
        EXPECT_TRUE(w.resultbox->isAncestorOf(label));

    struct Text {
        QLabel* label;
        const char* text;
    };
    for (const Text& t : {Text{w.Label2, "TOTALS TO DATE"}, Text{w.tmisslabel1, "SET TEMPO"},
                          Text{w.perfect, "Perfect Hits = "}, Text{w.close_, "Pretty Close Hits = "},
                          Text{w.whoops, "Whoops a daisy = "}, Text{w.summary, "You played 0 notes but missed 0"},
                          Text{w.summary2, "You played 0 notes but missed 0"}})
        EXPECT_EQ(t.label->text(), QString::fromLatin1(t.text));

    struct Style {
        const char* name;
        QLabel* label;
        uint32_t colour;
        Qt::Alignment horizontal;
        int pixelSize;
        bool bold;
    };
    const std::vector<Style> styles = {
        {"lisplaylabel", w.lisplaylabel, 0xFF0000, Qt::AlignHCenter, 30, true},
        {"perfect", w.perfect, 0x008040, Qt::AlignHCenter, 25, true},
        {"close", w.close_, 0x0080C0, Qt::AlignLeft, 25, true},
        {"whoops", w.whoops, 0xFF0000, Qt::AlignLeft, 25, true},
        {"summary", w.summary, 0x000000, Qt::AlignHCenter, 20, true},
        {"summary2", w.summary2, 0x000000, Qt::AlignHCenter, 20, true},
        {"Label2", w.Label2, 0x8000FF, Qt::AlignLeft, 18, false},
        {"tacclabel", w.tacclabel, 0x000000, Qt::AlignLeft, 15, false},
        {"ttestslabel", w.ttestslabel, 0x000000, Qt::AlignLeft, 15, false},
        {"thitslabel", w.thitslabel, 0x000000, Qt::AlignLeft, 15, false},
        {"tnearlabel", w.tnearlabel, 0x000000, Qt::AlignLeft, 15, false},
        {"tmisslabel", w.tmisslabel, 0x000000, Qt::AlignLeft, 15, false},
        {"tnoteslabel", w.tnoteslabel, 0x000000, Qt::AlignLeft, 15, false},
        {"tmisslabel1", w.tmisslabel1, 0x8000FF, Qt::AlignHCenter, 25, false},
        {"tempolabel", w.tempolabel, 0x400080, Qt::AlignHCenter, 25, false},
    };
    for (const Style& st : styles) {
        SCOPED_TRACE(st.name);
        EXPECT_EQ(platform::textColor(st.label), st.colour);
        EXPECT_EQ(st.label->alignment() & Qt::AlignHorizontal_Mask, st.horizontal);
        EXPECT_EQ(st.label->font().pixelSize(), st.pixelSize);
        EXPECT_EQ(st.label->font().bold(), st.bold);
        EXPECT_FALSE(st.label->wordWrap()) << "one line";
    }

    // Close and minimise, no maximise.
    EXPECT_TRUE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);

    EXPECT_FALSE(w.Slider1->hasTracking()) << "no live scrolling";
    EXPECT_EQ(w.Slider1->tickPosition(), QSlider::NoTicks);

    struct Focus {
        const char* name;
        QWidget* control;
        bool takesFocus;
    };
    for (const Focus& f : {Focus{"BevelButton1", w.BevelButton1, true}, Focus{"BevelButton2", w.BevelButton2, true},
                           Focus{"BevelButton3", w.BevelButton3, false}, Focus{"BevelButton4", w.BevelButton4, true},
                           Focus{"BevelButton5", w.BevelButton5, false}, Focus{"Canvas1", w.Canvas1, false},
                           Focus{"Canvas2", w.Canvas2, false}})
        EXPECT_EQ(f.control->focusPolicy() != Qt::NoFocus, f.takesFocus) << f.name;
}

TEST_F(WindowOpenTest, ResultBoxInsideIsTheWhiteOfItsLabels)
{
    Window1& w = openWindow();
    w.resultbox->setVisible(true);
    const QImage box = w.resultbox->grab().toImage();
    const QColor white(255, 255, 255);
    // Points of the box between and beside the labels, and a label's own ground.
    for (QPoint at : {QPoint(5, 5), QPoint(20, 30), QPoint(20, 100), QPoint(655, 60), QPoint(300, 180),
                      QPoint(660, 183), w.perfect->geometry().topLeft() + QPoint(1, 1)})
        EXPECT_EQ(box.pixelColor(at), white) << at.x() << ", " << at.y();
    EXPECT_NE(box.pixelColor(0, 90), white) << "the box keeps its border";
}

TEST_F(WindowOpenTest, HiddenControlsLieLeftOfTheClientAreaAndStillWork)
{
    Window1& w = openWindow();
    w.show();
    QApplication::setActiveWindow(&w);
    for (QWidget* control : {static_cast<QWidget*>(w.TextField1), static_cast<QWidget*>(w.notelist),
                             static_cast<QWidget*>(w.retestlist)}) {
        const QRect r = inClientArea(w, control);
        EXPECT_LE(r.x() + r.width(), 0) << "wholly left of x = 0";
        EXPECT_TRUE(control->isVisible());
        EXPECT_TRUE(control->isEnabled());
    }
    EXPECT_NE(w.TextField1->focusPolicy(), Qt::NoFocus);
    w.TextField1->setFocus();
    EXPECT_TRUE(w.TextField1->hasFocus()) << "the key field takes the keyboard focus";
    EXPECT_EQ(w.TextField1->maxLength(), 1);

    w.notelist->AddRow(QStringLiteral("0"));
    w.retestlist->AddRow(QStringLiteral("0"));
    EXPECT_EQ(w.notelist->ListCount(), 1);
    EXPECT_EQ(w.retestlist->ListCount(), 1);
}

// ---- MIDI devices at open ---------------------------------------------------

TEST_F(WindowOpenTest, OpensEveryInputDevice)
{
    struct Case {
        const char* what;
        std::vector<Device> devices;
        bool midiinputpos;
        bool hasStream;
        int streamDevice;             // the device open on s, -1 for none
        std::vector<int> openedCounts; // per device
    };
    const std::vector<Case> cases = {
        {"no device", {}, false, false, -1, {}},
        {"an output-only device", {outputDevice()}, false, false, -1, {0}},
        {"a device without information", {deviceWithoutInfo()}, false, false, -1, {0}},
        {"an input that fails to open", {inputDevice(false)}, false, true, -1, {0}},
        {"one input", {inputDevice()}, true, true, 0, {1}},
        {"first opens, second fails", {inputDevice(), inputDevice(false)}, true, true, -1, {1, 0}},
        {"first fails, second opens", {inputDevice(false), inputDevice()}, true, true, 1, {0, 1}},
        {"two inputs that open", {inputDevice(), inputDevice()}, true, true, 1, {1, 1}},
        {"output, input, no information", {outputDevice(), inputDevice(), deviceWithoutInfo()}, true, true, 1,
         {0, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        midi.devices = c.devices;
        openWindow();
        EXPECT_EQ(midiinputpos, c.midiinputpos);
        EXPECT_TRUE(pm != nullptr) << "the MIDI library object";
        ASSERT_EQ(s != nullptr, c.hasStream);
        if (s) {
            EXPECT_EQ(s->DeviceID(), c.streamDevice) << "s holds the stream of the last input device";
        }
        for (size_t i = 0; i < c.openedCounts.size(); ++i)
            EXPECT_EQ(midi.devices[i].opened, c.openedCounts[i]) << "device " << i;
        resetCase();
    }
}

TEST_F(WindowOpenTest, OpenShowsNoMessage)
{
    midi.devices = {outputDevice(), inputDevice(false), deviceWithoutInfo()};
    openWindow();
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_TRUE(quit.codes.empty());
}

// ---- Close ------------------------------------------------------------------

TEST_F(WindowOpenTest, CloseClosesTheStreamWhenADeviceOpened)
{
    midi.devices = {inputDevice()};
    Window1& w = openWindow();
    ASSERT_TRUE(midiinputpos);
    w.Event_Close();
    EXPECT_EQ(midi.devices[0].closed, 1);
    EXPECT_EQ(s->DeviceID(), -1);
    EXPECT_EQ(quit.codes, std::vector<int>{0});
}

TEST_F(WindowOpenTest, CloseLeavesTheStreamWithoutMidiInput)
{
    midi.devices = {inputDevice()};
    Window1& w = openWindow();
    midiinputpos = false;
    w.Event_Close();
    EXPECT_EQ(midi.devices[0].closed, 0);
    EXPECT_EQ(s->DeviceID(), 0);
    EXPECT_EQ(quit.codes, std::vector<int>{0});
}

TEST_F(WindowOpenTest, CloseWithoutAnyDeviceOnlyQuits)
{
    Window1& w = openWindow();
    ASSERT_EQ(s, nullptr);
    w.Event_Close();
    EXPECT_EQ(quit.codes, std::vector<int>{0});
    EXPECT_TRUE(box.shown.isEmpty()) << "no error reached the platform";
}

TEST_F(WindowOpenTest, ClosingTheWindowRunsTheCloseHandler)
{
    midi.devices = {inputDevice()};
    Window1& w = openWindow();
    w.show();
    w.close();
    EXPECT_EQ(midi.devices[0].closed, 1);
    EXPECT_EQ(quit.codes, std::vector<int>{0});
}

// ---- A tempo outside the slider's range -------------------------------------

// A tempo other than the initial one, already in place when the window is
// built. Each case runs in a child process so that a crash shows as a failed
// test; the child's exit code 3 means it ran but showed the wrong tempo.
class WindowOpenDeathTest : public AppTest {};

TEST_F(WindowOpenDeathTest, TempoSetBeforeOpenIsShown)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        int64_t tickspeed;
        const char* label;
    };
    for (const Case& c : {Case{45, "80 bpm"}, Case{20, "180 bpm"}, Case{80, "45 bpm"}, Case{70, "51 bpm"}}) {
        SCOPED_TRACE(c.tickspeed);
        EXPECT_EXIT(
            {
                tickspeed = c.tickspeed;
                Window1& w = openWindow();
                const bool shown = w.Slider1->value() == c.tickspeed && tickspeed == c.tickspeed &&
                                   w.tempolabel->text() == QString::fromLatin1(c.label);
                std::_Exit(shown ? 0 : 3);
            },
            ::testing::ExitedWithCode(0), "");
    }
}

// Only a damaged data file brings a tempo outside the slider's range; the
// open handler must survive it (0 must not divide by zero).

TEST_F(WindowOpenDeathTest, TempoOutsideTheSliderRangeDoesNotCrashTheOpen)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int64_t bad : {int64_t(0), int64_t(500), int64_t(-60)}) {
        SCOPED_TRACE(bad);
        EXPECT_EXIT(
            {
                tickspeed = bad;
                Window1& w = openWindow();
                const bool sane = w.Slider1->value() >= 20 && w.Slider1->value() <= 80 &&
                                  w.tempolabel->text().endsWith(QStringLiteral(" bpm"));
                std::_Exit(sane ? 0 : 3);
            },
            ::testing::ExitedWithCode(0), "");
    }
}

} // namespace
