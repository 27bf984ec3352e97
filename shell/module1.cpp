#include "shell/module1.h"

namespace Module1 {

int64_t level;
int64_t stlevel;
int64_t tickspeed;
int64_t earlychange;
bool midiinput;
bool playmidinotes;
bool reptest;

bool countin;
int64_t metcount;
int64_t startruntime;
int64_t allnotes;
int64_t lastnoteplayed;
int64_t lasttesttickspeed;
bool retest;

int64_t totaltests;
int64_t totalnotes;
double totalaccuracy;
double correct;
double almost;
double miss;

bool midiinputpos;
std::shared_ptr<platform::PortMidiStreamMBS> s;
std::shared_ptr<platform::PortMidiMBS> pm;

platform::BoundedArray<platform::Ref<platform::Picture>, 31> notes;
platform::BoundedArray<int64_t, 31> notespace;
platform::BoundedArray<platform::Ref<platform::Sound>, 7> sounds;

void initialise()
{
    level = 2;
    stlevel = 0;
    tickspeed = 60;
    earlychange = 80;
    midiinput = false;
    playmidinotes = false;
    reptest = false;

    countin = true;
    metcount = 0;
    startruntime = 0;
    allnotes = 0;
    lastnoteplayed = 0;
    lasttesttickspeed = 0;
    retest = false;

    totaltests = 0;
    totalnotes = 0;
    totalaccuracy = 0;
    correct = 0;
    almost = 0;
    miss = 0;

    midiinputpos = false;
    s.reset();
    pm.reset();

    notes.fill(platform::Ref<platform::Picture>());
    notespace.fill(0);
    sounds.fill(platform::Ref<platform::Sound>());
}

namespace {
// Initial values before any other code of the program runs.
const bool initialised = (initialise(), true);
} // namespace

} // namespace Module1
