// SdlMixer: one SDL2 output stream whose callback mixes the voices that
// MixerCore hands it, open while sounds are needed or sounding.
#include "platform/mixer_core.h"
#include "platform/output_rest.h"
#include "platform/sound.h"
#include "platform/ticks.h"

#include <QTimer>
#include <SDL.h>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace platform {

namespace {

// ALSA's library prints its own diagnostics, a dozen lines when the machine
// has no sound card, while SDL tries its drivers. They are silenced for the
// open, so a machine without sound gets the one line below instead.
class QuietAlsa {
public:
    QuietAlsa()
    {
        // The library SDL loads for its ALSA driver, if this machine has it.
        static void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (library)
            setHandler_ = reinterpret_cast<SetHandler>(dlsym(library, "snd_lib_error_set_handler"));
        if (setHandler_)
            setHandler_(&silent);
    }
    ~QuietAlsa()
    {
        if (setHandler_)
            setHandler_(nullptr); // ALSA's default handler again
    }
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;

private:
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    static void silent(const char*, int, const char*, int, const char*, ...) {}

    SetHandler setHandler_ = nullptr;
};

// VELVANE_SOUND_BUFFER, when it names a power of two from 64 to 4096, else
// the size measured best for the driver in use.
int bufferFramesWanted(const char* driver)
{
    const char* text = std::getenv("VELVANE_SOUND_BUFFER");
    int frames = 0;
    if (text)
        std::from_chars(text, text + std::strlen(text), frames);
    const bool powerOfTwo = frames > 0 && (frames & (frames - 1)) == 0;
    if (powerOfTwo && frames >= 64 && frames <= 4096)
        return frames;
    return SdlMixer::bufferFramesFor(driver ? driver : "");
}

// Starts SDL's audio with the user's SDL_AUDIODRIVER when set; else with
// SDL's own PipeWire driver when a PipeWire server answers and has an audio
// output (through its PulseAudio emulation clicks come later: bench/README.md);
// else in SDL's default order (PulseAudio, ALSA, ...). A PipeWire server
// without outputs serves only video, next to another sound server, and a
// stream opened on it would never start.
bool initAudio()
{
    const char* chosen = std::getenv("SDL_AUDIODRIVER");
    if (!chosen || !*chosen) {
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "pipewire");
        bool pipewire = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        if (pipewire && SDL_GetNumAudioDevices(0) > 0)
            return true;
        if (pipewire)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

} // namespace

// SDL 2.26 keeps a paused device's thread feeding silence to the sound
// server, which costs as much as playing. A resting stream is therefore
// closed, and opened again (about 1 ms) when it is needed or played.
struct SdlMixer::Impl : OutputRest::Stream {
    MixerCore core;
    bool ready = false; // SDL's audio is up and a device was opened once
    bool openFailed = false; // said on stderr; said again only after an open
    SDL_AudioDeviceID device = 0; // 0 while the stream rests
    SDL_AudioSpec wanted{};
    int rate = 0;
    int frames = 0;
    OutputRest rest{*this};
    QTimer checks; // runs while the rest decision waits for silence

    Impl()
    {
        checks.setInterval(OutputRest::kCheckMs);
        QObject::connect(&checks, &QTimer::timeout, &checks, [this] {
            rest.check();
            followChecks();
        });
    }

    // Opens the stream and starts its callback. On the first open, or when
    // the device's format has changed, the mixer takes the new format (and
    // drops what waits: nothing sounds while the stream rests).
    // The caller quiets ALSA around it.
    bool openDevice()
    {
        SDL_AudioSpec obtained{};
        device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained,
                                     SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
        if (device == 0)
            return false;
        // The device opens paused; the lock orders the reset before the
        // first callback.
        if (!ready || obtained.freq != core.outputRate() || obtained.channels != core.outputChannels()
            || obtained.samples != frames) {
            SDL_LockAudioDevice(device);
            core.reset(obtained.freq, obtained.channels, obtained.samples);
            SDL_UnlockAudioDevice(device);
        }
        rate = obtained.freq;
        frames = obtained.samples;
        SDL_PauseAudioDevice(device, 0);
        return true;
    }

    void closeDevice()
    {
        if (device != 0)
            SDL_CloseAudioDevice(device); // waits for the callback thread
        device = 0;
    }

    // A failed open is said once until an open succeeds again, however many
    // plays try it meanwhile.
    bool setPaused(bool paused) override
    {
        if (paused) {
            closeDevice();
            return true;
        }
        if (device != 0)
            return true;
        QuietAlsa quiet;
        if (!openDevice()) {
            if (!openFailed)
                std::fprintf(stderr, "Velvane: no sound output: %s\n", SDL_GetError());
            openFailed = true;
            return false;
        }
        openFailed = false;
        return true;
    }
    // Without a stream nothing can sound.
    bool sounding() const override { return device != 0 && core.sounding(); }

    void followChecks()
    {
        if (rest.checksDue() && !checks.isActive())
            checks.start();
        else if (!rest.checksDue() && checks.isActive())
            checks.stop();
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
    if (isOpen())
        return true;
    QuietAlsa quiet;
    // SIGTERM and SIGINT are the program's own (quitsignals.h), not SDL's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (!initAudio()) {
        std::fprintf(stderr, "Velvane: no sound output: %s\n", SDL_GetError());
        return false;
    }
    // Small buffers keep a click within a few milliseconds of its trigger.
    // The program's own sounds are 44100 Hz mono, so that is asked for; a
    // device that wants another rate or channel count gets it from the mixer,
    // which resamples and copies the mono mix to every channel.
    Impl& d = *impl_;
    d.wanted = SDL_AudioSpec{};
    d.wanted.freq = 44100;
    d.wanted.format = AUDIO_S16SYS;
    d.wanted.channels = 1;
    d.wanted.samples = Uint16(bufferFramesWanted(SDL_GetCurrentAudioDriver()));
    d.wanted.callback = &Impl::callback;
    d.wanted.userdata = impl_.get();
    if (!d.openDevice()) {
        std::fprintf(stderr, "Velvane: no sound output: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    d.ready = true;
    d.openFailed = false;
    // The stream runs now and rests at the checks unless it is needed; the
    // close happens from the event loop rather than during start-up.
    d.rest.reset(false);
    d.followChecks();
    return true;
}

void SdlMixer::close()
{
    if (!isOpen())
        return;
    impl_->checks.stop();
    impl_->closeDevice();
    impl_->ready = false;
    impl_->rate = 0;
    impl_->frames = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlMixer::isOpen() const
{
    return impl_->ready;
}

void SdlMixer::play(const Sound& sound)
{
    if (!isOpen())
        return;
    // Stamped before a resting stream opens, which takes about 1 ms: the
    // sound is due one buffer after it was asked for.
    const int64_t now = monotonicNanoseconds();
    // A resting stream opens before the push, as opening may reset the
    // mixer. A sound that cannot be played now is dropped: heard later it
    // would be out of time.
    if (impl_->rest.played())
        impl_->core.push(sound, now);
    impl_->followChecks();
}

void SdlMixer::setNeeded(bool needed)
{
    if (!isOpen())
        return;
    impl_->rest.setNeeded(needed);
    impl_->followChecks();
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
    const char* name = isOpen() ? SDL_GetCurrentAudioDriver() : nullptr;
    return name ? name : "";
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
