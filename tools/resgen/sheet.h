#pragma once
// Views of a finished resource folder for looking at by eye: a contact sheet
// of every picture, and mock-ups of the notation canvas during a test.
#include <QString>

namespace resgen {

// Every picture of the folder on one sheet, each with its name under it.
bool writeContactSheet(const QString& resourceFolder, const QString& outFile);

// A few bars drawn the way the notation canvas draws them, one canvas under
// the other; `zoom` 2 shows what a high-DPI screen gets.
bool writeCanvasMock(const QString& resourceFolder, const QString& outFile, int zoom);

} // namespace resgen
