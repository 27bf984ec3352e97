// The SDL mixer against real sound servers in folders of the test's own: the
// driver it chooses, a driver that never answers, and sound that comes back
// with a server that starts late or is killed and restarted during a test,
// the latency after a server that stalls, and a rest while a server hangs.
// Skipped where the servers are not installed (tools/setup.sh installs them).
#include "platform/sound.h"
#include "platform/ticks.h"
#include "support/scoped_env.h"
#include "support/sound_server.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <future>
#include <sstream>
#include <string>
#include <thread>

namespace {

using testsupport::ScopedEnv;
using testsupport::SoundServer;

// The mixer in this process finds the server and nothing else.
struct UseServer {
    explicit UseServer(const SoundServer& server)
        : runtime("XDG_RUNTIME_DIR", server.environment().value("XDG_RUNTIME_DIR").toLocal8Bit().constData()),
          config("XDG_CONFIG_HOME", server.environment().value("XDG_CONFIG_HOME").toLocal8Bit().constData())
    {
    }
    ScopedEnv runtime;
    ScopedEnv config;
    ScopedEnv pulse{"PULSE_SERVER", nullptr};
    ScopedEnv driver{"SDL_AUDIODRIVER", nullptr};
};


// A mixer call that waited for ever would hang the whole test program: this
// ends it as failed instead.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              if (done_.get_future().wait_for(limit) != std::future_status::ready) {
                  std::fputs("FAILED: a mixer call waited on the sound server\n", stdout);
                  std::fflush(stdout);
                  std::_Exit(1);
              }
          })
    {
    }
    ~Watchdog()
    {
        done_.set_value();
        thread_.join();
    }

private:
    std::promise<void> done_;
    std::thread thread_;
};

// The lines of `text` that hold `words`.
int linesWith(const std::string& text, const std::string& words)
{
    int count = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        count += line.find(words) != std::string::npos;
    return count;
}

class SoundServers : public ::testing::Test {
protected:
    // Skips the test where a server of this kind is not installed.
    void needs(SoundServer::Kind kind)
    {
        if (const QStringList absent = SoundServer::missing(kind); !absent.isEmpty()) {
            GTEST_SKIP() << "not installed here: " << absent.join(' ').toStdString() << " (tools/setup.sh; the session manager with --bench)";
        }
    }
    // The server of this kind, up, for the mixer in this process.
    void serve(SoundServer::Kind kind)
    {
        needs(kind);
        if (!IsSkipped()) {
            ASSERT_TRUE(server.start(kind));
        }
    }

    SoundServer server;
    UseServer use{server};
};

TEST_F(SoundServers, SdlsPipeWireDriverIsChosenWhenAPipeWireServerWithAnOutputAnswers)
{
    ASSERT_NO_FATAL_FAILURE(serve(SoundServer::Kind::PipeWire));
    if (IsSkipped())
        return;
    Watchdog watchdog(std::chrono::seconds(60));
    platform::SdlMixer mixer;
    ASSERT_TRUE(mixer.open());
    EXPECT_EQ(mixer.driver(), "pipewire");
    EXPECT_EQ(mixer.bufferFrames(), platform::SdlMixer::bufferFramesFor("pipewire"));
    mixer.close();
}

TEST_F(SoundServers, ADriverThatNeverAnswersIsGivenUpAndTheNextOneTried)
{
    // PipeWire and its PulseAudio emulation without a session manager: SDL's
    // PipeWire and PulseAudio drivers both wait for ever in their open.
    ASSERT_NO_FATAL_FAILURE(serve(SoundServer::Kind::PipeWireWithoutSessionManager));
    if (IsSkipped())
        return;
    Watchdog watchdog(std::chrono::seconds(90));
    platform::SdlMixer mixer;
    testing::internal::CaptureStderr();
    const bool opened = mixer.open();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("did not answer within"), std::string::npos) << said;
    if (!opened) {
        EXPECT_NE(said.find("Velvane: no sound output: "), std::string::npos) << said;
    }
    // Each driver that hung is said once and not tried again: START does
    // not wait for them a second time.
    testing::internal::CaptureStderr();
    QElapsedTimer start;
    start.start();
    mixer.setNeeded(true);
    const std::string again = testing::internal::GetCapturedStderr();
    EXPECT_EQ(again.find("did not answer"), std::string::npos) << again;
    std::printf("START with the hung drivers left out took %lld ms\n", static_cast<long long>(start.elapsed()));
    mixer.close();
}

// Onsets of the clicks in a raw 16-bit mono recording (44100 Hz, in
// samples), and its loudest sample.
struct Heard {
    std::vector<qsizetype> onsets;
    int clicks = 0;
    int loudest = 0;
};

