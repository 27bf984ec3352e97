#pragma once
// The state every window shares: settings, the run state of a test or replay,
// the overall statistics, the MIDI input objects and the tables the main window
// fills at start-up. Each exists once and is read and written in place.
#include "platform/midi.h"
#include "platform/ref.h"
#include "platform/sound.h"
#include <cstdint>
#include <memory>

namespace platform { class Picture; }

namespace Module1 {

// Settings
extern int64_t level;
extern int64_t stlevel;
extern int64_t tickspeed;
extern int64_t earlychange;
extern bool midiinput;
extern bool playmidinotes;
extern bool reptest;

// Run state of a test or a replay
extern bool countin;
extern int64_t metcount;
extern int64_t startruntime;
extern int64_t allnotes;
extern int64_t lastnoteplayed;
extern int64_t lasttesttickspeed;
extern bool retest;

// Overall statistics
extern int64_t totaltests;
extern int64_t totalnotes;
extern double totalaccuracy;
extern double correct;
extern double almost;
extern double miss;

// MIDI input
extern bool midiinputpos;
extern std::shared_ptr<platform::PortMidiStreamMBS> s;
extern std::shared_ptr<platform::PortMidiMBS> pm;

// Tables filled at start-up
extern platform::BoundedArray<platform::Ref<platform::Picture>, 31> notes;
extern platform::BoundedArray<int64_t, 31> notespace;
extern platform::BoundedArray<platform::Ref<platform::Sound>, 7> sounds;

// Every global back to its initial value (start-up does this once; tests call
// it before each case).
void initialise();

} // namespace Module1
