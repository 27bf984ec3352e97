#include "sounds.h"
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace resgen {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

struct Partial {
    double ratio;     // of the fundamental
    double amplitude;
    double decay;     // seconds for the partial to fall to 1/e
};

double dBFS(double decibels) { return std::pow(10.0, decibels / 20.0); }

// Scales to the peak level and rounds to 16 bits; the peak stays below full
// scale so no sample clips.
Samples toPcm(const std::vector<double>& signal, double peakDb)
{
    double peak = 0;
    for (double v : signal)
        peak = std::max(peak, std::abs(v));
    const double gain = peak > 0 ? dBFS(peakDb) * 32767.0 / peak : 0;
    Samples pcm;
    pcm.reserve(signal.size());
    for (double v : signal)
        pcm.push_back(int16_t(std::lround(std::clamp(v * gain, -32766.0, 32766.0))));
    return pcm;
}

// Decaying partials that all start in cosine phase, so the sound is at full
// strength from its first sample, plus a short burst of noise for the strike.
std::vector<double> strike(double fundamental, const std::vector<Partial>& partials, double seconds,
                           double noiseLevel, double noiseDecay, double fadeSeconds, unsigned seed)
{
    const int count = int(seconds * kSampleRate);
    const int fadeFrom = count - int(fadeSeconds * kSampleRate);
    std::minstd_rand noise(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    double smoothed = 0;
    std::vector<double> signal(count);
    for (int n = 0; n < count; ++n) {
        const double t = double(n) / kSampleRate;
        double v = 0;
        for (const Partial& p : partials)
            v += p.amplitude * std::exp(-t / p.decay) * std::cos(kTwoPi * p.ratio * fundamental * t);
        // Low-passed noise sounds like felt on wood rather than hiss.
        smoothed += 0.35 * (uniform(noise) - smoothed);
        v += noiseLevel * std::exp(-t / noiseDecay) * smoothed;
        if (n >= fadeFrom)
            v *= 0.5 + 0.5 * std::cos(std::numbers::pi * (n - fadeFrom) / double(count - fadeFrom));
        signal[n] = v;
    }
    return signal;
}

} // namespace

Samples metronomeClick(bool accent)
{
    // A woodblock-like tick: two inharmonic modes that die within a few
    // milliseconds.
    if (accent)
        return toPcm(strike(1900, {{1.0, 1.0, 0.009}, {2.76, 0.32, 0.004}}, 0.035, 0.25, 0.0015, 0.006, 7), -3);
    return toPcm(strike(1050, {{1.0, 1.0, 0.010}, {2.72, 0.28, 0.005}}, 0.040, 0.18, 0.0015, 0.006, 11), -10);
}

Samples malletTone(int midiNote)
{
    const double fundamental = 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
    // A marimba bar's modes: the fundamental, a fourth partial two octaves up
    // and a faint tenth; the upper ones die first so the tone mellows.
    const std::vector<Partial> partials = {
        {1.0, 1.0, 0.16},
        {2.0, 0.10, 0.06},
        {3.93, 0.22, 0.045},
        {9.9, 0.05, 0.012},
    };
    return toPcm(strike(fundamental, partials, 0.55, 0.12, 0.002, 0.12, unsigned(midiNote)), -4);
}

QByteArray wavFile(const Samples& samples)
{
    auto u32 = [](QByteArray& out, quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    auto u16 = [](QByteArray& out, quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    const quint32 dataBytes = quint32(samples.size() * 2);
    QByteArray out;
    out.append("RIFF", 4);
    u32(out, 36 + dataBytes);
    out.append("WAVE", 4);
    out.append("fmt ", 4);
    u32(out, 16);
    u16(out, 1);                 // PCM
    u16(out, 1);                 // mono
    u32(out, kSampleRate);
    u32(out, kSampleRate * 2);   // bytes per second
    u16(out, 2);                 // bytes per frame
    u16(out, 16);                // bits per sample
    out.append("data", 4);
    u32(out, dataBytes);
    for (int16_t s : samples)
        u16(out, quint16(s));
    return out;
}

} // namespace resgen
