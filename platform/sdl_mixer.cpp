// SdlMixer: one SDL2 output stream, opened once, whose callback mixes the
// voices that MixerCore hands it.
#include "platform/mixer_core.h"
#include "platform/sound.h"

#include <SDL.h>
#include <cstdio>
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

} // namespace

struct SdlMixer::Impl {
    MixerCore core;
    SDL_AudioDeviceID device = 0;
    int rate = 0;

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
    // SIGTERM and SIGINT are the program's own (quitsignals.h), not SDL's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
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
    wanted.samples = 256;
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
    // The device starts paused; the lock orders the reset before the first
    // callback.
    SDL_LockAudioDevice(device);
    impl_->core.reset(obtained.freq, obtained.channels);
    SDL_UnlockAudioDevice(device);
    impl_->device = device;
    impl_->rate = obtained.freq;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void SdlMixer::close()
{
    if (!isOpen())
        return;
    SDL_CloseAudioDevice(impl_->device); // waits for the callback thread
    impl_->device = 0;
    impl_->rate = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlMixer::isOpen() const
{
    return impl_->device != 0;
}

void SdlMixer::play(const Sound& sound)
{
    if (isOpen())
        impl_->core.push(sound);
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
