// SdlMixer: one SDL2 output stream whose callback mixes the voices that
// MixerCore hands it, open while sounds are needed or sounding.
#include "platform/detached_call.h"
#include "platform/mixer_core.h"
#include "platform/output_rest.h"
#include "platform/quitsignals.h"
#include "platform/sdl_open.h"
#include "platform/sound.h"
#include "platform/ticks.h"

#include <QTimer>
#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace platform {

namespace {

// VELVANE_SOUND_BUFFER, when it names a power of two from 64 to 4096, else
// the size measured best for the driver in use.
int bufferFramesWanted(const std::string& driver)
{
    const char* text = std::getenv("VELVANE_SOUND_BUFFER");
    int frames = 0;
    if (text)
        std::from_chars(text, text + std::strlen(text), frames);
    const bool powerOfTwo = frames > 0 && (frames & (frames - 1)) == 0;
    if (powerOfTwo && frames >= 64 && frames <= 4096)
        return frames;
    return SdlMixer::bufferFramesFor(driver);
}

// While the output is down during a test, a choice of driver starts at most
// this often, off the GUI thread; its result is looked for every poll.
constexpr int64_t kRetryNs = 1'000'000'000;
constexpr int kRetryPollMs = 100;
// A choice tries every driver, each for at most its answer time.
constexpr auto kLongestChoice = sdlaudio::kAnswerTime * 10;

bool quitting()
{
    return quitSignalPending();
}

} // namespace

// SDL 2.26 keeps a paused device's thread feeding silence to the sound
// server, which costs as much as playing. A resting stream is therefore
// closed, and opened again (about 1 ms) when it is needed or played. Every
// start, open and close of SDL's audio is bounded in time (sdl_open.h). When
// the output cannot open, SDL's audio is started afresh on the next attempt,
// so a sound server that comes later, or back, is found: at START, at a play,
// and during a test once a second in the background.
struct SdlMixer::Impl : OutputRest::Stream {
    MixerCore core;
    bool started = false; // open() was called, close() not since
    bool up = false; // SDL's audio runs on `driver`; a rest reopens on it
    bool formatKnown = false; // the mixer has the device's format
    bool openFailed = false; // said on stderr; said again only after an open
    SDL_AudioDeviceID device = 0; // 0 while the stream rests or is down
    std::string driver;
    int rate = 0;
    int frames = 0;
    OutputRest rest{*this};
    QTimer checks; // runs while the rest decision waits for silence
    QTimer retries; // runs while a test needs the output and it is down
    // A choice of driver on a thread of its own, while the GUI thread makes
    // no SDL call.
    std::optional<DetachedCall<sdlaudio::Output>> choice;
    std::shared_ptr<std::atomic<bool>> stopChoice = std::make_shared<std::atomic<bool>>(false);
    // Shared with a choice, which may outlive a close told to stop it.
    std::shared_ptr<sdlaudio::Hung> hung = std::make_shared<sdlaudio::Hung>();
    int64_t lastChoiceNs = 0;

    Impl()
    {
        checks.setInterval(OutputRest::kCheckMs);
        QObject::connect(&checks, &QTimer::timeout, &checks, [this] {
            rest.check();
            followTimers();
        });
        retries.setInterval(kRetryPollMs);
        QObject::connect(&retries, &QTimer::timeout, &retries, [this] {
            rest.setNeeded(true); // tries to run the stream, without waiting
            followTimers();
        });
    }

    // Small buffers keep a click within a few milliseconds of its trigger.
    // The program's own sounds are 44100 Hz mono, so that is asked for; a
    // device that wants another rate or channel count gets it from the mixer,
    // which resamples and copies the mono mix to every channel.
    sdlaudio::Wanted wanted()
    {
        return [this](const std::string& name) {
            SDL_AudioSpec spec{};
            spec.freq = 44100;
            spec.format = AUDIO_S16SYS;
            spec.channels = 1;
            spec.samples = Uint16(bufferFramesWanted(name));
            spec.callback = &Impl::callback;
            spec.userdata = this;
            return spec;
        };
    }

    // Takes an opened (paused) device and starts its callback. On the first
    // open, or when the device's format has changed, the mixer takes the new
    // format (and drops what waits: nothing sounds while the stream rests).
    bool adopt(const sdlaudio::Output& out)
    {
        if (out.device == 0) {
            if (!out.gaveUp && !openFailed)
                std::fprintf(stderr, "Velvane: no sound output: %s\n", out.error.c_str());
            openFailed = openFailed || !out.gaveUp;
            return false;
        }
        device = out.device;
        driver = out.driver;
        up = true;
        openFailed = false;
        const SDL_AudioSpec& got = out.obtained;
        if (!formatKnown || got.freq != core.outputRate() || got.channels != core.outputChannels()
            || got.samples != frames) {
            // The lock orders the reset before the first callback.
            SDL_LockAudioDevice(device);
            core.reset(got.freq, got.channels, got.samples);
            SDL_UnlockAudioDevice(device);
            formatKnown = true;
        }
        rate = got.freq;
        frames = got.samples;
        SDL_PauseAudioDevice(device, 0);
        return true;
    }

    // SDL's audio is down: a choice of driver runs, or has run, off the GUI
    // thread. Waiting (START, start-up): one starts if none runs, and is
    // waited for until it is over or a quit signal comes. Else one starts at
    // most every kRetryNs and is only looked at.
    bool choose(bool wait)
    {
        const int64_t now = monotonicNanoseconds();
        if (!choice) {
            if (!wait && lastChoiceNs != 0 && now - lastChoiceNs < kRetryNs)
                return false;
            lastChoiceNs = now;
            choice.emplace([wanted = wanted(), stop = stopChoice, hung = hung] {
                return sdlaudio::chooseAndOpen(wanted, *hung, [stop] { return stop->load(); });
            });
        }
        std::optional<sdlaudio::Output> out =
            wait ? choice->wait(std::chrono::duration_cast<std::chrono::milliseconds>(kLongestChoice), &quitting)
                 : choice->poll();
        if (!out)
            return false;
        choice.reset();
        return adopt(*out);
    }

