#include "engraver.h"
#include <algorithm>

namespace resgen {

namespace {
// Anchors of the font's metadata: where an up-stem meets the note head, and
// how far above a flag's origin the stem ends.
constexpr double kStemUpJoinY = -0.168;
constexpr double kFlagStemOverlap = 0.04;
constexpr double kDotGap = 0.25;
constexpr double kBracketHook = 0.6;
} // namespace

double Engraver::headWidth() const
{
    return font_.bounds(glyph::noteheadBlack).right();
}

void Engraver::glyph(char32_t codePoint, QPointF origin)
{
    ink_.add(font_.outline(codePoint), origin);
}

void Engraver::notehead(double headX)
{
    glyph(glyph::noteheadBlack, {headX, 0});
}

void Engraver::stemUp(double headX, double stemTop)
{
    ink_.addRect(QRectF(QPointF(stemLeft(headX), stemTop), QPointF(stemRight(headX), kStemUpJoinY)));
}

void Engraver::flagUp(int beams, double headX, double stemTop)
{
    const char32_t flag = beams >= 3 ? glyph::flag32ndUp : beams == 2 ? glyph::flag16thUp : glyph::flag8thUp;
    glyph(flag, {stemLeft(headX), stemTop - kFlagStemOverlap});
}

void Engraver::beam(int level, double x0, double x1, double stemTop)
{
    const double top = stemTop + (level - 1) * (engraving::beamThickness + engraving::beamSpacing);
    ink_.addRect(QRectF(QPointF(x0, top), QPointF(x1, top + engraving::beamThickness)));
}

void Engraver::augmentationDot(double headX)
{
    // The head sits on the line, so its dot goes into the space above.
    const QRectF dot = font_.bounds(glyph::augmentationDot);
    glyph(glyph::augmentationDot, {headX + headWidth() + kDotGap - dot.left(), -0.5});
}

char32_t Engraver::restGlyph(int beams)
{
    switch (beams) {
    case 0: return glyph::restQuarter;
    case 1: return glyph::rest8th;
    case 2: return glyph::rest16th;
    default: return glyph::rest32nd;
    }
}

double Engraver::restWidth(int beams) const
{
    return font_.bounds(restGlyph(beams)).width();
}

void Engraver::rest(int beams, double centreX)
{
    const QRectF box = font_.bounds(restGlyph(beams));
    glyph(restGlyph(beams), {centreX - box.center().x(), 0});
}

QString Engraver::digits(int number)
{
    return QString::number(number);
}

double Engraver::tupletNumberWidth(int number) const
{
    double width = 0;
    for (QChar c : digits(number))
        width += font_.bounds(glyph::tuplet0 + char32_t(c.digitValue())).right();
    return width;
}

void Engraver::tupletNumber(int number, double centreX, double baseline)
{
    double x = centreX - tupletNumberWidth(number) / 2;
    for (QChar c : digits(number)) {
        const char32_t g = glyph::tuplet0 + char32_t(c.digitValue());
        glyph(g, {x, baseline});
        x += font_.bounds(g).right();
    }
}

void Engraver::tupletBracket(int number, double x0, double x1, double baseline)
{
    const double t = engraving::tupletBracketThickness;
    const double centre = (x0 + x1) / 2;
    const double gap = tupletNumberWidth(number) / 2 + 0.3;
    const QRectF digit = font_.bounds(glyph::tuplet0 + 3);
    const double y = baseline + digit.center().y();
    ink_.addRect(QRectF(QPointF(x0, y - t / 2), QPointF(std::max(x0, centre - gap), y + t / 2)));
    ink_.addRect(QRectF(QPointF(std::min(x1, centre + gap), y - t / 2), QPointF(x1, y + t / 2)));
    ink_.addRect(QRectF(QPointF(x0, y - t / 2), QPointF(x0 + t, y + kBracketHook)));
    ink_.addRect(QRectF(QPointF(x1 - t, y - t / 2), QPointF(x1, y + kBracketHook)));
    tupletNumber(number, centre, baseline);
}

void Engraver::staffLine(double x0, double x1)
{
    const double half = engraving::staffLineThickness / 2;
    ink_.addRect(QRectF(QPointF(x0, -half), QPointF(x1, half)));
}

void Engraver::timeSignatureDigit(int digit, double centreX, double centreY)
{
    const char32_t g = glyph::timeSig0 + char32_t(digit);
    const QRectF box = font_.bounds(g);
    glyph(g, {centreX - box.center().x(), centreY - box.center().y()});
}

} // namespace resgen
