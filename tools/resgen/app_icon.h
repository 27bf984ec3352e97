#pragma once
// The program's icon for the desktop's menus: the cover's violet with a beamed
// pair of quavers from the group pictures, drawn afresh at each size so small
// sizes stay sharp.
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
