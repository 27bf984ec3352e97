// The unhandled-error guard, and the controls' own semantics: the table of
// text cells with its bounds, the picture button's identity, the key field's
// consumed keys, and the timers' enabled state and grid.
#include "platform/controls.h"
#include "platform/errors.h"
#include "platform/services.h"
#include "support/doubles/fake_alarm.h"
#include "support/doubles/fake_ticks.h"
#include "support/doubles/recording_services.h"
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace platform;

namespace {

class GuardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setMessageBoxSink(&box);
        setQuitSink(&quit);
    }
    void TearDown() override
    {
        setMessageBoxSink(nullptr);
        setQuitSink(nullptr);
    }
    RecordingMessageBox box;
    RecordingQuit quit;
};

} // namespace

TEST_F(GuardTest, AnUnhandledErrorIsNamedAndTheProgramQuitsWithAFailure)
{
    struct Case {
        std::function<void()> raise;
        const char* named;
    };
    const Case cases[] = {
        {[] { throw NilObjectException("empty object reference"); }, "NilObjectException"},
        {[] { throw OutOfBoundsException("row 3 of 2"); }, "OutOfBoundsException"},
        {[] { throw IOException("disk full"); }, "IOException"},
        {[] { throw std::runtime_error("plain"); }, "plain"},
        {[] { throw 42; }, "unknown"},
    };
    for (const Case& c : cases) {
        box.shown.clear();
        quit.codes.clear();
        guarded(c.raise);
        ASSERT_EQ(box.shown.size(), 1);
        EXPECT_TRUE(box.shown[0].contains(QLatin1String(c.named))) << box.shown[0].toStdString();
        EXPECT_EQ(quit.codes, std::vector<int>{1});
    }
}

TEST_F(GuardTest, ASecondErrorLeavesTheFirstMessageOpenUntilOk)
{
    // A quit asked while the message is open would end the message's event
    // loop and close it before the user read it.
    std::vector<int> quitsWhileOpen;
    int secondShown = 0;
    box.whileOpen = [&] {
        guarded([] { throw IOException("the second one"); });
        guarded([] { throw 7; });
        quitsWhileOpen = quit.codes;
        secondShown = int(box.shown.size()) - 1;
    };
    guarded([] { throw NilObjectException("the first one"); });
    EXPECT_TRUE(quitsWhileOpen.empty());
    EXPECT_EQ(secondShown, 0);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown[0].contains(QLatin1String("the first one")));
    EXPECT_EQ(quit.codes, std::vector<int>{1}) << "after OK the program quits with a failure";

    // The guard is ready for the next error.
    box.whileOpen = nullptr;
    guarded([] { throw IOException("later"); });
    EXPECT_EQ(box.shown.size(), 2);
    EXPECT_EQ(quit.codes, (std::vector<int>{1, 1}));
}

TEST_F(GuardTest, ControlHandlersRunThroughTheGuard)
{
    BevelButton button;
    button.Action = [] { throw NilObjectException(); };
    button.click(); // must not throw into Qt
    EXPECT_EQ(quit.codes, std::vector<int>{1});

    TextField field;
    field.KeyDown = [](const QKeyEvent&) -> bool { throw OutOfBoundsException(); };
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QCoreApplication::sendEvent(&field, &press);
    EXPECT_EQ(quit.codes, (std::vector<int>{1, 1}));
}

TEST(Listbox, CellsAreTextAndIndexesAreBounded)
{
    Listbox list(5);
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.LastIndex(), -1);
    EXPECT_THROW(list.Cell(0, 0), OutOfBoundsException);
    list.AddRow("0");
    list.AddRow("60");
    EXPECT_EQ(list.LastIndex(), 1);
    EXPECT_EQ(list.Cell(1, 0), "60");
    EXPECT_EQ(list.Cell(1, 4), "");
    list.setCell(1, 3, "2");
    EXPECT_EQ(list.Cell(1, 3), "2");
    EXPECT_THROW(list.Cell(2, 0), OutOfBoundsException);
    EXPECT_THROW(list.Cell(0, 5), OutOfBoundsException);
    EXPECT_THROW(list.setCell(-1, 0, "x"), OutOfBoundsException);
    list.DeleteAllRows();
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.LastIndex(), -1);
}

