#pragma once
// The rhythm of every group picture, and how one is engraved: notes spaced
// in proportion to their offsets within the beat as far as the width allows,
// never closer than a head and a gap, beamed and flagged the way the
// durations ask, tuplets numbered.
#include "ink.h"
#include "music_font.h"
#include <QString>
#include <QStringList>
#include <vector>

namespace resgen {

// One note or rest: where it starts within the beat (a beat is 60) and its
// value as a count of beams (0 crotchet, 1 quaver, 2 semiquaver,
// 3 demisemiquaver).
struct Stroke {
    double offset;
    int beams;
    bool rest = false;
    bool dotted = false;
};

struct Rhythm {
    QString name;
    int advance;   // pixels at full size; the picture is this wide
    std::vector<Stroke> strokes;
    int tuplet = 0; // 3, 5 or 6 for a tuplet, else 0
};

// The group pictures, one for each picture the group table names, in the
// table's order: its advance, and its notes at the table's offsets written
// with the values of group_engravings.cpp.
const std::vector<Rhythm>& rhythms();
const Rhythm* findRhythm(const QString& name);

// Why the group table cannot be drawn as it stands (a picture without an
// engraving, values that miss the table's offsets, ...); empty when it can.
QStringList rhythmProblems();

// Space before the first note of a beat, and the least space after the last
// one's flag or dot, in staff spaces.
constexpr double kBeatLeadIn = 0.3;
constexpr double kBeatLeadOut = 0.6;
// The least gap between one note or rest and the next, in staff spaces: at
// the canvas's quarter size, about 7 pixels between two heads.
constexpr double kStrokeGap = 0.7;

// The narrowest beat, in staff spaces, that still keeps the rhythm's notes
// and rests apart in proportion to their offsets, at least `strokeGap`
// between neighbours: for small pictures, where the canvas's advances would
// waste room.
double compactBeatWidth(const MusicFont& font, const Rhythm& rhythm, double strokeGap = kStrokeGap);

// The beat width for a picture `pictureWidth` staff spaces wide: the whole
// width, squeezed just enough that the last note, flag included, ends
// kBeatLeadOut inside it.
double fittingBeatWidth(const MusicFont& font, const Rhythm& rhythm, double pictureWidth);

// The rhythm on a beat `beatWidth` staff spaces wide starting at x = 0, the
// head line at y = 0. Each gap between neighbours is its share of the beat,
// or `strokeGap` past the one before when that share is too small.
Ink engraveRhythm(const MusicFont& font, const Rhythm& rhythm, double beatWidth, double strokeGap = kStrokeGap);

} // namespace resgen
