// The metronome clicks and the pitch sounds as the program finds them in its
// resources.
#include "wav_reader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <ostream>
#include <string>

namespace {

using restest::WavFile;

constexpr int kRate = 44100;
constexpr int kMillisecond = kRate / 1000;

WavFile load(const std::string& name)
{
    QFile file(QStringLiteral(":/res/%1.wav").arg(QString::fromStdString(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return restest::readWav(file.readAll()).value_or(WavFile{});
}

int peak(const std::vector<int16_t>& s, size_t from = 0, size_t to = SIZE_MAX)
{
    int p = 0;
    for (size_t i = from; i < std::min(to, s.size()); ++i)
        p = std::max(p, std::abs(int(s[i])));
    return p;
}

double rms(const std::vector<int16_t>& s, size_t from, size_t to)
{
    double sum = 0;
    to = std::min(to, s.size());
    for (size_t i = from; i < to; ++i)
        sum += double(s[i]) * s[i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

int zeroCrossings(const std::vector<int16_t>& s, size_t count)
{
    int crossings = 0;
    for (size_t i = 1; i < std::min(count, s.size()); ++i)
        if ((s[i - 1] < 0) != (s[i] < 0))
            ++crossings;
    return crossings;
}

// Power at one frequency over the first `count` samples, Hann-windowed.
double powerAt(const std::vector<int16_t>& s, double frequency, size_t count)
{
    count = std::min(count, s.size());
    const double w = 2 * std::numbers::pi * frequency / kRate;
    double re = 0, im = 0;
    for (size_t n = 0; n < count; ++n) {
        const double hann = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(n) / double(count));
        re += hann * s[n] * std::cos(w * double(n));
        im += hann * s[n] * std::sin(w * double(n));
    }
    return re * re + im * im;
}

double midiFrequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

struct SoundCase {
    std::string name;
    int midiNote; // 0 for a click
};

const std::vector<SoundCase> kClicks = {{"hi", 0}, {"low", 0}};
const std::vector<SoundCase> kPitches = {
    {"c", 60}, {"d", 62}, {"e", 64}, {"f", 65}, {"g", 67}, {"a", 69}, {"ch", 72},
};

void PrintTo(const SoundCase& s, std::ostream* os) { *os << s.name; }

class SoundFile : public ::testing::TestWithParam<SoundCase> {};

TEST_P(SoundFile, IsMonoPcmThatSoundsAtOnceAndNeverClips)
{
    const WavFile wav = load(GetParam().name);
    ASSERT_EQ(wav.formatTag, 1) << "PCM";
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.sampleRate, kRate);
    ASSERT_EQ(wav.bitsPerSample, 16);
    ASSERT_FALSE(wav.samples.empty());

    const int loudest = peak(wav.samples);
    EXPECT_LT(loudest, 32767) << "a sample at full scale has clipped";
    EXPECT_GT(loudest, 32767 / 8) << "too quiet to hear over the other sounds";
    // A tap or a beat has to be heard when it is made: within the first
    // millisecond the sound is already near its full strength.
    EXPECT_GT(peak(wav.samples, 0, kMillisecond), loudest / 4);
    EXPECT_NE(wav.samples.front(), 0) << "no leading silence";
}

INSTANTIATE_TEST_SUITE_P(Clicks, SoundFile, ::testing::ValuesIn(kClicks), [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Pitches, SoundFile, ::testing::ValuesIn(kPitches), [](const auto& info) { return info.param.name; });

class ClickFile : public ::testing::TestWithParam<SoundCase> {};

TEST_P(ClickFile, IsOverBeforeTheNextBeatCanCome)
{
    const WavFile wav = load(GetParam().name);
    ASSERT_FALSE(wav.samples.empty());
    EXPECT_LE(wav.samples.size(), size_t(60 * kMillisecond));
}

INSTANTIATE_TEST_SUITE_P(Clicks, ClickFile, ::testing::ValuesIn(kClicks), [](const auto& info) { return info.param.name; });

class PitchFile : public ::testing::TestWithParam<SoundCase> {};

TEST_P(PitchFile, DecaysAndFadesToSilence)
{
    const WavFile wav = load(GetParam().name);
    ASSERT_FALSE(wav.samples.empty());
    const double ms = wav.samples.size() * 1000.0 / kRate;
    EXPECT_GE(ms, 400.0);
    EXPECT_LE(ms, 600.0);
    // Most of it has died away by 300 ms, and it ends in silence, not a click.
    EXPECT_LT(rms(wav.samples, 300 * kMillisecond, 350 * kMillisecond), rms(wav.samples, 0, 50 * kMillisecond) * 0.3);
    EXPECT_LT(peak(wav.samples, wav.samples.size() - 2 * kMillisecond), 100);
}

TEST_P(PitchFile, HasItsNotesFundamental)
{
    const int note = GetParam().midiNote;
    const WavFile wav = load(GetParam().name);
    ASSERT_FALSE(wav.samples.empty());
    const size_t window = 150 * kMillisecond;
    int strongest = 0;
    double best = -1;
    for (int candidate = 36; candidate <= 96; ++candidate) {
        const double p = powerAt(wav.samples, midiFrequency(candidate), window);
        if (p > best) {
            best = p;
            strongest = candidate;
        }
    }
    EXPECT_EQ(strongest, note);
    // Well clear of the semitones either side, so it is heard as that note.
    EXPECT_GT(powerAt(wav.samples, midiFrequency(note), window), 20 * powerAt(wav.samples, midiFrequency(note - 1), window));
    EXPECT_GT(powerAt(wav.samples, midiFrequency(note), window), 20 * powerAt(wav.samples, midiFrequency(note + 1), window));
}

INSTANTIATE_TEST_SUITE_P(Pitches, PitchFile, ::testing::ValuesIn(kPitches), [](const auto& info) { return info.param.name; });

TEST(MetronomeClicks, TheBarLineClickIsHigherAndLouder)
{
    const WavFile hi = load("hi");
    const WavFile low = load("low");
    ASSERT_FALSE(hi.samples.empty());
    ASSERT_FALSE(low.samples.empty());
    const size_t window = 20 * kMillisecond;
    EXPECT_GT(zeroCrossings(hi.samples, window), zeroCrossings(low.samples, window) * 1.3);
    EXPECT_GT(peak(hi.samples), peak(low.samples) * 1.4);
    EXPECT_GT(rms(hi.samples, 0, window), rms(low.samples, 0, window) * 1.4);
}

} // namespace
