#pragma once
// The device-independent half of SdlMixer: the lock-free queue of plays from
// the GUI thread and the voice mixer the audio callback runs. Kept apart from
// SDL so tests can mix frames into a buffer without an audio device.
//
// Each play is stamped with the monotonic clock and starts exactly one device
// buffer after its stamp, placed to the frame inside the buffer the callback
// fills (silence before it). The delay from play to sound is then the same
// for every play, instead of depending on how soon the next callback comes.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace platform {

class Sound;

class MixerCore {
public:
    // Voices that sound at once; a play beyond that replaces the oldest voice.
    static constexpr int kVoices = 32;
    // Plays waiting for the callback. The callback drains the queue every few
    // milliseconds, so this is only reached when it is not running.
    static constexpr size_t kQueueSize = 1024;

    // Drops every waiting play and voice and sets the output format and the
    // device's buffer size in frames: a play starts that many frames after
    // its stamp. Call only while no thread runs mix().
    void reset(int outputRate, int outputChannels, int bufferFrames);

    // Producer side, one thread (the GUI thread). `playNs` is the monotonic
    // time of the play (monotonicNanoseconds()). Never blocks or allocates; false when
    // the queue is full and the play was dropped. The sound's samples must
    // stay alive and unchanged while it may still be playing.
    bool push(const Sound& sound, int64_t playNs);

    // Consumer side, the audio callback: starts the waiting plays, then writes
    // `frames` frames of interleaved 16-bit output (every channel carries the
    // same mono mix). `nowNs` is the monotonic time of the callback, the time
    // its first frame stands for. Never blocks or allocates.
    void mix(int16_t* out, int frames, int64_t nowNs);

    int64_t voicesStarted() const { return started_.load(std::memory_order_relaxed); }
    // Whether a voice sounds or a play waits for the callback; safe from any
    // thread. A voice counts until the mix() that writes its last sample.
    bool sounding() const;
    // Voices currently sounding; read it from the mixing thread or while no
    // thread mixes.
    int activeVoices() const;
    int outputRate() const { return rate_; }
    int outputChannels() const { return channels_; }

private:
    struct Play {
        const int16_t* samples = nullptr;
        uint32_t count = 0;
        int rate = 0;
        int64_t ns = 0; // when it was played
    };
    struct Voice {
        const int16_t* samples = nullptr;
        uint32_t count = 0;
        uint64_t position = 0; // in samples of the sound, 32.32 fixed point
        uint64_t step = 0;     // sound samples per output frame, 32.32
        uint64_t serial = 0;   // start order, to find the oldest
        int64_t delay = 0;     // frames of silence before the first sample
        bool active = false;
    };

    void start(const Play& play, int64_t nowNs);

    std::array<Play, kQueueSize> queue_{};
    std::atomic<size_t> head_{0}; // written by the producer
    std::atomic<size_t> tail_{0}; // written by the consumer
    std::array<Voice, kVoices> voices_{};
    uint64_t nextSerial_ = 0;
    std::atomic<int64_t> started_{0};
    std::atomic<int> active_{0}; // voices sounding after the last mix()
    int rate_ = 44100;
    int channels_ = 1;
    int bufferFrames_ = 0;
};

} // namespace platform
