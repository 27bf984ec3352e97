// SdlMixer: one SDL2 output stream, opened once, whose callback mixes the
// voices that MixerCore hands it.
#include "platform/mixer_core.h"
#include "platform/output_rest.h"
#include "platform/sound.h"

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

// VELVANE_SOUND_BUFFER, when it names a power of two from 64 to 4096.
int bufferFramesWanted()
{
    const char* text = std::getenv("VELVANE_SOUND_BUFFER");
    int frames = 0;
    if (text)
        std::from_chars(text, text + std::strlen(text), frames);
    const bool powerOfTwo = frames > 0 && (frames & (frames - 1)) == 0;
    return powerOfTwo && frames >= 64 && frames <= 4096 ? frames : SdlMixer::kBufferFrames;
}

} // namespace

struct SdlMixer::Impl : OutputRest::Stream {
    MixerCore core;
    SDL_AudioDeviceID device = 0;
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

    void setPaused(bool paused) override { SDL_PauseAudioDevice(device, paused ? 1 : 0); }
    bool sounding() const override { return core.sounding(); }

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
        self->core.mix(reinterpret_cast<int16_t*>(stream), len / frameBytes);
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
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "Velvane: no sound output: %s\n", SDL_GetError());
        return false;
    }
    // Small buffers keep a click within a few milliseconds of its trigger.
    // The program's own sounds are 44100 Hz mono, so that is asked for; a
    // device that wants another rate or channel count gets it from the mixer,
    // which resamples and copies the mono mix to every channel.
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = Uint16(bufferFramesWanted());
    wanted.callback = &Impl::callback;
    wanted.userdata = impl_.get();
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(
        nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (device == 0) {
        std::fprintf(stderr, "Velvane: no sound output: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    // The device starts paused and stays so until sounds are needed or
    // played; the lock orders the reset before the first callback.
    SDL_LockAudioDevice(device);
    impl_->core.reset(obtained.freq, obtained.channels);
    SDL_UnlockAudioDevice(device);
    impl_->device = device;
    impl_->rate = obtained.freq;
    impl_->frames = obtained.samples;
    impl_->rest.reset();
    return true;
}

void SdlMixer::close()
{
    if (!isOpen())
        return;
    impl_->checks.stop();
    SDL_CloseAudioDevice(impl_->device); // waits for the callback thread
    impl_->device = 0;
    impl_->rate = 0;
    impl_->frames = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlMixer::isOpen() const
{
    return impl_->device != 0;
}

void SdlMixer::play(const Sound& sound)
{
    if (!isOpen())
        return;
    impl_->core.push(sound);
    impl_->rest.played();
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
    return !isOpen() || impl_->rest.paused();
}

int SdlMixer::bufferFrames() const
{
    return impl_->frames;
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