Heard listen(const QString& raw)
{
    QFile f(raw);
    Heard heard;
    if (!f.open(QIODevice::ReadOnly))
        return heard;
    const QByteArray bytes = f.readAll();
    const auto* samples = reinterpret_cast<const int16_t*>(bytes.constData());
    constexpr int kThreshold = 3000;
    constexpr qsizetype kQuiet = 44100 / 20; // onsets at least 50 ms apart
    qsizetype last = -kQuiet - 1;
    for (qsizetype i = 0; i < bytes.size() / 2; ++i) {
        const int v = std::abs(int(samples[i]));
        heard.loudest = std::max(heard.loudest, v);
        if (v > kThreshold) {
            if (i - last > kQuiet)
                heard.onsets.push_back(i);
            last = i;
        }
    }
    heard.clicks = int(heard.onsets.size());
    return heard;
}

// Runs the GUI thread's events (the mixer's timers) for `ms`.
void runEvents(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

constexpr int kPlayIntervalMs = 100;

// How long the output may take to run, rest or come back: generous, as a
// loaded machine's server is slow.
constexpr qint64 kOutputWaitMs = 30000;

// A click of 10 ms, loud enough to stand out of the recording's silence.
platform::Sound clickSound()
{
    return platform::Sound(QStringLiteral("click"), std::vector<int16_t>(441, 8000), 44100);
}

// Plays `sound` every kPlayIntervalMs from the GUI thread as a test does, for
// `ms`; returns the monotonic time of each play.
std::vector<int64_t> playFor(platform::SdlMixer& mixer, const platform::Sound& sound, int ms)
{
    std::vector<int64_t> plays;
    for (int played = 0; played < ms; played += kPlayIntervalMs) {
        plays.push_back(platform::monotonicNanoseconds());
        mixer.play(sound);
        runEvents(kPlayIntervalMs);
    }
    return plays;
}

// Plays `click` until the output is open again (30 s at most) and then for
// 1.5 s, the server's sink recorded into `raw`: what was heard once the
// output came back after `since`.
Heard heardOnceBack(const SoundServer& server, platform::SdlMixer& mixer, const platform::Sound& click,
                    const QString& raw, const char* since)
{
    auto parec = server.record(raw);
    QElapsedTimer back;
    back.start();
    while (!mixer.isOpen() && back.elapsed() < kOutputWaitMs)
        playFor(mixer, click, 100);
    std::printf("the output was back %lld ms after %s\n", static_cast<long long>(back.elapsed()), since);
    EXPECT_TRUE(mixer.isOpen()) << "the output never came back after " << since;
    playFor(mixer, click, 1500);
    parec->terminate();
    parec->waitForFinished();
    return listen(raw);
}

TEST_F(SoundServers, SoundComesBackWithAServerThatStartsLateOrIsRestartedDuringATest)
{
    needs(SoundServer::Kind::PulseAudio);
    if (IsSkipped())
        return;
    Watchdog watchdog(std::chrono::seconds(240));
    const platform::Sound click = clickSound();
    // Played while there is no output: must never be heard, later or at all.
    const platform::Sound stale(QStringLiteral("stale"), std::vector<int16_t>(4410, 30000), 44100);
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());

    // No server when the program starts.
    platform::SdlMixer mixer;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(mixer.open());
    ASSERT_TRUE(server.start(SoundServer::Kind::PulseAudio));
    mixer.setNeeded(true); // START
    EXPECT_TRUE(mixer.isOpen()) << "START did not find the server that came";
    EXPECT_EQ(mixer.driver(), "pulseaudio");
    {
        auto parec = server.record(work.filePath("before.raw"));
        playFor(mixer, click, 1500);
        parec->terminate();
        parec->waitForFinished();
    }
    const Heard before = listen(work.filePath("before.raw"));
    EXPECT_GE(before.clicks, 5) << "no sound from the server started after the program (loudest " << before.loudest
                                << ", " << QFileInfo(work.filePath("before.raw")).size() << " bytes)";

    // Killed in mid-test; back two seconds later.
    server.stop();
    playFor(mixer, stale, 2000);
    EXPECT_FALSE(mixer.isOpen()) << "the lost server was not noticed";
    ASSERT_TRUE(server.start(SoundServer::Kind::PulseAudio));
    const Heard after = heardOnceBack(server, mixer, click, work.filePath("after.raw"), "the server restarted");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_GE(after.clicks, 5) << "no sound after the server came back";
    EXPECT_LT(after.loudest, 20000) << "a sound asked for while the output was down was heard";
    // Said once at the start and once for the outage (a slow driver given up
    // on a loaded machine says so on a line of its own).
    EXPECT_EQ(linesWith(said, "no sound output"), 2) << said;
    mixer.close();
}