TEST(Listbox, AnEditableColumnTakesEditsInPlace)
{
    Listbox list(5);
    list.AddRow("0");
    EXPECT_FALSE(list.ColumnEditable(1));
    list.setColumnEditable(1, true);
    EXPECT_TRUE(list.ColumnEditable(1));
    QModelIndex cell = list.model()->index(0, 1);
    EXPECT_TRUE(list.model()->flags(cell) & Qt::ItemIsEditable);
    EXPECT_FALSE(list.model()->flags(list.model()->index(0, 0)) & Qt::ItemIsEditable);
    list.model()->setData(cell, "12.9", Qt::EditRole);
    EXPECT_EQ(list.Cell(0, 1), "12.9");
}

TEST(BevelButton, ItsPictureIsReadBackByIdentity)
{
    Picture a("a.png", QImage(4, 4, QImage::Format_ARGB32));
    Picture b("b.png", QImage(4, 4, QImage::Format_ARGB32));
    BevelButton button;
    button.setIcon(&a);
    EXPECT_EQ(button.Icon(), Ref<Picture>(&a));
    EXPECT_FALSE(button.Icon() == Ref<Picture>(&b));
    EXPECT_TRUE(Ref<Picture>() == Ref<Picture>()) << "two empty references are equal";
    EXPECT_THROW(Ref<Picture>()->Width(), NilObjectException);
}

TEST(BevelButton, PressedDarkensTheFaceButNotTheTransparentRest)
{
    // A face in the lower half of its picture; the upper half is empty.
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 10; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            image.setPixel(x, y, qRgb(40, 160, 40));
    Picture face("face.png", image);
    BevelButton button;
    button.resize(20, 20);
    button.setIcon(&face);
    const QImage up = button.grab().toImage();
    button.setDown(true);
    const QImage down = button.grab().toImage();
    EXPECT_EQ(down.pixel(10, 4), qRgb(255, 255, 255)) << "the empty part stays the button's white";
    EXPECT_EQ(up.pixel(10, 15), qRgb(40, 160, 40));
    EXPECT_LT(qGreen(down.pixel(10, 15)), 150) << "the face darkens";
}

