#pragma once
// Pictures of engraved music: the group pictures, the notation canvas's
// backdrop, the level pictures of the options window and the time
// signatures.
#include "music_font.h"
#include "rhythms.h"
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

namespace resgen {

// Full size, transparent, `advance` wide, the head line at kHeadLineY.
QImage groupPicture(const MusicFont& font, const Rhythm& rhythm);

// White, with the single staff line the group pictures' heads sit on.
QImage canvasBackdrop(const MusicFont& font);

struct LevelPicture {
    const char* name;
    QSize size;
    QStringList rhythms; // the groups the level adds, left to right
};
const std::vector<LevelPicture>& levelPictures();
QImage levelPicture(const MusicFont& font, const LevelPicture& level);

// A time signature of `beats` over 4 on a stretch of the single line.
QImage timeSignature(const MusicFont& font, int beats);

// The rhythms side by side on a staff line, `gap` staff spaces apart, each
// beat `spread` of the way from its compact width (0) to its width on the
// canvas (1), notes at least `strokeGap` apart; a spread below 0 squeezes
// the beats below their compact width, down to every note the least step
// from the one before (-1). Used by the level pictures and the cover.
Ink engraveRhythmRow(const MusicFont& font, const QStringList& rhythmNames, double gap, double spread,
                     double strokeGap = kStrokeGap);

} // namespace resgen
