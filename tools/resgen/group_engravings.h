#pragma once
// How each group picture writes its beat: the value of every note and rest,
// in order, and the tuplet they make. Where the notes fall is the group
// table's (notation/groupdata.h); these values are checked against it when
// the pictures are made: they must fill the beat and start the notes exactly
// at the table's offsets, or no picture is made and the build stops.
#include <vector>

namespace resgen {

// A note or rest worth a crotchet (beams 0), quaver (1), semiquaver (2) or
// demisemiquaver (3), dotted or not; inside a tuplet, worth the tuplet's
// share of that.
struct Value {
    int beams;
    bool rest = false;
    bool dotted = false;
};

struct Engraving {
    const char* picture;
    std::vector<Value> values;
    int tuplet = 0; // 3, 5 or 6 for a tuplet, else 0
};

const std::vector<Engraving>& engravings();

} // namespace resgen
