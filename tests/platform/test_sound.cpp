// Sounds: WAV decoding, the play hand-over, the voice mixer and the SDL output.
#include "platform/mixer_core.h"
#include "platform/output_rest.h"
#include "platform/sound.h"
#include "platform/ticks.h"
#include "support/doubles/fake_ticks.h"
#include "support/doubles/recording_sound.h"
#include "support/scoped_env.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <future>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

namespace {

using platform::MixerCore;
using platform::Sound;
using testsupport::ScopedEnv;

// ---------------------------------------------------------------------------
// WAV files built byte by byte.

void putU16(QByteArray& b, uint16_t v)
{
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

void putU32(QByteArray& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

QByteArray chunk(const char* id, const QByteArray& body, std::optional<uint32_t> claimedSize = std::nullopt)
{
    QByteArray c(id, 4);
    putU32(c, claimedSize.value_or(uint32_t(body.size())));
    c.append(body);
    if (body.size() % 2)
        c.append('\0');
    return c;
}

QByteArray fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                   std::optional<uint16_t> blockAlign = std::nullopt)
{
    QByteArray b;
    const uint16_t align = blockAlign.value_or(uint16_t(channels * bits / 8));
    putU16(b, tag);
    putU16(b, channels);
    putU32(b, rate);
    putU32(b, rate * align);
    putU16(b, align);
    putU16(b, bits);
    return b;
}

QByteArray pcm(std::initializer_list<int16_t> values)
{
    QByteArray b;
    for (int16_t v : values)
        putU16(b, uint16_t(v));
    return b;
}

QByteArray riff(const QByteArray& chunks, const char* form = "WAVE")
{
    QByteArray file("RIFF");
    putU32(file, uint32_t(4 + chunks.size()));
    file.append(form, 4);
    file.append(chunks);
    return file;
}

QByteArray monoFile()
{
    return riff(chunk("fmt ", fmtBody(1, 1, 44100, 16)) + chunk("data", pcm({0, 1, -1, 32767, -32768})));
}

TEST(DecodeWav, MonoSamplesAndRateArriveUnchanged)
{
    auto sound = platform::decodeWav(monoFile(), QStringLiteral("hi"));
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->name(), QStringLiteral("hi"));
    EXPECT_EQ(sound->sampleRate(), 44100);
    EXPECT_EQ(sound->samples(), (std::vector<int16_t>{0, 1, -1, 32767, -32768}));
}

TEST(DecodeWav, StereoIsMixedToMono)
{
    const QByteArray file = riff(chunk("fmt ", fmtBody(1, 2, 22050, 16))
                                 + chunk("data", pcm({1000, 3000, 32767, 32767, -32768, -32768, 32767, -32768, 7, 0})));
    auto sound = platform::decodeWav(file, QStringLiteral("c"));
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->sampleRate(), 22050);
    // The mean of both channels, computed wide so full-scale pairs do not wrap.
    EXPECT_EQ(sound->samples(), (std::vector<int16_t>{2000, 32767, -32768, 0, 3}));
}

TEST(DecodeWav, ChunksInAnyOrderAndOddLengthsArePadded)
{
    const QByteArray list = chunk("LIST", QByteArray("INFOabc", 7)); // odd: one pad byte
    const QByteArray file = riff(list + chunk("data", pcm({5, -5})) + chunk("junk", QByteArray(3, 'x'))
                                 + chunk("fmt ", fmtBody(1, 1, 48000, 16)));
    auto sound = platform::decodeWav(file, QStringLiteral("d"));
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->sampleRate(), 48000);
    EXPECT_EQ(sound->samples(), (std::vector<int16_t>{5, -5}));
}

TEST(DecodeWav, ExtensibleFormatWithPcmSubFormatIsAccepted)
{
    QByteArray fmt = fmtBody(0xFFFE, 1, 44100, 16);
    putU16(fmt, 22);     // extension size
    putU16(fmt, 16);     // valid bits
    putU32(fmt, 0x4);    // channel mask
    putU16(fmt, 1);      // sub-format: PCM
    fmt.append(QByteArray::fromHex("000000001000800000aa00389b71"));
    auto sound = platform::decodeWav(riff(chunk("fmt ", fmt) + chunk("data", pcm({9}))), QStringLiteral("e"));
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->samples(), std::vector<int16_t>{9});
}

