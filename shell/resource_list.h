#pragma once
// Every picture and sound the program ships, each under its accessor's name
// (the file is the name with ".png" or ".wav"). This is the one list: the
// accessors are declared from it, the resource generator makes exactly these
// files, the build compiles them in, and the tests and the contact sheet walk
// it. Needs nothing but the standard library: the generator builds against it.
//
// A picture's entry is its name and what shows it (its kind); a sound's
// entry is its name. The build reads the names out of this file by the shape
// of the entries, so write nothing else in that shape here.
#include <array>
#include <string_view>

#define VELVANE_PICTURES(X)                                                                   \
    X(crot, Group) X(CR, Group) X(quav, Group) X(sniff, Group) X(semi, Group)                 \
    X(saus, Group) X(wood, Group) X(dobe, Group) X(trip, Group) X(cq, Group)                  \
    X(dqsq, Group) X(rtrip, Group) X(ssssss, Group) X(ssqq, Group) X(ssssq, Group)            \
    X(qssss, Group) X(eef, Group) X(rttt, Group) X(rqs, Group) X(sddss, Group)                \
    X(ddddss, Group) X(sdddds, Group) X(sssss, Group) X(ssrss, Group) X(sssrs, Group)         \
    X(canvasback, Canvas) X(cover, Canvas)                                                    \
    X(go, Button) X(stop, Button) X(repeat, Button) X(options, Button)                        \
    X(optionslight, Button) X(results, Button) X(resultslight, Button) X(help, Button)        \
    X(newtest, Button) X(play, Button) X(smallstop, Button)                                   \
    X(bdot, Dot) X(gdot, Dot) X(bldot, Dot) X(rdot, Dot) X(bbdot, Dot)                        \
    X(l1, Level) X(l2, Level) X(l3, Level) X(l1t, Level) X(l4, Level) X(l5, Level)            \
    X(l6, Level) X(l7, Level) X(l8, Level)                                                    \
    X(t24, TimeSignature) X(t34, TimeSignature) X(t44, TimeSignature) X(t54, TimeSignature)

#define VELVANE_SOUNDS(X) X(hi) X(low) X(c) X(d) X(e) X(f) X(g) X(a) X(ch)

namespace res {

// What shows a picture: a beat of the notation canvas, the canvas itself, a
// button, the hit strip or results graph, the options window's level and
// time-signature choices.
enum class PictureKind { Group, Canvas, Button, Dot, Level, TimeSignature };

struct PictureEntry {
    std::string_view name;
    PictureKind kind;
};

#define VELVANE_PICTURE_ENTRY(name, kind) PictureEntry{#name, PictureKind::kind},
inline constexpr std::array pictureList = {VELVANE_PICTURES(VELVANE_PICTURE_ENTRY)};
#undef VELVANE_PICTURE_ENTRY

#define VELVANE_SOUND_ENTRY(name) std::string_view{#name},
inline constexpr std::array soundList = {VELVANE_SOUNDS(VELVANE_SOUND_ENTRY)};
#undef VELVANE_SOUND_ENTRY

constexpr bool isPicture(std::string_view name, PictureKind kind)
{
    for (const PictureEntry& p : pictureList)
        if (p.name == name && p.kind == kind)
            return true;
    return false;
}

} // namespace res
