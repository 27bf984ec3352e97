#include "platform/mixer_core.h"

#include "platform/sound.h"

#include <algorithm>
#include <limits>

namespace platform {

static_assert((MixerCore::kQueueSize & (MixerCore::kQueueSize - 1)) == 0, "queue size must be a power of two");

void MixerCore::reset(int outputRate, int outputChannels, int bufferFrames)
{
    rate_ = outputRate > 0 ? outputRate : 44100;
    channels_ = outputChannels > 0 ? outputChannels : 1;
    bufferFrames_ = std::max(bufferFrames, 0);
    head_.store(0, std::memory_order_relaxed);
    tail_.store(0, std::memory_order_relaxed);
    voices_ = {};
    nextSerial_ = 0;
    started_.store(0, std::memory_order_release);
    active_.store(0, std::memory_order_release);
}

bool MixerCore::push(const Sound& sound, int64_t playNs)
{
    const auto& samples = sound.samples();
    if (samples.empty() || sound.sampleRate() <= 0)
        return true; // nothing to hear
    const size_t head = head_.load(std::memory_order_relaxed);
    const size_t tail = tail_.load(std::memory_order_acquire);
    if (head - tail >= kQueueSize)
        return false;
    const uint32_t count = uint32_t(std::min<size_t>(samples.size(), std::numeric_limits<uint32_t>::max()));
    queue_[head & (kQueueSize - 1)] = Play{samples.data(), count, sound.sampleRate(), playNs};
    head_.store(head + 1, std::memory_order_release);
    return true;
}

void MixerCore::start(const Play& play, int64_t nowNs)
{
    // Frame 0 of this callback stands for nowNs; the play is due one buffer
    // after its stamp. A play older than that (a late callback) starts at
    // once; one stamped after nowNs waits into a later buffer.
    constexpr int64_t kSecondNs = 1'000'000'000;
    constexpr int64_t kLimitNs = 60 * kSecondNs; // keeps the product in range
    const int64_t sincePlay = std::clamp<int64_t>(nowNs - play.ns, -kLimitNs, kLimitNs);
    const int64_t framesSincePlay = (sincePlay * rate_ + (sincePlay >= 0 ? kSecondNs / 2 : -kSecondNs / 2)) / kSecondNs;
    const int64_t delay = std::max<int64_t>(0, bufferFrames_ - framesSincePlay);

    Voice* slot = &voices_[0];
    for (Voice& v : voices_) {
        if (!v.active) {
            slot = &v;
            break;
        }
        if (v.serial < slot->serial)
            slot = &v;
    }
    slot->samples = play.samples;
    slot->count = play.count;
    slot->position = 0;
    slot->step = (uint64_t(play.rate) << 32) / uint64_t(rate_);
    slot->serial = nextSerial_++;
    slot->delay = delay;
    slot->active = true;
    started_.fetch_add(1, std::memory_order_relaxed);
}

void MixerCore::mix(int16_t* out, int frames, int64_t nowNs)
{
    const size_t head = head_.load(std::memory_order_acquire);
    size_t tail = tail_.load(std::memory_order_relaxed);
    for (; tail != head; ++tail)
        start(queue_[tail & (kQueueSize - 1)], nowNs);
    // Published before the queue shrinks, so sounding() never sees a play
    // that has left the queue but not yet become a voice.
    active_.store(activeVoices(), std::memory_order_relaxed);
    tail_.store(tail, std::memory_order_release);

    // Voices are summed in 32 bits and clamped once, so loud overlaps clip
    // instead of wrapping round.
    constexpr int kChunk = 256;
    int32_t sum[kChunk];
    for (int done = 0; done < frames;) {
        const int n = std::min(kChunk, frames - done);
        std::fill(sum, sum + n, 0);
        for (Voice& v : voices_) {
            if (!v.active)
                continue;
            const int silent = int(std::min<int64_t>(v.delay, n));
            v.delay -= silent;
            for (int i = silent; i < n; ++i) {
                const uint64_t index = v.position >> 32;
                if (index >= v.count) {
                    v.active = false;
                    break;
                }
                const int32_t a = v.samples[index];
                const uint32_t frac = uint32_t(v.position & 0xFFFFFFFFu);
                if (frac == 0 || index + 1 >= v.count) {
                    sum[i] += a;
                } else {
                    const int32_t b = v.samples[index + 1];
                    sum[i] += a + int32_t((int64_t(b - a) * frac) >> 32);
                }
                v.position += v.step;
            }
            if (v.active && (v.position >> 32) >= v.count)
                v.active = false;
        }
        int16_t* frame = out + size_t(done) * size_t(channels_);
        for (int i = 0; i < n; ++i) {
            const int16_t s = int16_t(std::clamp<int32_t>(sum[i], -32768, 32767));
            for (int c = 0; c < channels_; ++c)
                *frame++ = s;
        }
        done += n;
    }
    active_.store(activeVoices(), std::memory_order_release);
}

bool MixerCore::sounding() const
{
    // The queue first: a tail that shows a play taken also shows its voice.
    if (head_.load(std::memory_order_acquire) != tail_.load(std::memory_order_acquire))
        return true;
    return active_.load(std::memory_order_acquire) > 0;
}

int MixerCore::activeVoices() const
{
    return int(std::count_if(voices_.begin(), voices_.end(), [](const Voice& v) { return v.active; }));
}

} // namespace platform
