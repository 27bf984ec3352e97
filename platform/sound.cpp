#include "platform/sound.h"

#include <atomic>
#include <cstring>
#include <optional>
#include <utility>

namespace platform {

Sound::Sound(QString name, std::vector<int16_t> monoSamples, int sampleRate)
    : name_(std::move(name)), samples_(std::move(monoSamples)), rate_(sampleRate)
{
}

void Sound::Play(std::optional<int64_t> askedAtNs) const
{
    if (SoundOutput* output = soundOutput())
        output->play(*this, askedAtNs);
}

// ---------------------------------------------------------------------------
// WAV decoding. Every read goes through Reader, which checks the bounds, so a
// damaged file can only lead to nullptr.

namespace {

class Reader {
public:
    explicit Reader(const QByteArray& bytes)
        : data_(reinterpret_cast<const unsigned char*>(bytes.constData())), size_(size_t(bytes.size()))
    {
    }
    size_t size() const { return size_; }
    bool has(size_t offset, size_t count) const { return offset <= size_ && count <= size_ - offset; }
    uint16_t u16(size_t at) const { return uint16_t(data_[at] | (data_[at + 1] << 8)); }
    uint32_t u32(size_t at) const
    {
        return uint32_t(data_[at]) | (uint32_t(data_[at + 1]) << 8) | (uint32_t(data_[at + 2]) << 16)
            | (uint32_t(data_[at + 3]) << 24);
    }
    int16_t s16(size_t at) const { return int16_t(u16(at)); }
    bool tag(size_t at, const char (&id)[5]) const { return std::memcmp(data_ + at, id, 4) == 0; }

private:
    const unsigned char* data_;
    size_t size_;
};

struct Format {
    int channels = 0;
    int rate = 0;
};

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;

// The fmt chunk at `at` with `size` bytes, when it describes 16-bit PCM in one
// or two channels.
std::optional<Format> readFormat(const Reader& r, size_t at, uint32_t size)
{
    if (size < 16)
        return std::nullopt;
    uint16_t tag = r.u16(at);
    const int channels = r.u16(at + 2);
    const uint32_t rate = r.u32(at + 4);
    const int blockAlign = r.u16(at + 12);
    const int bits = r.u16(at + 14);
    // WAVE_FORMAT_EXTENSIBLE names the real format in the first two bytes of
    // its sub-format GUID.
    if (tag == kFormatExtensible) {
        if (size < 40)
            return std::nullopt;
        tag = r.u16(at + 24);
    }
    if (tag != kFormatPcm || bits != 16 || (channels != 1 && channels != 2) || blockAlign != channels * 2)
        return std::nullopt;
    if (rate < 1000 || rate > 768000)
        return std::nullopt;
    return Format{channels, int(rate)};
}

} // namespace

std::unique_ptr<Sound> decodeWav(const QByteArray& bytes, const QString& name)
{
    const Reader r(bytes);
    if (!r.has(0, 12) || !r.tag(0, "RIFF") || !r.tag(8, "WAVE"))
        return nullptr;

    // Chunks may come in any order; the data chunk is decoded once the format
    // is known. A chunk that claims more bytes than the file holds means the
    // file was cut short: it is refused rather than played in part.
    std::optional<Format> format;
    bool sawFormat = false;
    size_t dataAt = 0;
    uint32_t dataSize = 0;
    bool sawData = false;
    for (size_t at = 12; r.has(at, 8);) {
        const uint32_t size = r.u32(at + 4);
        const size_t body = at + 8;
        if (!r.has(body, size))
            return nullptr;
        if (r.tag(at, "fmt ") && !sawFormat) {
            sawFormat = true;
            format = readFormat(r, body, size);
            if (!format)
                return nullptr;
        } else if (r.tag(at, "data") && !sawData) {
            sawData = true;
            dataAt = body;
            dataSize = size;
        }
        at = body + size + (size & 1u); // chunks are padded to an even length
    }
    if (!format || !sawData)
        return nullptr;

    const size_t frameBytes = size_t(format->channels) * 2;
    const size_t frames = dataSize / frameBytes;
    std::vector<int16_t> samples(frames);
    for (size_t i = 0; i < frames; ++i) {
        const size_t at = dataAt + i * frameBytes;
        if (format->channels == 1)
            samples[i] = r.s16(at);
        else
            samples[i] = int16_t((int32_t(r.s16(at)) + int32_t(r.s16(at + 2))) / 2);
    }
    return std::make_unique<Sound>(name, std::move(samples), format->rate);
}

// ---------------------------------------------------------------------------

namespace {
std::atomic<SoundOutput*> currentOutput{nullptr};
}

void setSoundOutput(SoundOutput* output)
{
    currentOutput.store(output, std::memory_order_release);
}

SoundOutput* soundOutput()
{
    return currentOutput.load(std::memory_order_acquire);
}

void setSoundNeeded(bool needed)
{
    if (SoundOutput* output = soundOutput())
        output->setNeeded(needed);
}

} // namespace platform