TEST(DecodeWav, RefusesEverythingElse)
{
    const QByteArray data = chunk("data", pcm({1, 2, 3, 4}));
    QByteArray claimsTooMuch = riff(chunk("fmt ", fmtBody(1, 1, 44100, 16)) + chunk("data", pcm({1, 2}), 400));
    QByteArray floatFmt = fmtBody(3, 1, 44100, 32);
    QByteArray extensibleFloat = fmtBody(0xFFFE, 1, 44100, 16);
    extensibleFloat.append(QByteArray(8, '\0'));
    putU16(extensibleFloat, 3);
    extensibleFloat.append(QByteArray(14, '\0'));
    struct Case {
        const char* what;
        QByteArray file;
    };
    const Case cases[] = {
        {"empty", QByteArray()},
        {"not RIFF", QByteArray("RIFX") + monoFile().mid(4)},
        {"not WAVE", riff(chunk("fmt ", fmtBody(1, 1, 44100, 16)) + data, "AVI ")},
        {"8-bit", riff(chunk("fmt ", fmtBody(1, 1, 44100, 8)) + data)},
        {"24-bit", riff(chunk("fmt ", fmtBody(1, 1, 44100, 24)) + data)},
        {"float", riff(chunk("fmt ", floatFmt) + data)},
        {"extensible float", riff(chunk("fmt ", extensibleFloat) + data)},
        {"three channels", riff(chunk("fmt ", fmtBody(1, 3, 44100, 16)) + data)},
        {"no channels", riff(chunk("fmt ", fmtBody(1, 0, 44100, 16)) + data)},
        {"wrong block align", riff(chunk("fmt ", fmtBody(1, 2, 44100, 16, 2)) + data)},
        {"zero rate", riff(chunk("fmt ", fmtBody(1, 1, 0, 16)) + data)},
        {"short fmt chunk", riff(chunk("fmt ", fmtBody(1, 1, 44100, 16).left(14)) + data)},
        {"no fmt chunk", riff(data)},
        {"no data chunk", riff(chunk("fmt ", fmtBody(1, 1, 44100, 16)))},
        {"data chunk claims more than the file holds", claimsTooMuch},
        {"fmt chunk claims more than the file holds",
         riff(data + chunk("fmt ", fmtBody(1, 1, 44100, 16), 0xFFFFFFF0u))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::decodeWav(c.file, QStringLiteral("x")), nullptr) << c.what;
}

TEST(DecodeWav, EveryTruncationIsRefusedWithoutReadingPastTheEnd)
{
    const QByteArray full = monoFile();
    for (qsizetype n = 0; n < full.size(); ++n) {
        // A separate allocation of exactly n bytes, so a sanitizer build
        // catches a read beyond it.
        const QByteArray cut(full.constData(), n);
        EXPECT_EQ(platform::decodeWav(cut, QStringLiteral("x")), nullptr) << "first " << n << " bytes";
    }
}

// ---------------------------------------------------------------------------

TEST(SoundOutput, PlayGoesToTheInstalledOutputWithTheTick)
{
    const Sound hi(QStringLiteral("hi"), {1, 2}, 44100);
    const Sound low(QStringLiteral("low"), {3}, 44100);
    platform::FakeTicks clock(200);
    platform::ScopedTickSource useClock(&clock);
    platform::RecordingSoundOutput recorder;

    platform::setSoundOutput(nullptr);
    hi.Play(); // silent, and no crash

    platform::setSoundOutput(&recorder);
    EXPECT_EQ(platform::soundOutput(), &recorder);
    hi.Play();
    clock.advance(15);
    low.Play();
    hi.Play();
    platform::setSoundOutput(nullptr);

    EXPECT_EQ(recorder.names(), (QStringList{"hi", "low", "hi"}));
    ASSERT_EQ(recorder.played.size(), 3u);
    EXPECT_EQ(recorder.played[0].tick, 200);
    EXPECT_EQ(recorder.played[1].tick, 215);
    EXPECT_EQ(recorder.played[2].tick, 215);
}

// ---------------------------------------------------------------------------
// The mixer without a device: plays are pushed as the GUI thread does, frames
// pulled as the audio callback does. Here with no device buffer and every
// play stamped at the time of the next mix, so a play starts at that mix's
// first frame; the timed start has tests of its own below.

class Mixer : public ::testing::Test {
protected:
    void SetUp() override { core.reset(44100, 1, 0); }

    std::vector<int16_t> mix(int frames)
    {
        std::vector<int16_t> out(size_t(frames) * size_t(core.outputChannels()), int16_t(12345));
        core.mix(out.data(), frames, 0);
        return out;
    }

    // The mixer keeps pointers to the samples, as sounds live for the whole
    // run; the fixture keeps every sound it makes.
    const Sound& keep(std::vector<int16_t> samples, int rate = 44100)
    {
        return sounds.emplace_back(QStringLiteral("k"), std::move(samples), rate);
    }
    const Sound& constant(int16_t value, int length, int rate = 44100)
    {
        return keep(std::vector<int16_t>(size_t(length), value), rate);
    }

    std::deque<Sound> sounds;
    MixerCore core;
    const Sound ramp{QStringLiteral("ramp"), {100, 200, 300, 400, 500, 600}, 44100};
};

TEST_F(Mixer, OneVoicePlaysItsSamplesThenSilence)
{
    EXPECT_EQ(mix(3), (std::vector<int16_t>{0, 0, 0}));
    ASSERT_TRUE(core.push(ramp, 0));
    EXPECT_EQ(mix(8), (std::vector<int16_t>{100, 200, 300, 400, 500, 600, 0, 0}));
    EXPECT_EQ(core.activeVoices(), 0);
    EXPECT_EQ(core.voicesStarted(), 1);
}

TEST_F(Mixer, OverlappingVoicesAreSummed)
{
    const Sound click = constant(1000, 4);
    core.push(ramp, 0);
    EXPECT_EQ(mix(2), (std::vector<int16_t>{100, 200}));
    core.push(click, 0);
    EXPECT_EQ(core.activeVoices(), 1) << "a play waits for the next callback";
    EXPECT_EQ(mix(5), (std::vector<int16_t>{1300, 1400, 1500, 1600, 0}));
    EXPECT_EQ(core.voicesStarted(), 2);
}

TEST_F(Mixer, ReplayingAPlayingSoundAddsASecondVoice)
{
    core.push(ramp, 0);
    mix(2);
    core.push(ramp, 0);
    // The first voice goes on at 300 while the new one starts at 100.
    EXPECT_EQ(mix(1), std::vector<int16_t>{400});
    EXPECT_EQ(core.activeVoices(), 2);
    EXPECT_EQ(mix(5), (std::vector<int16_t>{600, 800, 1000, 500, 600}));
    EXPECT_EQ(core.voicesStarted(), 2);
}

TEST_F(Mixer, SumsSaturateInsteadOfWrapping)
{
    struct Case {
        const char* what;
        std::vector<int16_t> voices; // one frame each
        int16_t expected;
    };
    const std::vector<Case> cases{
        {"positive overflow", {30000, 30000}, 32767},     // wrapping gives -5536
        {"negative overflow", {-30000, -30000}, -32768},  // wrapping gives 5536
        {"clamped once, after the sum", {30000, 30000, -30000}, 30000},
        {"every voice at full scale", std::vector<int16_t>(MixerCore::kVoices, 32767), 32767},
        {"every voice at negative full scale", std::vector<int16_t>(MixerCore::kVoices, -32768), -32768},
    };
    for (const Case& c : cases) {
        for (int16_t v : c.voices)
            core.push(constant(v, 1), 0);
        EXPECT_EQ(mix(1), std::vector<int16_t>{c.expected}) << c.what;
        EXPECT_EQ(core.activeVoices(), 0) << c.what;
    }
}

TEST_F(Mixer, AFullSetOfVoicesDropsTheOldest)
{
    core.push(constant(10000, 100), 0); // the oldest, still sounding
    mix(1);
    for (int i = 0; i < MixerCore::kVoices; ++i)
        core.push(constant(1, 100), 0);
    const std::vector<int16_t> out = mix(1);
    EXPECT_EQ(core.activeVoices(), MixerCore::kVoices);
    EXPECT_EQ(out[0], MixerCore::kVoices);
    EXPECT_EQ(core.voicesStarted(), MixerCore::kVoices + 1);
}

TEST_F(Mixer, AFullQueueDropsPlaysUntilTheCallbackRuns)
{
    const Sound click = constant(1, 1);
    for (size_t i = 0; i < MixerCore::kQueueSize; ++i)
        ASSERT_TRUE(core.push(click, 0));
    EXPECT_FALSE(core.push(click, 0));
    mix(1);
    EXPECT_EQ(core.voicesStarted(), int64_t(MixerCore::kQueueSize));
    EXPECT_TRUE(core.push(click, 0));
    mix(1);
    EXPECT_EQ(core.voicesStarted(), int64_t(MixerCore::kQueueSize) + 1);
}

TEST_F(Mixer, EmptySoundStartsNoVoice)
{
    core.push(keep({}), 0);
    EXPECT_EQ(mix(2), (std::vector<int16_t>{0, 0}));
    EXPECT_EQ(core.voicesStarted(), 0);
}

TEST_F(Mixer, EveryOutputChannelCarriesTheMix)
{
    core.reset(44100, 2, 0);
    core.push(ramp, 0);
    EXPECT_EQ(mix(3), (std::vector<int16_t>{100, 100, 200, 200, 300, 300}));
}

TEST_F(Mixer, OtherRatesAreResampled)
{
    core.reset(44100, 1, 0);
    core.push(keep({0, 1000, 2000}, 22050), 0);
    // Twice as many frames, the new ones halfway between their neighbours.
    EXPECT_EQ(mix(8), (std::vector<int16_t>{0, 500, 1000, 1500, 2000, 2000, 0, 0}));

    // 441 samples at 44100 Hz last 10 ms: 480 frames at 48000 Hz.
    core.reset(48000, 1, 0);
    core.push(constant(1000, 441), 0);
    const std::vector<int16_t> out = mix(600);
    const auto sounding = std::count_if(out.begin(), out.end(), [](int16_t s) { return s != 0; });
    EXPECT_GE(sounding, 479);
    EXPECT_LE(sounding, 481);
    EXPECT_EQ(std::count(out.begin(), out.begin() + sounding, int16_t(1000)), sounding);
}

TEST(MixerCore, SoundingFromThePlayToTheMixOfItsLastSample)
{
    const Sound click(QStringLiteral("click"), std::vector<int16_t>(300, 1000), 44100);
    MixerCore core;
    core.reset(44100, 1, 0);
    std::vector<int16_t> out(512);
    EXPECT_FALSE(core.sounding());
    ASSERT_TRUE(core.push(click, 0));
    EXPECT_TRUE(core.sounding()) << "a play waiting for the callback";
    core.mix(out.data(), 256, 0);
    EXPECT_TRUE(core.sounding()) << "44 samples still to come";
    core.mix(out.data(), 43, 0);
    EXPECT_TRUE(core.sounding()) << "one sample still to come";
    core.mix(out.data(), 1, 0);
    EXPECT_FALSE(core.sounding());
    ASSERT_TRUE(core.push(click, 0));
    core.reset(44100, 1, 0);
    EXPECT_FALSE(core.sounding()) << "reset drops waiting plays";
}

// A play starts one device buffer after its stamp, to the frame, wherever its
// stamp falls between the callbacks. The callbacks come a buffer period apart,
// as the device asks for them; frame j of a callback at T sounds at T + j/rate.
TEST(MixerCore, APlayStartsOneBufferAfterItsStampWhateverTheCallbackPhase)
{
    struct Case {
        int rate;
        int frames;
        double phase; // stamp after the last callback, in buffer periods
    };
    // Beyond 1: stamped after the next callback read the clock but before it
    // took the queue.
    const Case cases[] = {
        {44100, 256, 0.0},     {44100, 256, 1.0 / 256}, {44100, 256, 0.25},  {44100, 256, 0.5},
        {44100, 256, 0.75},    {44100, 256, 255.0 / 256}, {44100, 256, 1.0}, {44100, 256, 1.1},
        {48000, 64, 0.0},      {48000, 64, 0.3},       {48000, 64, 0.999},   {44100, 128, 0.6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.frames << " frames, phase " << c.phase);
        const double frameNs = 1e9 / c.rate;
        const double periodNs = c.frames * frameNs;
        const Sound click(QStringLiteral("click"), std::vector<int16_t>(40, 1000), c.rate);
        MixerCore core;
        core.reset(c.rate, 1, c.frames);
        const int64_t base = 1'000'000'000'000; // some 17 minutes after boot
        auto callbackAt = [&](int k) { return base + std::llround(k * periodNs); };
        std::vector<int16_t> out(size_t(c.frames));
        core.mix(out.data(), c.frames, callbackAt(0));
        const int64_t stamp = base + std::llround(c.phase * periodNs);
        ASSERT_TRUE(core.push(click, stamp));

        std::optional<double> heardNs;
        std::vector<int16_t> heard;
        for (int k = 1; k <= 4; ++k) {
            core.mix(out.data(), c.frames, callbackAt(k));
            for (int j = 0; j < c.frames; ++j) {
                if (out[size_t(j)] != 0 && !heardNs)
                    heardNs = double(callbackAt(k)) + j * frameNs;
                if (heardNs)
                    heard.push_back(out[size_t(j)]);
            }
        }
        ASSERT_TRUE(heardNs.has_value());
        EXPECT_LE(std::abs(*heardNs - (double(stamp) + periodNs)), frameNs / 2 + 1);
        ASSERT_GE(heard.size(), 41u);
        EXPECT_EQ(std::count(heard.begin(), heard.begin() + 40, int16_t(1000)), 40) << "the whole sound";
        EXPECT_EQ(heard[40], 0);
    }
}

// A callback that comes later than a play's due time cannot start it in the
// past: it starts at once, whole, while a play of the same wait that is due
// later in that buffer still starts on time.
TEST(MixerCore, LateCallbackStartsOverduePlaysAtOnce)
{
    constexpr int kRate = 44100;
    constexpr int kFrames = 256;
    const double frameNs = 1e9 / kRate;
    const double periodNs = kFrames * frameNs;
    const Sound click(QStringLiteral("click"), std::vector<int16_t>(10, 1000), kRate);
    MixerCore core;
    core.reset(kRate, 1, kFrames);
    const int64_t base = 5'000'000'000;
    std::vector<int16_t> out(static_cast<size_t>(kFrames));
    core.mix(out.data(), kFrames, base);
    const int64_t overdue = base + 1'000'000;
    const int64_t onTime = base + 13'000'000;
    ASSERT_TRUE(core.push(click, overdue));
    ASSERT_TRUE(core.push(click, onTime));
    // Three periods after the last: the first play was due 10.6 ms before.
    const int64_t late = base + std::llround(3 * periodNs);
    core.mix(out.data(), kFrames, late);
    EXPECT_EQ(std::find(out.begin(), out.end(), int16_t(1000)) - out.begin(), 0);
    const auto second = std::find(out.begin() + 10, out.end(), int16_t(1000)) - out.begin();
    const double due = (double(onTime) + periodNs - double(late)) / frameNs;
    EXPECT_LE(std::abs(double(second) - due), 0.5 + 1e-6) << second << " frames, due at " << due;
    EXPECT_EQ(core.voicesStarted(), 2);
}

// ---------------------------------------------------------------------------
// SdlMixer against SDL itself.

// The audio callback runs on SDL's own thread; this waits for it to catch up,
// bounded so a stalled device fails the test instead of hanging it.
template <typename Pred>
bool waitFor(Pred pred)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

// Lets real time pass for the device's thread, without sleeping past it.
void spinFor(std::chrono::milliseconds span)
{
    const auto until = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
}

// For its lifetime, a mixer opened here writes to a file through SDL's disk
// driver, with 1024-frame buffers (23 ms: room to place a sound inside one).
struct DiskDevice {
    static constexpr int kFrames = 1024;
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("sound.raw"));
    ScopedEnv driver{"SDL_AUDIODRIVER", "disk"};
    ScopedEnv file{"SDL_DISKAUDIOFILE", path.toLocal8Bit().constData()};
    ScopedEnv buffer{"VELVANE_SOUND_BUFFER", std::to_string(kFrames).c_str()};

    // What the driver wrote: mono 16-bit samples.
    std::vector<int16_t> samples() const
    {
        QFile out(path);
        if (!out.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = out.readAll();
        std::vector<int16_t> all(size_t(bytes.size()) / 2);
        std::memcpy(all.data(), bytes.constData(), all.size() * 2);
        return all;
    }
};

TEST(SdlMixer, DummyDevicePicksUpEveryPlay)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    const Sound click(QStringLiteral("click"), std::vector<int16_t>(220, 8000), 44100);
    platform::SdlMixer mixer;
    EXPECT_FALSE(mixer.isOpen());
    mixer.play(click); // before open: dropped, harmless
    ASSERT_TRUE(mixer.open());
    EXPECT_TRUE(mixer.isOpen());
    EXPECT_TRUE(mixer.open()) << "opening an open mixer keeps the stream";
    EXPECT_GT(mixer.sampleRate(), 0);
    EXPECT_EQ(mixer.voicesStarted(), 0);

    // A burst from the GUI thread: every play returns and is picked up.
    platform::setSoundOutput(&mixer);
    for (int i = 0; i < 1000; ++i)
        click.Play();
    platform::setSoundOutput(nullptr);
    EXPECT_TRUE(waitFor([&] { return mixer.voicesStarted() == 1000; })) << mixer.voicesStarted();

    // ...and the mixer still works afterwards.
    mixer.play(click);
    EXPECT_TRUE(waitFor([&] { return mixer.voicesStarted() == 1001; })) << mixer.voicesStarted();

    mixer.close();
    EXPECT_FALSE(mixer.isOpen());
    mixer.close();
    mixer.play(click);

    ASSERT_TRUE(mixer.open()) << "a closed mixer opens again";
    EXPECT_EQ(mixer.voicesStarted(), 0);
    mixer.play(click);
    EXPECT_TRUE(waitFor([&] { return mixer.voicesStarted() == 1; }));
}

