#pragma once
// Engraving primitives on a single-line staff, in staff spaces: x from the
// left, y downwards, the staff line (where every note head sits) at y = 0.
// Dimensions follow the font's engraving defaults.
#include "ink.h"
#include "music_font.h"

namespace resgen {

namespace engraving {
constexpr double stemThickness = 0.12;
constexpr double beamThickness = 0.5;
constexpr double beamSpacing = 0.25;
constexpr double staffLineThickness = 0.13;
constexpr double tupletBracketThickness = 0.16;
constexpr double stemLength = 3.5;       // head line to the end of an up-stem
} // namespace engraving

class Engraver {
public:
    Engraver(const MusicFont& font, Ink& ink) : font_(font), ink_(ink) {}

    double headWidth() const;
    // Right edge of an up-stem on a head whose left edge is at headX.
    double stemRight(double headX) const { return headX + headWidth(); }
    double stemLeft(double headX) const { return stemRight(headX) - engraving::stemThickness; }

    void glyph(char32_t codePoint, QPointF origin);
    void notehead(double headX);
    void stemUp(double headX, double stemTop);
    // Flag of a lone quaver (beams 1), semiquaver (2) or demisemiquaver (3).
    void flagUp(int beams, double headX, double stemTop);
    // Beam `level` (1 = the outer one, at the stem ends) from x0 to x1.
    void beam(int level, double x0, double x1, double stemTop);
    void augmentationDot(double headX);
    // A rest worth a crotchet (beams 0), quaver (1), semiquaver (2) or
    // demisemiquaver (3), centred on centreX.
    void rest(int beams, double centreX);
    double restWidth(int beams) const;
    // Tuplet digits centred on centreX, standing on the baseline.
    void tupletNumber(int number, double centreX, double baseline);
    double tupletNumberWidth(int number) const;
    // Bracket from x0 to x1 with hooks pointing down and a gap for its
    // number, which stands on `baseline` with the bracket through its middle.
    void tupletBracket(int number, double x0, double x1, double baseline);
    void staffLine(double x0, double x1);
    void timeSignatureDigit(int digit, double centreX, double centreY);

private:
    static char32_t restGlyph(int beams);
    static QString digits(int number);

    const MusicFont& font_;
    Ink& ink_;
};

} // namespace resgen
