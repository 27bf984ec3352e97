#pragma once
// Sounds: preloaded 16-bit PCM samples that start at once when played.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Sound {
public:
    Sound(QString name, std::vector<int16_t> monoSamples, int sampleRate);
    // Starts the sound on the current output and returns at once. A sound
    // already playing is started again as a further voice. `askedAtNs`
    // (clockNanoseconds, the clock Ticks() reads) is when the sound was asked
    // for, where that was before now: a tap's sound is timed from the tap's
    // arrival, so a main thread that comes to the tap late does not make the
    // sound late too. Without it, the sound is asked for now.
    void Play(std::optional<int64_t> askedAtNs = std::nullopt) const;

    const QString& name() const { return name_; }
    const std::vector<int16_t>& samples() const { return samples_; }
    int sampleRate() const { return rate_; }

private:
    QString name_;
    std::vector<int16_t> samples_; // mono
    int rate_;
};

// Decodes a RIFF/WAVE file of 16-bit PCM (mono or stereo, stereo is mixed to
// mono). Returns nullptr for anything else.
std::unique_ptr<Sound> decodeWav(const QByteArray& bytes, const QString& name);

// Where Sound::Play goes.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // askedAtNs: as for Sound::Play.
    virtual void play(const Sound& sound, std::optional<int64_t> askedAtNs) = 0;
    // Whether sounds are to come (a test, its pre-start wait or a replay runs).
    // Plays made while not needed are still heard, but may start later.
    virtual void setNeeded(bool needed) { (void)needed; }
};

// nullptr: plays go nowhere (silent).
void setSoundOutput(SoundOutput* output);
SoundOutput* soundOutput();
// Tells the installed output whether sounds are to come.
void setSoundNeeded(bool needed);

// In a process the mixer started to try a sound driver (each is tried in a
// process of its own first, which is killed if the driver never answers):
// tries it, tells the mixer and ends the process. Returns at once in any
// other, so the program's main (and a test program's) calls it first.
void answerSoundProbe();

// The program's output: one SDL2 audio stream whose callback mixes
// the voices. play() hands the sound to the callback without locking and
// returns at once. The stream runs while it is needed or a voice sounds and
// rests (is closed) otherwise (see OutputRest); a GUI-thread timer decides.
class SdlMixer : public SoundOutput {
public:
    SdlMixer();
    ~SdlMixer() override;
    // Opens the device. Returns false (and writes one line on stderr) when no
    // audio device can be opened; plays are then dropped silently, and START,
    // a play, or during a test a retry every second in the background starts
    // SDL's audio afresh, so a sound server that comes later is used. No
    // driver may keep it waiting longer than its answer time (sdl_open.h).
    // The stream runs at first and rests once checks from the event loop find
    // it silent. When it cannot open again after a rest, or stops (its sound
    // server went away), plays are dropped and it is looked for as above
    // (said once on stderr).
    bool open();
    void close();
    // open() was called, not close() since, and an output is there.
    bool isOpen() const;
    // A sound starts one buffer after it was asked for, or at once when that
    // is past.
    void play(const Sound& sound, std::optional<int64_t> askedAtNs = std::nullopt) override;
    void setNeeded(bool needed) override;
    // Whether the stream rests to save CPU (always when not open).
    bool resting() const;

    // Frames per device buffer: bufferFramesFor(the SDL driver in use), or
    // VELVANE_SOUND_BUFFER (a power of two from 64 to 4096) for the
    // benchmarks. A sound starts one buffer after its play.
    static constexpr int kBufferFrames = 128;
    static constexpr int kPipeWireBufferFrames = 64;
    static int bufferFramesFor(std::string_view driver);
    int bufferFrames() const;
    // The SDL driver of the open mixer ("pipewire", "pulseaudio", ...).
    std::string driver() const;

    // Output format of the open stream (for tests and the benchmark).
    int sampleRate() const;
    // Voices mixed since open (started plays that the callback picked up);
    // counted afresh when an output comes back in another format or after it
    // stopped.
    int64_t voicesStarted() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
