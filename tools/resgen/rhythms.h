#pragma once
// The rhythm of every group picture, and how one is engraved: notes spaced
// in proportion to their offsets within the beat, beamed and flagged the way
// the durations ask, tuplets numbered.
#include "ink.h"
#include "music_font.h"
#include <QString>
#include <vector>

namespace resgen {

// One note or rest: where it starts within the beat (a beat is 60) and its
// value as a count of beams (0 crotchet, 1 quaver, 2 semiquaver,
// 3 demisemiquaver).
struct Stroke {
    int offset;
    int beams;
    bool rest = false;
    bool dotted = false;
};

struct Rhythm {
    const char* name;
    int advance;   // pixels at full size; the picture is this wide
    std::vector<Stroke> strokes;
    int tuplet = 0; // 3, 5 or 6 for a tuplet, else 0
};

// The 25 group rhythms, each under its picture's name.
const std::vector<Rhythm>& rhythms();
const Rhythm* findRhythm(const QString& name);

// Space before the first note of a beat, in staff spaces.
constexpr double kBeatLeadIn = 0.3;

// The narrowest beat, in staff spaces, that still keeps the rhythm's notes
// and rests apart in proportion to their offsets: for small pictures, where
// the canvas's advances would waste room.
double compactBeatWidth(const MusicFont& font, const Rhythm& rhythm);

// The beat width for a picture `pictureWidth` staff spaces wide: the whole
// width, squeezed just enough that the last note, flag included, ends inside.
double fittingBeatWidth(const MusicFont& font, const Rhythm& rhythm, double pictureWidth);

// The rhythm on a beat `beatWidth` staff spaces wide starting at x = 0, the
// head line at y = 0.
Ink engraveRhythm(const MusicFont& font, const Rhythm& rhythm, double beatWidth);

} // namespace resgen
