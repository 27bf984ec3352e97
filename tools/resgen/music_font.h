#pragma once
// Glyph outlines of a SMuFL music font, in staff spaces with y growing
// downwards and the origin at the glyph's SMuFL origin.
#include <QPainterPath>
#include <QRawFont>
#include <QString>
#include <map>

namespace resgen {

// SMuFL code points used by the engraving.
namespace glyph {
constexpr char32_t noteheadBlack = 0xE0A4;
constexpr char32_t augmentationDot = 0xE1E7;
constexpr char32_t flag8thUp = 0xE240;
constexpr char32_t flag16thUp = 0xE242;
constexpr char32_t flag32ndUp = 0xE244;
constexpr char32_t restQuarter = 0xE4E5;
constexpr char32_t rest8th = 0xE4E6;
constexpr char32_t rest16th = 0xE4E7;
constexpr char32_t rest32nd = 0xE4E8;
constexpr char32_t unpitchedPercussionClef1 = 0xE069;
constexpr char32_t timeSig0 = 0xE080;  // digits 0..9 follow in order
constexpr char32_t tuplet0 = 0xE880;   // digits 0..9 follow in order
} // namespace glyph

class MusicFont {
public:
    // False when the file is missing or is no font.
    bool load(const QString& fontFile);

    QPainterPath outline(char32_t codePoint) const;
    QRectF bounds(char32_t codePoint) const { return outline(codePoint).boundingRect(); }

private:
    // The font's em is four staff spaces; loading at 400 px makes one staff
    // space 100 units, scaled down to 1 when an outline is handed out.
    static constexpr double kUnitsPerSpace = 100.0;
    QRawFont raw_;
    mutable std::map<char32_t, QPainterPath> cache_;
};

} // namespace resgen