// The gaps between the clicks of the two parts of the stalled-server test,
// 1.94 s each: uneven, so that no shift of the latency but the true one puts
// more than 3 of a part's clicks on the onsets of either part (a kept backlog
// of the stall cannot pass for no change, nor one part for the other).
using Gaps = std::array<int, 14>;
constexpr Gaps kGapsBeforeMs{100, 160, 120, 180, 110, 150, 130, 190, 100, 170, 140, 120, 160, 110};
constexpr Gaps kGapsAfterMs{110, 180, 160, 100, 100, 170, 110, 120, 120, 150, 160, 130, 140, 190};

// Plays `sound` once and then after each of `gaps`, running the GUI thread's
// events between; returns the monotonic time of each play.
std::vector<int64_t> playUneven(platform::SdlMixer& mixer, const platform::Sound& sound, const Gaps& gaps)
{
    std::vector<int64_t> plays;
    for (size_t i = 0; i <= gaps.size(); ++i) {
        if (i > 0)
            runEvents(gaps[i - 1]);
        plays.push_back(platform::monotonicNanoseconds());
        mixer.play(sound);
    }
    return plays;
}

// An onset less its play: the click's latency plus one constant, as the
// monitor's samples keep the time of the sink (which plays on through a
// stall once it runs again).
struct Latency {
    double ms = 0;
    int clicks = 0; // the plays heard at it
};

// An onset this near a play's place counts as that click heard.
constexpr double kOnsetMatchMs = 3;

// The latency at which the most of `plays` were heard.
Latency commonLatency(const std::vector<int64_t>& plays, const Heard& heard)
{
    auto ms = [](qsizetype onset) { return double(onset) * 1000.0 / 44100.0; };
    Latency best;
    for (const int64_t play : plays) {
        for (const qsizetype onset : heard.onsets) {
            const double latency = ms(onset) - double(play) / 1e6;
            int clicks = 0;
            for (const int64_t other : plays)
                clicks += std::any_of(heard.onsets.begin(), heard.onsets.end(), [&](qsizetype o) {
                    return std::abs(ms(o) - double(other) / 1e6 - latency) <= kOnsetMatchMs;
                });
            if (clicks > best.clicks)
                best = {latency, clicks};
        }
    }
    return best;
}

// A server that stops for a while (its machine not run, as a guest of a
// busy host is now and then) leaves each later sound as soon after its play
// as before: the output does not keep what the stall held up. Where the
// latency held the clicks are heard at one latency before and after; where
// it grew, every later click is late by the same amount. When the machine
// stalls a few tens of milliseconds (here every second or two, unseen by the
// plays' own times as often as not) the server now and then drops a click or
// sounds one late: a few such clicks are allowed, and a run with more is made
// again, a few times at most. A kept backlog or a replay shows in every run.
TEST_F(SoundServers, SoundsAreHeardAsSoonAfterTheirPlayOnceAStalledServerGoesOn)
{
    ASSERT_NO_FATAL_FAILURE(serve(SoundServer::Kind::PulseAudio));
    if (IsSkipped())
        return;
    Watchdog watchdog(std::chrono::seconds(120));
    // Longer than any wait of the sound path on a loaded machine, and far
    // shorter than the stall, which a kept backlog would add.
    constexpr auto kStall = std::chrono::milliseconds(400);
    constexpr double kGrowthBoundMs = 100;
    // The clicks while the output settles again after the stall are left out.
    constexpr int kSettleMs = 200;
    constexpr int kMissedAtMost = 3; // of a part's 15 clicks
    constexpr int kRuns = 4;
    const platform::Sound click = clickSound();
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    platform::SdlMixer mixer;
    ASSERT_TRUE(mixer.open());
    mixer.setNeeded(true); // START
    ASSERT_EQ(mixer.driver(), "pulseaudio");

    std::vector<int64_t> before, after;
    Heard heard;
    Latency was, is;
    auto allHeard = [&](const std::vector<int64_t>& plays, const Latency& at) {
        return at.clicks >= int(plays.size()) - kMissedAtMost;
    };
    for (int run = 0; run < kRuns; ++run) {
        const QString raw = work.filePath(QStringLiteral("stall-%1.raw").arg(run));
        auto parec = server.record(raw);
        before = playUneven(mixer, click, kGapsBeforeMs);
        runEvents(kGapsBeforeMs[0]); // the last click may be in the server's hands
        server.stall(kStall);
        runEvents(kSettleMs);
        after = playUneven(mixer, click, kGapsAfterMs);
        runEvents(kSettleMs); // the last click reaches the recording
        parec->terminate();
        parec->waitForFinished();
        heard = listen(raw);
        was = commonLatency(before, heard);
        is = commonLatency(after, heard);
        if (allHeard(before, was) && allHeard(after, is))
            break;
        std::printf("run %d: %d and %d of %zu clicks heard at one latency before and after the stall\n", run + 1,
                    was.clicks, is.clicks, before.size());
    }
    mixer.close();
    EXPECT_TRUE(allHeard(before, was)) << was.clicks << " of " << before.size() << " clicks heard before the stall";
    EXPECT_TRUE(allHeard(after, is)) << is.clicks << " of " << after.size() << " clicks heard at one latency after "
                                     << "the stall: lost, or held back past the recording's end";
    // A click the stall catches in play is heard in two pieces.
    EXPECT_LE(heard.clicks, int(before.size() + after.size()) + 1) << "a click came again";
    const double grown = is.ms - was.ms;
    std::printf("play to sound after a %lld ms stall of the server: %+.1f ms against before\n",
                static_cast<long long>(kStall.count()), grown);
    EXPECT_LT(std::abs(grown), kGrowthBoundMs) << "the latency changed by " << grown << " ms across the stall";
}

