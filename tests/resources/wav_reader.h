#pragma once
// A small RIFF/WAVE reader of the tests' own, so the sound files are checked
// against the format itself and not against the program's decoder.
#include <QByteArray>
#include <QtEndian>
#include <cstdint>
#include <optional>
#include <vector>

namespace restest {

struct WavFile {
    int formatTag = 0;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::vector<int16_t> samples; // only read for 16-bit PCM
};

inline std::optional<WavFile> readWav(const QByteArray& bytes)
{
    auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(bytes.constData() + at); };
    auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return std::nullopt;
    WavFile wav;
    bool haveFormat = false, haveData = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype size = u32(at + 4);
        const qsizetype body = at + 8;
        if (body + size > bytes.size())
            return std::nullopt;
        if (id == "fmt " && size >= 16) {
            wav.formatTag = u16(body);
            wav.channels = u16(body + 2);
            wav.sampleRate = int(u32(body + 4));
            wav.bitsPerSample = u16(body + 14);
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            if (wav.formatTag == 1 && wav.bitsPerSample == 16)
                for (qsizetype i = 0; i + 1 < size; i += 2)
                    wav.samples.push_back(int16_t(u16(body + i)));
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveFormat || !haveData)
        return std::nullopt;
    return wav;
}

} // namespace restest
