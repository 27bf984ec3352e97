#pragma once
// Synthesised sounds: the two metronome clicks and the pitch sounds, as
// 16-bit PCM mono at 44100 Hz.
#include <QByteArray>
#include <cstdint>
#include <vector>

namespace resgen {

constexpr int kSampleRate = 44100;
using Samples = std::vector<int16_t>;

// The bar-line click (accent) is higher and louder than the beat click.
Samples metronomeClick(bool accent);
// A struck, quickly decaying mallet tone of the MIDI note, sounding from its
// first sample.
Samples malletTone(int midiNote);

// A RIFF/WAVE file holding the samples.
QByteArray wavFile(const Samples& samples);

} // namespace resgen