TEST(SdlMixer, NoDeviceFailsWithOneLineAndPlaysAreHarmless)
{
    struct Case {
        const char* driver;
        bool mustFail; // else: skipped where the machine has that device
    };
    // ALSA without a sound card (this machine, CI) is the noisy case: its
    // library has its own say unless the mixer quiets it. No driver set: the
    // mixer's own choice, PipeWire first, then SDL's order, with no sound
    // server to answer (a runtime folder of its own, no PulseAudio to start).
    const Case cases[] = {{"nosuchdriver", true}, {"alsa", false}, {nullptr, false}};
    const Sound click(QStringLiteral("click"), {1, 2, 3}, 44100);
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QByteArray noServer = "unix:" + QDir(runtime.path()).filePath(QStringLiteral("none")).toLocal8Bit();
    ScopedEnv runtimeFolder("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData());
    ScopedEnv pulse("PULSE_SERVER", noServer.constData());
    for (const Case& c : cases) {
        ScopedEnv driver("SDL_AUDIODRIVER", c.driver);
        const char* name = c.driver ? c.driver : "(unset)";
        platform::SdlMixer mixer;
        testing::internal::CaptureStderr();
        const bool opened = mixer.open();
        const std::string err = testing::internal::GetCapturedStderr();
        if (opened && !c.mustFail)
            continue; // a real device is there
        EXPECT_FALSE(opened) << name;
        EXPECT_FALSE(mixer.isOpen()) << name;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << name << ": " << err;
        EXPECT_TRUE(!err.empty() && err.back() == '\n') << name;

        for (int i = 0; i < 100; ++i)
            mixer.play(click);
        EXPECT_EQ(mixer.voicesStarted(), 0) << name;
        mixer.close();
        EXPECT_FALSE(mixer.isOpen()) << name;
    }
}

// A PipeWire server that has no audio output (it serves video next to another
// sound server) must not be chosen: a stream opened on it never starts, and
// the open would wait for ever. Here it is the only server, so the open fails
// at once with its one line.
TEST(SdlMixer, APipeWireServerWithoutAudioOutputsIsPassedOver)
{
    const QString pipewire = QStandardPaths::findExecutable(QStringLiteral("pipewire"));
    if (pipewire.isEmpty())
        GTEST_SKIP() << "no pipewire here (tools/setup.sh --bench installs it)";
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcess server;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.filePath(QStringLiteral("config"))); // the stock setup
    server.setProcessEnvironment(env);
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(pipewire, {});
    ASSERT_TRUE(server.waitForStarted());
    const QString socket = runtime.filePath(QStringLiteral("pipewire-0"));
    EXPECT_TRUE(waitFor([&] { return QFile::exists(socket); }));

    const QByteArray noPulse = "unix:" + runtime.filePath(QStringLiteral("none")).toLocal8Bit();
    ScopedEnv runtimeFolder("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData());
    ScopedEnv pulse("PULSE_SERVER", noPulse.constData());
    ScopedEnv driver("SDL_AUDIODRIVER", nullptr);
    // A stuck open cannot be undone (killing the server does not free it):
    // the watchdog then stops the server and ends the whole test program as
    // failed.
    std::promise<void> done;
    const pid_t serverPid = pid_t(server.processId());
    std::thread watchdog([finished = done.get_future(), serverPid] {
        if (finished.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ::kill(serverPid, SIGKILL);
            std::fputs("FAILED: the open waited on PipeWire\n", stdout);
            std::fflush(stdout);
            std::_Exit(1);
        }
    });
    platform::SdlMixer mixer;
    testing::internal::CaptureStderr();
    const bool opened = mixer.open();
    const std::string err = testing::internal::GetCapturedStderr();
    done.set_value();
    watchdog.join();
    server.kill();
    server.waitForFinished();
    EXPECT_NE(mixer.driver(), "pipewire");
    if (!opened) {
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
}

// The stream rests (is closed) only from the mixer's timer, once nothing
// sounds; this runs the event loop until then.
bool restsSoon(const platform::SdlMixer& mixer)
{
    return waitFor([&] {
        QCoreApplication::processEvents();
        return mixer.resting();
    });
}

// SDL's disk driver writes the output to a file; with the file's folder gone
// the stream cannot open, as when the sound server went away during a rest.
TEST(SdlMixer, SoundsAskedForWhileTheOutputCannotOpenAreDroppedNotPlayedLater)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkdir(folder));
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", QDir(folder).filePath(QStringLiteral("sound.raw")).toLocal8Bit().constData());
    const Sound click(QStringLiteral("click"), std::vector<int16_t>(441, 8000), 44100);
    platform::SdlMixer mixer;
    ASSERT_TRUE(mixer.open());
    mixer.play(click);
    ASSERT_TRUE(waitFor([&] { return mixer.voicesStarted() == 1; }));
    ASSERT_TRUE(restsSoon(mixer));

    ASSERT_TRUE(QDir(folder).removeRecursively());
    testing::internal::CaptureStderr();
    mixer.setNeeded(true); // START
    EXPECT_TRUE(mixer.resting()) << "not taken as running";
    for (int i = 0; i < 100; ++i)
        mixer.play(click);
    mixer.setNeeded(false);
    mixer.setNeeded(true); // the next START, still failing
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_TRUE(mixer.resting());

    // Back: during the test the mixer finds the output again in the
    // background, the test clock never waiting for it, and only the sound
    // played then is started.
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_TRUE(waitFor([&] {
        QCoreApplication::processEvents();
        return !mixer.resting();
    })) << "the output was not looked for again";
    mixer.play(click);
    ASSERT_TRUE(waitFor([&] { return mixer.voicesStarted() >= 2; }));
    spinFor(std::chrono::milliseconds(100));
    EXPECT_EQ(mixer.voicesStarted(), 2) << "a sound asked for during the failure was started";

    // A later failure is said again, once.
    mixer.setNeeded(false);
    ASSERT_TRUE(restsSoon(mixer));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    testing::internal::CaptureStderr();
    mixer.play(click);
    mixer.play(click);
    const std::string again = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(again.begin(), again.end(), '\n'), 1) << again;
    // ...and START opens it once it is back.
    ASSERT_TRUE(QDir().mkdir(folder));
    mixer.setNeeded(true);
    EXPECT_FALSE(mixer.resting());
    mixer.play(click);
    EXPECT_TRUE(waitFor([&] { return mixer.voicesStarted() >= 3; }));
}

