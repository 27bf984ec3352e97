#pragma once
// The picture the notation canvas shows while no test runs.
#include "music_font.h"
#include <QImage>

namespace resgen {

QImage coverPicture(const MusicFont& font);

} // namespace resgen
