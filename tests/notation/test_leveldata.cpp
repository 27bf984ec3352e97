// The level table: what each level's picture shows against the groups the
// level draws.
#include "notation/leveldata.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using Pictures = std::vector<std::string>;

// The group pictures at indexes from..to, in index order, each once.
Pictures picturesOf(int64_t from, int64_t to)
{
    Pictures names;
    for (int64_t g = from; g <= to; ++g) {
        const std::string name = grouptable::groups[size_t(g)].picture;
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

} // namespace

// A level's picture shows each group picture of its range that no level
// lying wholly inside that range draws already: what choosing it adds.
TEST(LevelData, EachPictureShowsWhatItsLevelAdds)
{
    for (const grouptable::Level& level : grouptable::levels) {
        std::set<std::string> easier;
        for (const grouptable::Level& other : grouptable::levels) {
            const bool inside = &other != &level && other.stlevel >= level.stlevel && other.level <= level.level;
            if (inside)
                for (const std::string& name : picturesOf(other.stlevel, other.level))
                    easier.insert(name);
        }
        Pictures adds;
        for (const std::string& name : picturesOf(level.stlevel, level.level))
            if (!easier.count(name))
                adds.push_back(name);
        Pictures shown; // as the resource generator draws them, one per index
        for (int64_t g = level.addsFrom; g <= level.level; ++g)
            shown.push_back(grouptable::groups[size_t(g)].picture);
        EXPECT_EQ(shown, adds) << level.picture;
    }
}
