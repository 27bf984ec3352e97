#include "notation/grouptable.h"
#include "platform/errors.h"
#include "shell/resource_accessors.h"
#include <string_view>

namespace grouptable {

static_assert([] {
    for (const GroupRhythm& g : groups)
        if (!res::isPicture(g.picture, res::PictureKind::Group))
            return false;
    return true;
}(), "every group shows one of the group pictures");

namespace {

const GroupRhythm& at(int64_t group)
{
    if (!isGroup(group))
        throw platform::OutOfBoundsException(QStringLiteral("group index %1").arg(group));
    return groups[static_cast<size_t>(group)];
}

} // namespace

bool isGroup(int64_t group) { return group >= 0 && group < groupCount; }

platform::Ref<platform::Picture> picture(int64_t group)
{
    const std::string_view name = at(group).picture;
    for (const res::PictureAccessor& p : res::allPictures())
        if (name == p.name)
            return p.get();
    return {};
}

int64_t advance(int64_t group) { return at(group).advance; }

const std::vector<int64_t>& offsets(int64_t group)
{
    static const std::vector<std::vector<int64_t>> lists = [] {
        std::vector<std::vector<int64_t>> all;
        for (const GroupRhythm& g : groups)
            all.emplace_back(g.offsets().begin(), g.offsets().end());
        return all;
    }();
    const GroupRhythm& g = at(group); // throws outside the table
    return lists[static_cast<size_t>(&g - groups.data())];
}

const char* pictureName(int64_t group) { return at(group).picture; }

} // namespace grouptable
