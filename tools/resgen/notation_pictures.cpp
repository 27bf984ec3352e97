#include "notation_pictures.h"
#include "engraver.h"
#include "geometry.h"
#include <QPainter>
#include <algorithm>

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

// Scales ink to fit `box` (at most `maxSpace` pixels per staff space) and
// centres it there.
void paintFitted(QImage& image, const Ink& ink, const QRectF& box, double maxSpace)
{
    const QRectF b = ink.bounds();
    const double space = std::min({box.width() / b.width(), box.height() / b.height(), maxSpace});
    const QPointF origin = box.center() - b.center() * space;
    paintInk(image, ink, space, origin);
}

} // namespace

QImage groupPicture(const MusicFont& font, const Rhythm& rhythm)
{
    QImage image = transparentImage(QSize(rhythm.advance, kGroupHeight));
    const Ink ink = engraveRhythm(font, rhythm, rhythm.advance / kStaffSpace);
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
    painter.fillRect(QRect(lineLeft, lineTop, kCanvasWidth - 10 - lineLeft, 2), kStaffInk);

    Ink clef;
    Engraver(font, clef).glyph(glyph::unpitchedPercussionClef1, {0, 0});
    clef.paint(painter, QTransform(space, 0, 0, space, lineLeft + 5, kCanvasStaffY), kInk);
    return image;
}

Ink engraveRhythmRow(const MusicFont& font, const QStringList& rhythmNames, double gap)
{
    Ink ink;
    double x = 0;
    for (const QString& name : rhythmNames) {
        const Rhythm* rhythm = findRhythm(name);
        if (!rhythm)
            continue;
        const double beat = rhythm->advance / kStaffSpace;
        ink.append(engraveRhythm(font, *rhythm, beat), QPointF(x, 0));
        x += beat + gap;
    }
    Engraver(font, ink).staffLine(-0.4, x - gap + 0.1);
    return ink;
}

const std::vector<LevelPicture>& levelPictures()
{
    static const std::vector<LevelPicture> table = {
        {"l1", {121, 51}, {"crot", "CR", "quav"}},
        {"l2", {270, 46}, {"sniff", "semi", "saus"}},
        {"l3", {121, 51}, {"wood", "dobe"}},
        {"l1t", {167, 51}, {"crot", "trip", "cq"}},
        {"l4", {136, 51}, {"dqsq", "rtrip"}},
        {"l5", {325, 51}, {"ssssss", "ssqq", "ssssq", "qssss"}},
        {"l6", {167, 51}, {"eef", "rttt", "rqs"}},
        {"l7", {230, 51}, {"sddss", "ddddss", "sdddds"}},
        {"l8", {230, 59}, {"sssss", "ssrss", "sssrs"}},
    };
    return table;
}

QImage levelPicture(const MusicFont& font, const LevelPicture& level)
{
    QImage image = transparentImage(level.size);
    const Ink ink = engraveRhythmRow(font, level.rhythms, 0.8);
    paintFitted(image, ink, QRectF(QPointF(3, 3), QSizeF(level.size) - QSizeF(6, 6)), 7.5);
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
