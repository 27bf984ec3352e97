#pragma once
// The nine levels as plain data, in the options window's reading order: the
// range of group indexes a test at that level draws from, and the groups its
// picture shows, which are those the level adds to the easier ones. The
// options window sets the range from this table and the resource generator
// draws the level pictures from it, so a picture shows what its level adds.
// Needs nothing but the standard library: the generator builds against it.
#include "notation/groupdata.h"
#include <array>
#include <cstdint>

namespace grouptable {

struct Level {
    const char* picture = ""; // the level's picture, the face of its button
    int64_t stlevel = 0;      // lowest group index drawn
    int64_t level = 0;        // highest group index drawn
    // The picture shows the groups from this index to `level`.
    int64_t addsFrom = 0;
};

inline constexpr std::array<Level, 9> levels = {{
    {"l1", 0, 2, 0},
    {"l1t", 9, 11, 9},
    {"l2", 0, 5, 3},
    {"l3", 0, 7, 6},
    {"l4", 0, 13, 12},
    {"l5", 0, 17, 14},
    {"l6", 0, 24, 22},
    {"l7", 0, 27, 25},
    {"l8", 0, 30, 28},
}};

static_assert([] {
    for (const Level& l : levels)
        if (l.stlevel < 0 || l.stlevel > l.addsFrom || l.addsFrom > l.level || l.level >= groupCount)
            return false;
    return true;
}(), "every level draws existing groups, and its picture shows some of them");

} // namespace grouptable
