#pragma once
// The rhythm groups as plain data, for each group index 0 to 30: the name of
// its picture, its horizontal advance (pixels at the picture's full size)
// and the offsets of its notes in beat units (60 to a beat). The program
// times and scores its tests by this table, and the resource generator draws
// the group pictures from it, so what is drawn is what is timed.
// Needs nothing but the standard library: the generator builds against it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace grouptable {

struct GroupRhythm {
    static constexpr size_t maxRows = 6;

    const char* picture = "";
    int64_t advance = 0;
    size_t rows = 0;
    std::array<int64_t, maxRows> offsetSlots{};

    // Empty for a rest group; ascending, each 0 to 50.
    constexpr std::span<const int64_t> offsets() const { return {offsetSlots.data(), rows}; }
};

namespace detail {
constexpr GroupRhythm group(const char* picture, int64_t advance, std::initializer_list<int64_t> offsets)
{
    GroupRhythm g{picture, advance, offsets.size(), {}};
    size_t i = 0;
    for (int64_t o : offsets)
        g.offsetSlots.at(i++) = o; // more than maxRows does not compile
    return g;
}
} // namespace detail

inline constexpr std::array<GroupRhythm, 31> groups = {
    detail::group("crot", 201, {0}),
    detail::group("CR", 266, {}),
    detail::group("quav", 286, {0, 30}),
    detail::group("sniff", 288, {30}),
    detail::group("semi", 430, {0, 15, 30, 45}),
    detail::group("saus", 356, {0, 15, 30}),
    detail::group("wood", 364, {0, 30, 45}),
    detail::group("dobe", 304, {0, 45}),
    detail::group("CR", 266, {}),
    detail::group("crot", 201, {0}),
    detail::group("trip", 405, {0, 20, 40}),
    detail::group("cq", 353, {0, 40}),
    detail::group("dqsq", 350, {0, 30, 40}),
    detail::group("rtrip", 413, {20, 40}),
    detail::group("ssssss", 638, {0, 10, 20, 30, 40, 50}),
    detail::group("ssqq", 420, {0, 10, 20, 40}),
    detail::group("ssssq", 516, {0, 10, 20, 30, 40}),
    detail::group("qssss", 510, {0, 20, 30, 40, 50}),
    detail::group("crot", 201, {0}),
    detail::group("CR", 266, {}),
    detail::group("quav", 286, {0, 30}),
    detail::group("sniff", 288, {30}),
    detail::group("eef", 363, {0, 15, 45}),
    detail::group("rttt", 414, {15, 30, 45}),
    detail::group("rqs", 353, {15, 45}),
    detail::group("sddss", 435, {0, 15, 22, 30, 45}),
    detail::group("ddddss", 495, {0, 7, 15, 22, 30, 45}),
    detail::group("sdddds", 495, {0, 15, 22, 30, 37, 45}),
    detail::group("sssss", 457, {0, 12, 24, 36, 48}),
    detail::group("ssrss", 457, {0, 12, 36, 48}),
    detail::group("sssrs", 463, {0, 12, 24, 48}),
};

constexpr int64_t groupCount = int64_t(groups.size());

namespace detail {
constexpr bool offsetsAreInOneBeat(const GroupRhythm& g)
{
    int64_t previous = -1;
    for (int64_t o : g.offsets()) {
        if (o <= previous || o > 50)
            return false;
        previous = o;
    }
    return g.advance > 0;
}
} // namespace detail

static_assert([] {
    for (const GroupRhythm& g : groups)
        if (!detail::offsetsAreInOneBeat(g))
            return false;
    return true;
}(), "every group's offsets rise strictly within 0 to 50, and it moves on");

} // namespace grouptable
