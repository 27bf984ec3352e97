#include "notation/pitchwalk.h"

namespace pitchwalk {

std::optional<int64_t> next(int64_t previous, platform::Random& random)
{
    struct Step {
        int64_t lo, hi;
        bool redraw;
    };
    static constexpr Step walk[7] = {
        {1, 2, false}, {0, 2, true}, {0, 4, true}, {2, 4, true}, {0, 5, true}, {4, 6, true}, {4, 5, false},
    };
    if (previous < 0 || previous > 6)
        return std::nullopt;
    const Step& step = walk[previous];
    int64_t value = random.InRange(step.lo, step.hi);
    while (step.redraw && value == previous)
        value = random.InRange(step.lo, step.hi);
    return value;
}

} // namespace pitchwalk
