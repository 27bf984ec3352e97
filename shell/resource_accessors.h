#pragma once
// One accessor per picture and sound, written by the resource's bare name.
// A picture found once is the same object for the rest of the run (compare by
// identity); a missing picture is looked up again on the next call. A sound is
// looked up once, on the first call, found or not.
#include "platform/picture.h"
#include "platform/ref.h"
#include "platform/sound.h"
#include <vector>

namespace res {

using PictureRef = platform::Ref<platform::Picture>;
using SoundRef = platform::Ref<platform::Sound>;

// Sounds
SoundRef hi();
SoundRef low();
SoundRef c();
SoundRef d();
SoundRef e();
SoundRef f();
SoundRef g();
SoundRef a();
SoundRef ch();

// Group pictures
PictureRef crot();
PictureRef CR();
PictureRef quav();
PictureRef sniff();
PictureRef semi();
PictureRef saus();
PictureRef wood();
PictureRef dobe();
PictureRef trip();
PictureRef cq();
PictureRef dqsq();
PictureRef rtrip();
PictureRef ssssss();
PictureRef ssqq();
PictureRef ssssq();
PictureRef qssss();
PictureRef eef();
PictureRef rttt();
PictureRef rqs();
PictureRef sddss();
PictureRef ddddss();
PictureRef sdddds();
PictureRef sssss();
PictureRef ssrss();
PictureRef sssrs();

// Main window
PictureRef canvasback();
PictureRef cover();
PictureRef go();
PictureRef stop();
PictureRef repeat();
PictureRef options();
PictureRef optionslight();
PictureRef results();
PictureRef resultslight();
PictureRef help();
PictureRef newtest();

// Hit strip and results window
PictureRef bdot();
PictureRef gdot();
PictureRef bldot();
PictureRef rdot();
PictureRef bbdot();
PictureRef play();
PictureRef smallstop();

// Options window
PictureRef l1();
PictureRef l2();
PictureRef l3();
PictureRef l4();
PictureRef l5();
PictureRef l6();
PictureRef l7();
PictureRef l8();
PictureRef l1t();
PictureRef t24();
PictureRef t34();
PictureRef t44();
PictureRef t54();

// Every accessor with its name, for checks over the whole set.
struct PictureAccessor {
    const char* name;
    PictureRef (*get)();
};
struct SoundAccessor {
    const char* name;
    SoundRef (*get)();
};
const std::vector<PictureAccessor>& allPictures();
const std::vector<SoundAccessor>& allSounds();

} // namespace res
