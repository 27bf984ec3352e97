#include "shell/resource_accessors.h"
#include "platform/resources.h"

namespace res {

#define VELVANE_DEFINE_PICTURE(name, kind)                \
    PictureRef name()                                     \
    {                                                     \
        static platform::PictureSlot slot(#name ".png"); \
        return slot.get();                                \
    }
VELVANE_PICTURES(VELVANE_DEFINE_PICTURE)
#undef VELVANE_DEFINE_PICTURE

#define VELVANE_DEFINE_SOUND(name)                      \
    SoundRef name()                                     \
    {                                                   \
        static platform::SoundSlot slot(#name ".wav"); \
        return slot.get();                              \
    }
VELVANE_SOUNDS(VELVANE_DEFINE_SOUND)
#undef VELVANE_DEFINE_SOUND

const std::vector<PictureAccessor>& allPictures()
{
#define VELVANE_PICTURE_ACCESSOR(name, kind) PictureAccessor{#name, &name},
    static const std::vector<PictureAccessor> all = {VELVANE_PICTURES(VELVANE_PICTURE_ACCESSOR)};
#undef VELVANE_PICTURE_ACCESSOR
    return all;
}

const std::vector<SoundAccessor>& allSounds()
{
#define VELVANE_SOUND_ACCESSOR(name) SoundAccessor{#name, &name},
    static const std::vector<SoundAccessor> all = {VELVANE_SOUNDS(VELVANE_SOUND_ACCESSOR)};
#undef VELVANE_SOUND_ACCESSOR
    return all;
}

} // namespace res
