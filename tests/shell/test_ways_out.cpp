// Every way out of the program: Ctrl+Q from each of its windows, the end of
// MIDI input on the way out, and SIGTERM/SIGINT turned into a quit on the GUI
// thread.
#include "platform/quitsignals.h"
#include "scoring/resultswin.h"
#include "settings/helpwin.h"
#include "settings/optionwin.h"
#include "shell/module1.h"
#include "shell/quitshortcut.h"
#include "shell/startup.h"
#include "support/app/app_fixture.h"
#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstring>
#include <functional>

namespace {

class WaysOut : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        filter = installQuitShortcut(qApp);
    }
    void TearDown() override
    {
        delete filter.data();
        for (QWidget* w : {static_cast<QWidget*>(helpwin::existing()), static_cast<QWidget*>(resultswin::existing()),
                           static_cast<QWidget*>(optionwin::existing())})
            if (w)
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        AppTest::TearDown();
    }

    // Ctrl+Q typed into the window while it is the active one, as a user
    // would; the shortcut map looks at the active window.
    static void pressCtrlQ(QWidget* w)
    {
        QApplication::setActiveWindow(w);
        QTest::keyClick(w, Qt::Key_Q, Qt::ControlModifier);
    }

    QPointer<QObject> filter;
};

TEST_F(WaysOut, CtrlQQuitsOnceFromEveryWindow)
{
    struct Case {
        const char* window;
        std::function<QWidget*()> open;
    };
    const Case cases[] = {
        {"main", [this]() -> QWidget* { return window.get(); }},
        {"help", []() -> QWidget* { return helpwin::instance(); }},
        {"results", []() -> QWidget* { return resultswin::instance(); }},
    };
    for (const Case& c : cases) {
        if (!window)
            openWindow();
        window->show();
        quit.codes.clear();
        QWidget* w = c.open();
        ASSERT_TRUE(w);
        w->show();
        pressCtrlQ(w);
        EXPECT_EQ(quit.codes, std::vector<int>{0}) << c.window;
    }
}

TEST_F(WaysOut, CtrlQQuitsFromTheModalOptionsWindow)
{
    openWindow().show();
    QPointer<optionwin> o = optionwin::instance();
    bool modal = false;
    QTimer::singleShot(0, [&] {
        modal = QApplication::activeModalWidget() == o.data();
        if (!o)
            return;
        pressCtrlQ(o);
        if (o)
            o->close(); // the recording quit ends no event loop
    });
    o->ShowModal();
    EXPECT_TRUE(modal);
    EXPECT_EQ(quit.codes, std::vector<int>{0});
}

TEST_F(WaysOut, MidiInputIsClosedBeforeTheLibraryEnds)
{
    midi.devices.push_back({});
    midi.devices[0].name = QStringLiteral("keys");
    openWindow();
    ASSERT_TRUE(Module1::midiinputpos);
    ASSERT_EQ(Module1::s->DeviceID(), 0);
    std::weak_ptr<platform::PortMidiStreamMBS> stream = Module1::s;

    closeMidiInput();
    EXPECT_EQ(midi.devices[0].closed, 1);
    EXPECT_TRUE(midi.terminated);
    EXPECT_TRUE(stream.expired()) << "no stream is left for a static destructor to close";
    EXPECT_FALSE(Module1::pm);
    EXPECT_EQ(midi.callsAfterTerminate, 0);

    // The way out is the same with no stream at all.
    midi.terminated = false;
    closeMidiInput();
    EXPECT_TRUE(midi.terminated);
    EXPECT_EQ(midi.devices[0].closed, 1);
}

TEST_F(WaysOut, ASignalQuitsOnTheGuiThreadNotInItsHandler)
{
    // kill and a closed terminal alike; what runs when the signal arrives (a
    // save at the end of a test) finishes before the quit.
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(::strsignal(signal));
        struct sigaction before {};
        ASSERT_EQ(::sigaction(signal, nullptr, &before), 0);
        int quits = 0;
        {
            // SIGINT inherited as ignored (a background job) stays ignored.
            struct sigaction ignore {}, intBefore {};
            ignore.sa_handler = SIG_IGN;
            ::sigaction(SIGINT, &ignore, &intBefore);
            platform::QuitSignals caught([&] { ++quits; });
            EXPECT_TRUE(caught.catches(signal));
            EXPECT_FALSE(caught.catches(SIGINT));

            ASSERT_EQ(::raise(signal), 0);
            ASSERT_EQ(::raise(signal), 0);
            EXPECT_EQ(quits, 0) << "nothing of the program runs inside the handler";
            QDeadlineTimer deadline(5000);
            while (quits == 0 && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            EXPECT_EQ(quits, 1) << "two signals before the loop ran ask for one quit";
            ::sigaction(SIGINT, &intBefore, nullptr);
        }
        struct sigaction after {};
        ASSERT_EQ(::sigaction(signal, nullptr, &after), 0);
        EXPECT_EQ(after.sa_handler, before.sa_handler) << "the disposition is given back";
    }
}

} // namespace