// The device's buffer size reaches the timed start: through SDL's disk
// driver (its output in a file, one buffer each callback) a sound starts one
// buffer after its play, which falls anywhere inside a buffer; started at the
// next buffer instead, every sound would begin on a buffer's first frame. The
// plays are spread over the buffers unevenly. A callback more than a buffer
// late (a loaded machine) also starts a sound on its first frame, and one
// late by the gap to the next play as well starts both sounds together, so a
// run with more than one such start, or with sounds run together, is made
// again, a few times at most: the fault starts every sound on a buffer's
// first frame in every run.
TEST(SdlMixer, ASoundStartsOneDeviceBufferAfterItsPlayInsideABuffer)
{
    constexpr int frames = DiskDevice::kFrames;
    constexpr int runs = 5;
    const int gapsMs[] = {37, 53, 29, 71, 43, 61};
    const int played = int(std::size(gapsMs));
    // Where in its buffer each sound of one run started.
    auto startsInBuffers = [&](std::vector<int64_t>& intoBuffer) {
        DiskDevice disk;
        ASSERT_TRUE(disk.dir.isValid());
        const Sound click(QStringLiteral("click"), std::vector<int16_t>(441, 8000), 44100);
        {
            platform::SdlMixer mixer;
            ASSERT_TRUE(mixer.open());
            ASSERT_EQ(mixer.bufferFrames(), frames);
            ASSERT_EQ(mixer.sampleRate(), 44100);
            mixer.setNeeded(true);
            for (int gap : gapsMs) {
                spinFor(std::chrono::milliseconds(gap));
                mixer.play(click);
            }
            ASSERT_TRUE(waitFor([&] { return mixer.voicesStarted() == played; }));
            spinFor(std::chrono::milliseconds(200)); // the last sound reaches the file
        }
        const std::vector<int16_t> samples = disk.samples();
        intoBuffer.clear();
        for (size_t i = 0; i < samples.size(); ++i)
            if (samples[i] != 0 && (i == 0 || samples[i - 1] == 0))
                intoBuffer.push_back(int64_t(i) % frames);
    };
    std::vector<int64_t> intoBuffer;
    int64_t inside = 0;
    for (int run = 0; run < runs; ++run) {
        ASSERT_NO_FATAL_FAILURE(startsInBuffers(intoBuffer));
        inside = std::count_if(intoBuffer.begin(), intoBuffer.end(), [](int64_t f) { return f != 0; });
        if (intoBuffer.size() == size_t(played) && inside >= played - 1)
            break;
    }
    EXPECT_EQ(intoBuffer.size(), size_t(played)) << "sounds that ran together in each of " << runs << " runs";
    EXPECT_GE(inside, played - 1) << "sounds starting on a buffer's first frame in each of " << runs << " runs";
}

