#include "group_engravings.h"
#include <cstddef>

namespace resgen {

namespace {

constexpr Value crotchet{0}, quaver{1}, semiquaver{2}, demisemiquaver{3};
constexpr Value dottedQuaver{1, false, true};
constexpr Value crotchetRest{0, true}, quaverRest{1, true}, semiquaverRest{2, true};

std::vector<Value> times(int count, Value v) { return std::vector<Value>(std::size_t(count), v); }

} // namespace

const std::vector<Engraving>& engravings()
{
    const Value c = crotchet, q = quaver, s = semiquaver, d = demisemiquaver;
    static const std::vector<Engraving> table = {
        {"crot", {c}},
        {"CR", {crotchetRest}},
        {"quav", times(2, q)},
        {"sniff", {quaverRest, q}},
        {"semi", times(4, s)},
        {"saus", {s, s, q}},
        {"wood", {q, s, s}},
        {"dobe", {dottedQuaver, s}},
        {"trip", times(3, q), 3},
        {"cq", {c, q}, 3},
        {"dqsq", {dottedQuaver, s, q}, 3},
        {"rtrip", {quaverRest, q, q}, 3},
        {"ssssss", times(6, s), 6},
        {"ssqq", {s, s, q, q}, 6},
        {"ssssq", {s, s, s, s, q}, 6},
        {"qssss", {q, s, s, s, s}, 6},
        {"eef", {s, q, s}},
        {"rttt", {semiquaverRest, s, s, s}},
        {"rqs", {semiquaverRest, q, s}},
        {"sddss", {s, d, d, s, s}},
        {"ddddss", {d, d, d, d, s, s}},
        {"sdddds", {s, d, d, d, d, s}},
        {"sssss", times(5, s), 5},
        {"ssrss", {s, s, semiquaverRest, s, s}, 5},
        {"sssrs", {s, s, s, semiquaverRest, s}, 5},
    };
    return table;
}

} // namespace resgen
