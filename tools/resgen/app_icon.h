#pragma once
// The program's icon for the desktop's menus: the cover's violet with a beamed
// pair of quavers, drawn afresh at each size: engraved as in the group
// pictures at the larger sizes, a simpler figure on whole pixels at menu and
// panel sizes (16 to 24), where the engraving's thin lines would blur.
#include "music_font.h"
#include <QImage>
#include <QString>
#include <vector>

namespace resgen {

// Null when the group it shows is missing from the rhythm list.
QImage appIcon(const MusicFont& font, int size);

// Writes ROOT/hicolor/NxN/apps/NAME.png for each size; false (with a
// message on stderr) when something could not be written.
bool writeAppIcons(const MusicFont& font, const QString& root, const QString& name, const std::vector<int>& sizes);

} // namespace resgen
