#include "notation_pictures.h"
#include "engraver.h"
#include "geometry.h"
#include "notation/leveldata.h"
#include <QPainter>
#include <algorithm>
#include <map>
#include <string_view>

namespace resgen {

namespace {

const QColor kInk(0, 0, 0);
const QColor kStaffInk(64, 64, 64);

QImage transparentImage(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Paints ink in staff spaces scaled by `space` pixels, its origin at `origin`.
void paintInk(QImage& image, const Ink& ink, double space, QPointF origin, const QColor& colour = kInk)
{
    QPainter painter(&image);
    ink.paint(painter, QTransform(space, 0, 0, space, origin.x(), origin.y()), colour);
}

// The pixels per staff space at which ink fits `box`, at most `maxSpace`.
double fittingSpace(const Ink& ink, const QSizeF& box, double maxSpace)
{
    const QRectF b = ink.bounds();
    return std::min({box.width() / b.width(), box.height() / b.height(), maxSpace});
}

// Ink centred in `box` at `space` pixels per staff space.
void paintCentred(QImage& image, const Ink& ink, const QRectF& box, double space)
{
    paintInk(image, ink, space, box.center() - ink.bounds().center() * space);
}

} // namespace

QImage groupPicture(const MusicFont& font, const Rhythm& rhythm)
{
    QImage image = transparentImage(QSize(rhythm.advance, kGroupHeight));
    const double width = rhythm.advance / kStaffSpace;
    const Ink ink = engraveRhythm(font, rhythm, fittingBeatWidth(font, rhythm, width));
    paintInk(image, ink, kStaffSpace, QPointF(0, kHeadLineY));
    return image;
}

QImage canvasBackdrop(const MusicFont& font)
{
    QImage image(kCanvasWidth, kCanvasHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);

    // Two whole pixel rows centred on the head line keep the line sharp.
    const double space = kStaffSpace * kCanvasScale;
    const int lineTop = int(kCanvasStaffY) - 1;
    const int lineLeft = 196;
    painter.fillRect(QRect(lineLeft, lineTop, kCanvasWidth - lineLeft, 2), kStaffInk);

    Ink clef;
    Engraver(font, clef).glyph(glyph::unpitchedPercussionClef1, {0, 0});
    clef.paint(painter, QTransform(space, 0, 0, space, lineLeft + 5, kCanvasStaffY), kInk);
    return image;
}

Ink engraveRhythmRow(const MusicFont& font, const QStringList& rhythmNames, double gap, double spread, double strokeGap)
{
    Ink ink;
    double x = 0;
    for (const QString& name : rhythmNames) {
        const Rhythm* rhythm = findRhythm(name);
        if (!rhythm)
            continue;
        const double compact = compactBeatWidth(font, *rhythm, strokeGap);
        const double natural = std::max(compact, rhythm->advance / kStaffSpace);
        const double beat = spread >= 0 ? compact + spread * (natural - compact) : compact * (1 + spread);
        const Ink figure = engraveRhythm(font, *rhythm, beat, strokeGap);
        ink.append(figure, QPointF(x, 0));
        x += figure.bounds().right() + gap;
    }
    Engraver(font, ink).staffLine(-0.4, x - gap + 0.4);
    return ink;
}

const std::vector<LevelPicture>& levelPictures()
{
    // The size of each level's button in the options window.
    static const std::map<std::string_view, QSize> sizes = {
        {"l1", {121, 51}}, {"l2", {270, 46}}, {"l3", {121, 51}}, {"l1t", {167, 51}}, {"l4", {136, 51}},
        {"l5", {325, 51}}, {"l6", {167, 51}}, {"l7", {230, 51}}, {"l8", {230, 59}},
    };
    static const std::vector<LevelPicture> table = [] {
        std::vector<LevelPicture> pictures;
        for (const grouptable::Level& level : grouptable::levels) {
            QStringList added;
            for (int64_t g = level.addsFrom; g <= level.level; ++g)
                added << QString::fromLatin1(grouptable::groups[size_t(g)].picture);
            pictures.push_back({level.picture, sizes.at(level.picture), added});
        }
        return pictures;
    }();
    return table;
}

namespace {

// A level picture's row stays this far inside its button.
constexpr double kLevelMargin = 3;

QSizeF levelBox(const LevelPicture& level) { return QSizeF(level.size) - QSizeF(2 * kLevelMargin, 2 * kLevelMargin); }

// One staff size for all the level pictures, so their notes compare at a
// glance: the largest at which every row fits its button's height.
double levelStaffSpace(const MusicFont& font)
{
    double space = 8.0;
    for (const LevelPicture& level : levelPictures()) {
        const Ink row = engraveRhythmRow(font, level.rhythms, 1.6, 0);
        space = std::min(space, fittingSpace(row, QSizeF(1e6, levelBox(level).height()), space));
    }
    return space;
}

// The level's row at `space` pixels per staff space: its beats spread out
// towards their spacing on the canvas as far as the button allows, or,
// where even the compact row would be too wide, the gaps between beats and
// then between notes tightened until it fits.
Ink levelRow(const MusicFont& font, const LevelPicture& level, double space)
{
    const QSizeF box = levelBox(level);
    auto fits = [&](const Ink& row) {
        const QRectF b = row.bounds();
        return b.width() * space <= box.width() && b.height() * space <= box.height();
    };
    for (double spread = 1.0; spread > 0.01; spread -= 0.05)
        if (Ink row = engraveRhythmRow(font, level.rhythms, 1.6, spread); fits(row))
            return row;
    constexpr int kSteps = 10;
    for (int step = 0; step < kSteps; ++step) {
        const double tighten = double(step) / kSteps;
        const Ink row = engraveRhythmRow(font, level.rhythms, 1.6 - tighten * 0.8, 0, kStrokeGap - tighten * 0.35);
        if (fits(row))
            return row;
    }
    // Short notes keep the least step; longer ones lose their extra room.
    for (int step = 1; step < kSteps; ++step) {
        const Ink row = engraveRhythmRow(font, level.rhythms, 0.8, -double(step) / kSteps, kStrokeGap - 0.35);
        if (fits(row))
            return row;
    }
    return engraveRhythmRow(font, level.rhythms, 0.8, -1, kStrokeGap - 0.35);
}

} // namespace

QImage levelPicture(const MusicFont& font, const LevelPicture& level)
{
    const double space = levelStaffSpace(font);
    QImage image = transparentImage(level.size);
    const QRectF box(QPointF(kLevelMargin, kLevelMargin), levelBox(level));
    paintCentred(image, levelRow(font, level, space), box, space);
    return image;
}

QImage timeSignature(const MusicFont& font, int beats)
{
    const QSize size(38, 63);
    // White around the numerals, and the line reaching well past them on
    // both sides, so the picture reads as a time signature on a staff and
    // not as a fraction.
    constexpr double kMarginY = 7;      // pixels above and below the numerals
    constexpr double kLineOverhang = 6; // pixels of line beyond them on each side
    constexpr double kLineEnd = 1;      // pixels left clear at the picture's sides
    Ink numerals;
    Engraver digits(font, numerals);
    // The digits fill the two spaces above and below the line, as on a
    // five-line staff whose middle line this is.
    digits.timeSignatureDigit(beats, 0, -1.05);
    digits.timeSignatureDigit(4, 0, 1.05);
    const QRectF b = numerals.bounds();
    const double space = std::min((size.height() - 2 * kMarginY) / b.height(),
                                  (size.width() - 2 * (kLineEnd + kLineOverhang)) / b.width());
    Ink ink;
    const double halfLine = (size.width() / 2.0 - kLineEnd) / space;
    Engraver(font, ink).staffLine(-halfLine, halfLine);
    ink.append(numerals);
    QImage image = transparentImage(size);
    paintInk(image, ink, space, QPointF(size.width() / 2.0, size.height() / 2.0 - b.center().y() * space));
    return image;
}

} // namespace resgen