// A server that hangs under a running stream (stopped, answering nothing)
// as the output rests after a test: the rest's close does not wait on it,
// which would freeze the window for as long as the server hangs, and once the
// server goes on again the next test's sounds are heard.
TEST_F(SoundServers, TheOutputRestsWithoutWaitingOnAHungServerAndSoundsAgainOnceItGoesOn)
{
    ASSERT_NO_FATAL_FAILURE(serve(SoundServer::Kind::PulseAudio));
    if (IsSkipped())
        return;
    Watchdog watchdog(std::chrono::seconds(120));
    // The close's own answer time and a loaded machine's slowness, far
    // shorter than the hang.
    constexpr qint64 kLongestTurnMs = 10000;
    constexpr qint64 kHangMs = 30000;
    const platform::Sound click = clickSound();
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    platform::SdlMixer mixer;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(mixer.open());
    mixer.setNeeded(true); // START
    ASSERT_EQ(mixer.driver(), "pulseaudio");
    // A new server's sink takes a while to ask for its first samples.
    QElapsedTimer running;
    running.start();
    while (mixer.voicesStarted() == 0 && running.elapsed() < kOutputWaitMs)
        playFor(mixer, click, 100);
    ASSERT_GT(mixer.voicesStarted(), 0) << "the stream never ran";
    // A test ends and the next one starts: the stream runs with nothing in it
    // to sound, so the rest's checks find it silent at once.
    mixer.setNeeded(false);
    QElapsedTimer rest;
    rest.start();
    while (!mixer.resting() && rest.elapsed() < kOutputWaitMs)
        runEvents(10);
    ASSERT_TRUE(mixer.resting()) << "the output did not rest after a test";
    mixer.setNeeded(true);
    ASSERT_FALSE(mixer.resting());

    server.hang();
    mixer.setNeeded(false); // the test ends
    QElapsedTimer hung;
    hung.start();
    qint64 longestTurnMs = 0;
    while (!mixer.resting() && hung.elapsed() < kHangMs) {
        QElapsedTimer turn;
        turn.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        longestTurnMs = std::max(longestTurnMs, turn.elapsed());
    }
    std::printf("the output rested %lld ms into the hang; the longest turn of the events took %lld ms\n",
                static_cast<long long>(hung.elapsed()), static_cast<long long>(longestTurnMs));
    EXPECT_TRUE(mixer.resting()) << "the output did not rest while the server hung";
    EXPECT_LT(longestTurnMs, kLongestTurnMs) << "the rest waited on the hung server";
    // The program ends while the server still hangs, and is started again.
    QElapsedTimer quit;
    quit.start();
    mixer.close();
    std::printf("the quit took %lld ms\n", static_cast<long long>(quit.elapsed()));
    EXPECT_LT(quit.elapsed(), kLongestTurnMs) << "the quit waited on the hung server";
    server.goOn();
    mixer.open(); // may find SDL still in the given-up close: the START below tries again

    mixer.setNeeded(true); // the next test's START
    const Heard after = heardOnceBack(server, mixer, click, work.filePath("after.raw"), "the server went on");
    mixer.close();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_GE(after.clicks, 5) << "no sound after the server went on\n" << said;
}

} // namespace