// A sound asked for earlier than its play (a tap the main thread came to
// late) starts that much earlier: the request is read on the program's clock,
// here a stepped one, not the monotonic clock the mixer times by. Each pair
// plays a sound now and one asked for 5 ms ago in the same instant. A
// callback that comes less than 5 ms before the pair's due time starts the
// earlier one at once, and one more than a buffer late (a stalled machine)
// both, so the gap is shorter there; it is never reversed, and most pairs
// start 5 ms apart (with the request read on the wrong clock, about three
// pairs in a thousand would by chance).
TEST(SdlMixer, ASoundAskedForEarlierStartsThatMuchEarlier)
{
    constexpr int kRate = 44100;
    constexpr int64_t kEarlierNs = 5'000'000;
    constexpr int64_t kEarlierFrames = kEarlierNs * kRate / 1'000'000'000; // 220.5, rounded down
    constexpr int kPairs = 8;
    constexpr int kRuns = 4;
    constexpr int16_t kNow = 1000, kEarlier = 3000; // a sample of both is their sum
    // The frames from the earlier sound's start to the other's, pair by pair;
    // empty when the starts do not pair up (a callback later than the gap
    // between two pairs starts them together).
    auto pairGaps = [&](std::vector<int64_t>& gaps) {
        DiskDevice disk;
        ASSERT_TRUE(disk.dir.isValid());
        {
            platform::FakeTicks clock(5000);
            platform::ScopedTickSource useClock(&clock);
            const Sound now(QStringLiteral("now"), std::vector<int16_t>(50, kNow), kRate);
            const Sound earlier(QStringLiteral("earlier"), std::vector<int16_t>(50, kEarlier), kRate);
            platform::SdlMixer mixer;
            ASSERT_TRUE(mixer.open());
            ASSERT_EQ(mixer.sampleRate(), kRate);
            mixer.setNeeded(true);
            for (int k = 0; k < kPairs; ++k) {
                spinFor(std::chrono::milliseconds(61));
                clock.advance(7);
                mixer.play(now);
                mixer.play(earlier, platform::clockNanoseconds() - kEarlierNs);
            }
            ASSERT_TRUE(waitFor([&] { return mixer.voicesStarted() == 2 * kPairs; }));
            spinFor(std::chrono::milliseconds(200)); // the last sound reaches the file
        }
        const std::vector<int16_t> samples = disk.samples();
        auto starts = [&](int16_t part) {
            auto has = [&](size_t i) { return samples[i] == part || samples[i] == kNow + kEarlier; };
            std::vector<int64_t> at;
            for (size_t i = 0; i < samples.size(); ++i)
                if (has(i) && (i == 0 || !has(i - 1)))
                    at.push_back(int64_t(i));
            return at;
        };
        const std::vector<int64_t> nowStarts = starts(kNow);
        const std::vector<int64_t> earlierStarts = starts(kEarlier);
        gaps.clear();
        if (nowStarts.size() != size_t(kPairs) || earlierStarts.size() != size_t(kPairs))
            return;
        for (int k = 0; k < kPairs; ++k)
            gaps.push_back(nowStarts[size_t(k)] - earlierStarts[size_t(k)]);
    };
    std::vector<int64_t> gaps;
    for (int run = 0; run < kRuns && gaps.empty(); ++run)
        ASSERT_NO_FATAL_FAILURE(pairGaps(gaps));
    ASSERT_EQ(gaps.size(), size_t(kPairs)) << "the pairs ran together in each of " << kRuns << " runs";
    int exact = 0;
    for (int k = 0; k < kPairs; ++k) {
        EXPECT_GE(gaps[size_t(k)], 0) << "pair " << k;
        EXPECT_LE(gaps[size_t(k)], kEarlierFrames + 1) << "pair " << k;
        exact += std::abs(gaps[size_t(k)] - kEarlierFrames) <= 1;
    }
    EXPECT_GE(exact, kPairs / 4) << "pairs that started 5 ms apart";
}

