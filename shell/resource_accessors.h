#pragma once
// One accessor per picture and sound, written by the resource's bare name
// (res::crot(), res::hi(), ...), one for each entry of resource_list.h.
// A picture found once is the same object for the rest of the run (compare by
// identity); a missing picture is looked up again on the next call. A sound is
// looked up once, on the first call, found or not.
#include "platform/picture.h"
#include "platform/ref.h"
#include "platform/sound.h"
#include "shell/resource_list.h"
#include <vector>

namespace res {

using PictureRef = platform::Ref<platform::Picture>;
using SoundRef = platform::Ref<platform::Sound>;

#define VELVANE_DECLARE_PICTURE(name, kind) PictureRef name();
VELVANE_PICTURES(VELVANE_DECLARE_PICTURE)
#undef VELVANE_DECLARE_PICTURE

#define VELVANE_DECLARE_SOUND(name) SoundRef name();
VELVANE_SOUNDS(VELVANE_DECLARE_SOUND)
#undef VELVANE_DECLARE_SOUND

// Every accessor with its name, for checks over the whole set.
struct PictureAccessor {
    const char* name;
    PictureRef (*get)();
};
struct SoundAccessor {
    const char* name;
    SoundRef (*get)();
};
const std::vector<PictureAccessor>& allPictures();
const std::vector<SoundAccessor>& allSounds();

} // namespace res
