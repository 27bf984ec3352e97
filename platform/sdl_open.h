#pragma once
// Starting SDL's audio and opening its output without ever waiting for ever
// on a sound server that does not answer. SDL's open cannot be cancelled (its
// PipeWire driver waits for ever on a server without a session manager), nor
// can its close (PulseAudio's waits for ever on a server that hangs), so
// every start, open, close and quit runs on a thread of its own
// (DetachedCall) and is given up after kAnswerTime; the caller goes on with
// the next driver, or without sound.
// Called from one thread at a time: the GUI thread, or the one retry thread
// that SdlMixer runs while the GUI thread makes no SDL call.
#include <SDL.h>

#include <chrono>
#include <functional>
#include <set>
#include <string>

namespace platform::sdlaudio {

struct Output {
    SDL_AudioDeviceID device = 0; // opened paused; 0 when none could be
    SDL_AudioSpec obtained{};
    std::string driver; // the driver SDL's audio runs on
    std::string error;  // why no device, for the user
    bool gaveUp = false; // the caller stopped it (a quit): nothing to tell
    bool started = false; // the driver started, whether or not it opened
};

// The format asked of a driver; the buffer size depends on the driver.
using Wanted = std::function<SDL_AudioSpec(const std::string& driver)>;
// Asked while waiting: true stops the attempt at once.
using GiveUp = std::function<bool()>;
// The drivers that did not answer in a run (of one mixer): not tried again.
using Hung = std::set<std::string>;

// How long a driver may take to start or to open its output.
constexpr std::chrono::milliseconds kAnswerTime{2000};

// Starts SDL's audio afresh (quitting it first) on the first driver that
// starts and opens an output in time: the user's SDL_AUDIODRIVER when set;
// else SDL's PipeWire driver when a PipeWire server with an audio output
// answers (a server without outputs serves only video, next to another sound
// server, and a stream opened on it would never start), then as SDL chooses:
// the first of its drivers, in its order, that starts. A driver that does not
// answer in time is given up with one line on stderr, the next one is tried,
// and it goes into `hung`, which is not tried again. Each driver is tried
// first in a child process, which is killed when it does not answer, so only
// a driver that opened there is opened here.
Output chooseAndOpen(const Wanted& wanted, Hung& hung, const GiveUp& giveUp);

// Opens the output again on the driver SDL's audio already runs on. A driver
// that does not answer in time is given up as above.
//
// An open in this process that does not answer cannot be cancelled, and SDL's
// audio is not quit under it (it may return some day and go on inside the
// driver): until it has returned, every call here fails at once.
Output reopen(const Wanted& wanted, const std::string& driver, Hung& hung, const GiveUp& giveUp);

// Closes an output opened here. SDL's close waits for the output's thread,
// which waits for ever on a server that stopped answering under a running
// stream (PulseAudio's, stopped or hung): a close that has not returned after
// kAnswerTime is left to end in the background, and SDL's audio is left alone
// until it has, as after an open that did not answer.
void closeOutput(SDL_AudioDeviceID device);

// Quits SDL's audio when it is up, bounded in time as a close is.
void quitAudio();

} // namespace platform::sdlaudio