TEST(SdlMixer, DummyDeviceRestsWhenNotNeededAndWakesForNeedOrPlay)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    const Sound click(QStringLiteral("click"), std::vector<int16_t>(441, 8000), 44100);
    // Runs the event loop past the rest delay, for a stream that must not
    // rest: a late pass can only shorten what this sees, never fail it.
    auto passRestDelay = [] {
        bool passed = false;
        QTimer::singleShot(4 * platform::OutputRest::kCheckMs, Qt::PreciseTimer, [&] { passed = true; });
        while (!passed)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    platform::SdlMixer mixer;
    EXPECT_TRUE(mixer.resting());
    ASSERT_TRUE(mixer.open());
    EXPECT_EQ(mixer.bufferFrames(), platform::SdlMixer::kBufferFrames);
    EXPECT_TRUE(restsSoon(mixer)) << "nothing needs the stream after start-up";

    mixer.setNeeded(true);
    EXPECT_FALSE(mixer.resting()) << "woken at once";
    passRestDelay();
    EXPECT_FALSE(mixer.resting()) << "a needed stream does not rest";
    mixer.play(click);
    EXPECT_TRUE(waitFor([&] { return mixer.voicesStarted() == 1; }));
    mixer.setNeeded(false);
    EXPECT_TRUE(restsSoon(mixer));
    EXPECT_EQ(mixer.voicesStarted(), 1) << "the rest keeps the count";

    // A play at rest is still heard, and the stream rests again after it.
    mixer.play(click);
    EXPECT_FALSE(mixer.resting());
    EXPECT_TRUE(waitFor([&] { return mixer.voicesStarted() == 2; }));
    EXPECT_TRUE(restsSoon(mixer));

    mixer.setNeeded(true);
    mixer.close();
    EXPECT_TRUE(mixer.resting());
    mixer.setNeeded(true); // closed: harmless
    EXPECT_TRUE(mixer.resting());
    ASSERT_TRUE(mixer.open());
    EXPECT_TRUE(restsSoon(mixer)) << "a reopened mixer is not needed";
}

} // namespace
