#pragma once
// Every resource the program uses, made and written into one folder with a
// .qrc that lists them under the prefix "/res".
#include "music_font.h"
#include <QString>
#include <QStringList>

namespace resgen {

// File names ("go.png", "hi.wav"), pictures first, in the order of the
// program's resource list (shell/resource_list.h).
QStringList resourceFiles();

// Writes every file and "velvane.qrc" into the folder; false (with a message
// on stderr) when something could not be written, or when nothing was: a
// listed name that nothing makes, a made one that is not listed, a group
// picture that does not show its group's rhythm.
bool writeResources(const MusicFont& font, const QString& folder);

} // namespace resgen
