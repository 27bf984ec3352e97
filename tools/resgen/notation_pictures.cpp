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

Ink engraveRhythmRow(const MusicFont& font, const QStringList& rhythmNames, double gap, double spread)
{
    Ink ink;
    double x = 0;
    for (const QString& name : rhythmNames) {
        const Rhythm* rhythm = findRhythm(name);
        if (!rhythm)
            continue;
        const double compact = compactBeatWidth(font, *rhythm);
        const double natural = std::max(compact, rhythm->advance / kStaffSpace);
        const Ink figure = engraveRhythm(font, *rhythm, compact + spread * (natural - compact));
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

QImage levelPicture(const MusicFont& font, const LevelPicture& level)
{
    QImage image = transparentImage(level.size);
    const QRectF box(QPointF(3, 3), QSizeF(level.size) - QSizeF(6, 6));
    constexpr double kLargest = 8.0;
    // As large as the height allows; then, where the button is wide enough,
    // the beats spread out towards their spacing on the canvas.
    const double tallest = fittingSpace(engraveRhythmRow(font, level.rhythms, 1.6, 0), QSizeF(1e6, box.height()), kLargest);
    Ink ink = engraveRhythmRow(font, level.rhythms, 1.6, 0);
    for (double spread = 1.0; spread > 0; spread -= 0.05) {
        Ink wider = engraveRhythmRow(font, level.rhythms, 1.6, spread);
        if (fittingSpace(wider, box.size(), kLargest) >= tallest) {
            ink = wider;
            break;
        }
    }
    paintCentred(image, ink, box, fittingSpace(ink, box.size(), kLargest));
    return image;
}

QImage timeSignature(const MusicFont& font, int beats)
{
    const QSize size(38, 63);
    QImage image = transparentImage(size);
    Ink ink;
    Engraver e(font, ink);
    // The digits fill the two spaces above and below the line, as on a
    // five-line staff whose middle line this is.
    e.staffLine(-1.3, 1.3);
    e.timeSignatureDigit(beats, 0, -1.05);
    e.timeSignatureDigit(4, 0, 1.05);
    const double space = (size.height() - 3) / 4.2;
    paintInk(image, ink, space, QPointF(size.width() / 2.0, size.height() / 2.0));
    return image;
}

} // namespace resgen