    // The output's open failed or stopped: SDL's audio is started afresh at
    // the next attempt.
    void down()
    {
        closeDevice();
        sdlaudio::quitAudio();
        up = false;
    }

    void closeDevice()
    {
        sdlaudio::closeOutput(device);
        device = 0;
    }

    // A failed open is said once until an open succeeds again, however many
    // plays try it meanwhile. While the output is down a play only looks for
    // it in the background, so the test clock never waits.
    bool setPaused(bool paused) override
    {
        if (paused) {
            closeDevice();
            return true;
        }
        if (device != 0)
            return true;
        if (!up)
            return choose(false);
        if (adopt(sdlaudio::reopen(wanted(), driver, *hung, &quitting)))
            return true;
        down();
        return false;
    }
    // Without a stream nothing can sound.
    bool sounding() const override { return device != 0 && core.sounding(); }

    // The sound server went away under a running stream (SDL then marks the
    // device stopped): the stream is down, said once, and a new one is
    // looked for as when an open fails.
    void checkLost()
    {
        if (device == 0 || SDL_GetAudioDeviceStatus(device) != SDL_AUDIO_STOPPED)
            return;
        down();
        formatKnown = false; // voices cut off there are not to go on later
        rest.stopped();
        sdlaudio::Output lost;
        lost.error = "the sound output stopped";
        adopt(lost);
    }

    void followTimers()
    {
        if (rest.checksDue() && !checks.isActive())
            checks.start();
        else if (!rest.checksDue() && checks.isActive())
            checks.stop();
        const bool retrying = started && !up && rest.needed();
        if (retrying && !retries.isActive())
            retries.start();
        else if (!retrying && retries.isActive())
            retries.stop();
    }

    static void callback(void* userdata, Uint8* stream, int len)
    {
        auto* self = static_cast<Impl*>(userdata);
        const int frameBytes = int(sizeof(int16_t)) * self->core.outputChannels();
        self->core.mix(reinterpret_cast<int16_t*>(stream), len / frameBytes, monotonicNanoseconds());
    }
};

SdlMixer::SdlMixer() : impl_(std::make_unique<Impl>()) {}

SdlMixer::~SdlMixer()
{
    close();
}

bool SdlMixer::open()
{
    Impl& d = *impl_;
    if (d.started)
        return d.up;
    // SIGTERM and SIGINT are the program's own (quitsignals.h), not SDL's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    d.started = true;
    d.stopChoice->store(false);
    d.formatKnown = false;
    if (!d.choose(true))
        return false;
    // The stream runs now and rests at the checks unless it is needed; the
    // close happens from the event loop rather than during start-up.
    d.rest.reset(false);
    d.followTimers();
    return true;
}

void SdlMixer::close()
{
    Impl& d = *impl_;
    if (!d.started)
        return;
    d.checks.stop();
    d.retries.stop();
    if (d.choice) {
        // Told to stop, a choice ends within a poll of its wait.
        d.stopChoice->store(true);
        if (std::optional<sdlaudio::Output> out = d.choice->wait(std::chrono::seconds(1)))
            d.device = out->device;
        d.choice.reset();
    }
    d.closeDevice();
    sdlaudio::quitAudio();
    d.started = false;
    d.up = false;
    d.openFailed = false;
    d.rate = 0;
    d.frames = 0;
    d.rest.reset(true);
}

bool SdlMixer::isOpen() const
{
    return impl_->started && impl_->up;
}

void SdlMixer::play(const Sound& sound, std::optional<int64_t> askedAtNs)
{
    Impl& d = *impl_;
    if (!d.started)
        return;
    // Stamped before a resting stream opens, which takes about 1 ms: the
    // sound is due one buffer after it was asked for. The mixer times plays
    // on the monotonic clock, so an earlier request is carried over as its
    // age on the program's clock.
    int64_t stamp = monotonicNanoseconds();
    if (askedAtNs)
        stamp -= std::max<int64_t>(clockNanoseconds() - *askedAtNs, 0);
    d.checkLost();
    // A resting stream opens before the push, as opening may reset the
    // mixer. A sound that cannot be played now is dropped: heard later it
    // would be out of time.
    if (d.rest.played())
        d.core.push(sound, stamp);
    d.followTimers();
}

void SdlMixer::setNeeded(bool needed)
{
    Impl& d = *impl_;
    if (!d.started)
        return;
    d.checkLost();
    // START with the output down waits for a driver (bounded), so the test's
    // first clicks are heard when a server is there.
    if (needed && !d.up)
        d.choose(true);
    d.rest.setNeeded(needed);
    d.followTimers();
}

bool SdlMixer::resting() const
{
    return impl_->device == 0;
}

// Small enough that a tap on a click as heard falls in the click's own tick
// (one buffer of the sound's way, the rest is the server's), within the CPU
// the program may take during a test: the benchmarks' figures are in
// bench/README.md.
int SdlMixer::bufferFramesFor(std::string_view driver)
{
    return driver == "pipewire" ? kPipeWireBufferFrames : kBufferFrames;
}

int SdlMixer::bufferFrames() const
{
    return impl_->frames;
}

std::string SdlMixer::driver() const
{
    return isOpen() ? impl_->driver : std::string();
}

int SdlMixer::sampleRate() const
{
    return impl_->rate;
}

int64_t SdlMixer::voicesStarted() const
{
    return impl_->core.voicesStarted();
}

} // namespace platform
