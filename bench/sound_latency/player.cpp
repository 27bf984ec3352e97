// Plays clicks through SdlMixer at fixed intervals and prints, for each, the
// monotonic time just before the play (ns, CLOCK_MONOTONIC).
//   sound_latency_player [count] [interval_ms]
#include "platform/sound.h"
#include "platform/ticks.h"

#include <QCoreApplication>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>
#include <vector>

namespace {

int argOr(int argc, char** argv, int index, int fallback)
{
    if (index >= argc)
        return fallback;
    int value = fallback;
    const std::string_view text(argv[index]);
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// 5 ms of 2 kHz at 44100 Hz, full strength from the first period.
platform::Sound makeClick()
{
    constexpr int rate = 44100;
    constexpr int length = rate * 5 / 1000;
    std::vector<int16_t> samples(length);
    for (int i = 0; i < length; ++i)
        samples[size_t(i)] = int16_t(std::lround(29000.0 * std::sin(2.0 * M_PI * 2000.0 * i / rate)));
    return platform::Sound(QStringLiteral("click"), std::move(samples), rate);
}

} // namespace

int main(int argc, char** argv)
{
    // Run by the mixer to try a sound driver, it does only that.
    platform::answerSoundProbe();
    // The mixer's rest timer belongs to a Qt event loop, as in the program.
    QCoreApplication app(argc, argv);
    const int count = argOr(argc, argv, 1, 100);
    const int intervalMs = argOr(argc, argv, 2, 250);

    const platform::Sound click = makeClick();
    platform::SdlMixer mixer;
    if (!mixer.open())
        return 1;
    // As START does: the stream runs from well before the first click.
    mixer.setNeeded(true);
    std::printf("driver %s\n", mixer.driver().c_str());
    std::printf("rate %d\n", mixer.sampleRate());
    std::printf("buffer %d\n", mixer.bufferFrames());

    // Let the stream settle before the first click.
    using namespace std::chrono;
    const auto start = steady_clock::now() + milliseconds(500);
    std::vector<int64_t> plays;
    plays.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_until(start + milliseconds(int64_t(i) * intervalMs));
        plays.push_back(platform::monotonicNanoseconds());
        mixer.play(click);
    }
    std::this_thread::sleep_for(milliseconds(300));
    std::printf("voices %lld\n", static_cast<long long>(mixer.voicesStarted()));
    mixer.close();
    for (int64_t t : plays)
        std::printf("play %lld\n", static_cast<long long>(t));
    return 0;
}
