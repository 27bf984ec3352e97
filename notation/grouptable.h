#pragma once
// The rhythm groups: for each group index 0 to 30 its picture, its horizontal
// advance (pixels at the picture's full size) and the offsets of its notes in
// beat units (60 to a beat). The table itself is in groupdata.h.
#include "platform/picture.h"
#include "platform/ref.h"
#include "notation/groupdata.h"
#include <cstdint>
#include <vector>

namespace grouptable {

bool isGroup(int64_t group);
// The picture through its resource accessor (empty when it is missing).
platform::Ref<platform::Picture> picture(int64_t group);
int64_t advance(int64_t group);
// Empty for a rest group; ascending, each 0 to 50.
const std::vector<int64_t>& offsets(int64_t group);
// The accessor name of the group's picture ("crot", "CR", ...).
const char* pictureName(int64_t group);

} // namespace grouptable
