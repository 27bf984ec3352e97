#pragma once
// Every resource the program uses, made and written into one folder with a
// .qrc that lists them under the prefix "/res".
#include "music_font.h"
#include <QString>
#include <QStringList>

namespace resgen {

// File names ("go.png", "hi.wav"), pictures first, in a fixed order.
QStringList resourceFiles();

// Writes every file and "velvane.qrc" into the folder; false (with a message
// on stderr) when something could not be written.
bool writeResources(const MusicFont& font, const QString& folder);

} // namespace resgen