TEST(TextField, AConsumedKeyLeavesTheFieldAsItWas)
{
    TextField field;
    bool consume = true;
    field.KeyDown = [&consume](const QKeyEvent&) { return consume; };
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QCoreApplication::sendEvent(&field, &a);
    EXPECT_EQ(field.text(), "");
    consume = false;
    QKeyEvent b(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b");
    QCoreApplication::sendEvent(&field, &b);
    EXPECT_EQ(field.text(), "b");
    QKeyEvent c(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, "c");
    QCoreApplication::sendEvent(&field, &c);
    EXPECT_EQ(field.text(), "b") << "one character at most";
}

TEST(Timer, ASingleShotIsOffOnceFiredAndADisabledTimerNeverFires)
{
    Timer single;
    single.setMode(1);
    single.setPeriod(0); // due at the next turn of the event loop
    int fired = 0;
    bool enabledWhileFiring = true;
    single.Action = [&] {
        ++fired;
        enabledWhileFiring = single.Enabled();
    };
    single.setEnabled(true);
    EXPECT_TRUE(single.Enabled());
    for (int i = 0; i < 20 && fired == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(enabledWhileFiring);
    EXPECT_FALSE(single.Enabled());

    Timer off;
    off.setPeriod(0);
    off.Action = [&] { ++fired; };
    off.setEnabled(true);
    off.setEnabled(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(fired, 1);
}

// A clock started to a moment of its own: the first firing runs the start in
// place of a pass, the passes follow; a stop before it drops the start.
TEST(Timer, AFirstFiringOfItsOwnRunsTheStartThenThePassesFollow)
{
    Timer clock;
    clock.setPeriod(0);
    std::vector<QString> fired;
    clock.Action = [&] { fired.push_back(QStringLiteral("pass")); };
    std::vector<bool> changes;
    QObject::connect(&clock, &Timer::enabledChanged, [&](bool on) { changes.push_back(on); });

    clock.startIn(0, [&] { fired.push_back(QStringLiteral("start")); });
    EXPECT_TRUE(clock.Enabled());
    EXPECT_EQ(clock.FirstDelay(), 0);
    for (int i = 0; i < 20 && fired.size() < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_GE(fired.size(), 3u);
    EXPECT_EQ(fired[0], "start");
    EXPECT_EQ(fired[1], "pass");
    EXPECT_EQ(fired[2], "pass");
    EXPECT_EQ(clock.FirstDelay(), -1);
    EXPECT_EQ(changes, std::vector<bool>{true}) << "one change, from the start on";
    clock.setEnabled(false);

    // Stopped before its first firing, then enabled plainly: only passes.
    fired.clear();
    clock.startIn(7, [&] { fired.push_back(QStringLiteral("start")); });
    EXPECT_EQ(clock.FirstDelay(), 7);
    clock.setEnabled(false);
    EXPECT_EQ(clock.FirstDelay(), -1);
    clock.Fire();
    EXPECT_TRUE(fired.empty()) << "a stopped timer does not fire";
    clock.setEnabled(true);
    clock.Fire();
    EXPECT_EQ(fired, std::vector<QString>{"pass"});
}

constexpr int64_t ms = 1'000'000;

// A 10 ms timer on a stepped clock with an alarm the test rings; every firing
// notes the time it ran at.
struct SteppedTimer {
    explicit SteppedTimer(int64_t startNs)
    {
        clock.setNanoseconds(startNs);
        timer.setPeriod(10);
        timer.Action = [this] { firings.push_back(clockNanoseconds()); };
    }
    // Rings the alarm when its armed delay is up, `late` after that.
    void ringWhenDue(int64_t late = 0)
    {
        clock.setNanoseconds(clockNanoseconds() + alarm->armed.back() * ms + late);
        alarm->ringNow();
    }

    FakeTicks clock;
    ScopedTickSource installed{&clock};
    FakeAlarm* alarm = new FakeAlarm; // owned by the timer
    Timer timer{nullptr, std::unique_ptr<Alarm>(alarm)};
    std::vector<int64_t> firings;
};

// A repeating timer whose alarm rings when each armed delay is up, one firing
// `late` after that: the firings after it stay on the grid of the start (to
// the half millisecond of the alarm's whole milliseconds), and one more than
// a period late runs once, for the firings it overran.
TEST(Timer, ALateFiringLeavesEveryLaterFiringOnTheGridOfItsStart)
{
    constexpr int64_t period = 10 * ms;
    struct Case {
        int64_t late;
        int overrun; // firings due before the late one ran
    };
    const Case cases[] = {{300'000, 0}, {4'600'000, 0}, {9'990'000, 0}, {12 * ms, 1}, {12'500'000, 1}, {27 * ms, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.late);
        const int64_t start = 5'000 * 1'000'000'000LL + 2'300'000;
        SteppedTimer t(start);
        t.timer.setEnabled(true);
        ASSERT_EQ(t.alarm->armed, std::vector<int>{10});
        constexpr int lateFiring = 3;
        for (int n = 1; n <= 12; ++n) {
            ASSERT_TRUE(t.alarm->pending);
            t.ringWhenDue(n == lateFiring ? c.late : 0);
        }
        ASSERT_EQ(t.firings.size(), 12u) << "one firing a ring";
        for (size_t i = lateFiring; i < t.firings.size(); ++i) {
            const int64_t k = int64_t(i) + 1 + c.overrun;
            EXPECT_NEAR(t.firings[i], start + k * period, ms / 2) << "firing " << i + 1 << " due at " << k << " periods";
        }
    }
}

// startIn: the grid of the later firings starts when the first was due, also
// when that firing comes late.
TEST(Timer, AFirstFiringLateStillStartsTheGridWhereItWasDue)
{
    const int64_t press = 7'000 * 1'000'000'000LL;
    SteppedTimer t(press);
    bool started = false;
    t.timer.startIn(7, [&] { started = true; });
    ASSERT_EQ(t.alarm->armed, std::vector<int>{7});
    t.ringWhenDue(3 * ms);
    EXPECT_TRUE(started);
    EXPECT_EQ(t.alarm->armed.back(), 7);
    for (int n = 0; n < 5; ++n)
        t.ringWhenDue();
    ASSERT_EQ(t.firings.size(), 5u);
    for (size_t i = 0; i < t.firings.size(); ++i)
        EXPECT_EQ(t.firings[i], press + 7 * ms + int64_t(i + 1) * 10 * ms) << "pass " << i + 1;
}

TEST(Timer, EnabledChangedReportsEveryChangeOnceAndTheSingleShotsFiring)
{
    Timer timer;
    timer.setMode(1);
    timer.setPeriod(0);
    std::vector<bool> changes;
    QObject::connect(&timer, &Timer::enabledChanged, [&](bool on) { changes.push_back(on); });
    timer.setEnabled(false); // no change
    timer.setEnabled(true);
    timer.setEnabled(true);
    timer.setEnabled(false);
    timer.setEnabled(true);
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true}));

    // Firing turns a single shot off; the report comes before its action runs.
    bool reportedBeforeAction = false;
    timer.Action = [&] { reportedBeforeAction = changes.size() == 4 && !changes.back(); };
    for (int i = 0; i < 20 && timer.Enabled(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(changes, (std::vector<bool>{true, false, true, false}));
    EXPECT_TRUE(reportedBeforeAction);
}
