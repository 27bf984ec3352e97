#include "notation/grouptable.h"
#include "platform/errors.h"
#include "shell/resource_accessors.h"

namespace grouptable {

namespace {

struct Group {
    const char* name;
    res::PictureRef (*picture)();
    int64_t advance;
    std::vector<int64_t> offsets;
};

const std::vector<Group>& table()
{
    static const std::vector<Group> groups = {
        {"crot", &res::crot, 201, {0}},
        {"CR", &res::CR, 266, {}},
        {"quav", &res::quav, 286, {0, 30}},
        {"sniff", &res::sniff, 288, {30}},
        {"semi", &res::semi, 430, {0, 15, 30, 45}},
        {"saus", &res::saus, 356, {0, 15, 30}},
        {"wood", &res::wood, 364, {0, 30, 45}},
        {"dobe", &res::dobe, 304, {0, 45}},
        {"CR", &res::CR, 266, {}},
        {"crot", &res::crot, 201, {0}},
        {"trip", &res::trip, 405, {0, 20, 40}},
        {"cq", &res::cq, 353, {0, 40}},
        {"dqsq", &res::dqsq, 350, {0, 30, 40}},
        {"rtrip", &res::rtrip, 413, {20, 40}},
        {"ssssss", &res::ssssss, 638, {0, 10, 20, 30, 40, 50}},
        {"ssqq", &res::ssqq, 420, {0, 10, 20, 40}},
        {"ssssq", &res::ssssq, 516, {0, 10, 20, 30, 40}},
        {"qssss", &res::qssss, 510, {0, 20, 30, 40, 50}},
        {"crot", &res::crot, 201, {0}},
        {"CR", &res::CR, 266, {}},
        {"quav", &res::quav, 286, {0, 30}},
        {"sniff", &res::sniff, 288, {30}},
        {"eef", &res::eef, 363, {0, 15, 45}},
        {"rttt", &res::rttt, 414, {15, 30, 45}},
        {"rqs", &res::rqs, 353, {15, 45}},
        {"sddss", &res::sddss, 435, {0, 15, 22, 30, 45}},
        {"ddddss", &res::ddddss, 495, {0, 7, 15, 22, 30, 45}},
        {"sdddds", &res::sdddds, 495, {0, 15, 22, 30, 37, 45}},
        {"sssss", &res::sssss, 457, {0, 12, 24, 36, 48}},
        {"ssrss", &res::ssrss, 457, {0, 12, 36, 48}},
        {"sssrs", &res::sssrs, 463, {0, 12, 24, 48}},
    };
    return groups;
}

const Group& at(int64_t group)
{
    if (!isGroup(group))
        throw platform::OutOfBoundsException(QStringLiteral("group index %1").arg(group));
    return table()[static_cast<size_t>(group)];
}

} // namespace

bool isGroup(int64_t group) { return group >= 0 && group < groupCount; }

platform::Ref<platform::Picture> picture(int64_t group) { return at(group).picture(); }

int64_t advance(int64_t group) { return at(group).advance; }

const std::vector<int64_t>& offsets(int64_t group) { return at(group).offsets; }

const char* pictureName(int64_t group) { return at(group).name; }

} // namespace grouptable
