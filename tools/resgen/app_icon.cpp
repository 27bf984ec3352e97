#include "app_icon.h"
#include "engraver.h"
#include "rhythms.h"
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QSaveFile>
#include <cmath>

namespace resgen {

namespace {

// Below this size the engraving's thin stems and staff line blur into the
// tile, so the icon is drawn on the pixel grid instead.
constexpr int kSmallestEngraved = 24;

// Two beamed quavers on their staff line, engraved as in the tests.
bool drawEngravedQuavers(QPainter& p, const MusicFont& font, const QRectF& tile)
{
    const Rhythm* pair = findRhythm(QStringLiteral("quav"));
    if (!pair)
        return false;
    Ink figure = engraveRhythm(font, *pair, compactBeatWidth(font, *pair));
    const QRectF notes = figure.bounds();
    Engraver(font, figure).staffLine(notes.left() - 0.9, notes.right() + 0.9);

    const QRectF box = figure.bounds();
    const double room = tile.width() * 0.7;
    const double space = std::min(room / box.width(), room / box.height());
    // The middle of the notes, not of the line, on the tile's centre.
    const QPointF origin = tile.center() - notes.center() * space;
    figure.paint(p, QTransform(space, 0, 0, space, std::round(origin.x()), std::round(origin.y())), Qt::white);
    return true;
}

// The same pair reduced to what a few pixels can hold: solid heads, stems
// at least two pixels wide and a heavy beam on whole pixels, no staff line.
void drawPixelQuavers(QPainter& p, int size)
{
    const double k = size / 16.0;
    auto px = [k](double at16) { return int(std::lround(at16 * k)); };
    const int headWidth = px(5), headHeight = px(4), spacing = px(6);
    const int stem = std::max(2, px(2)), beam = px(3);
    const int left = (size - (spacing + headWidth)) / 2 + (size - (spacing + headWidth)) % 2;
    const int top = px(3), bottom = size - px(3);

    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int x : {left, left + spacing}) {
        const int stemLeft = x + headWidth - stem;
        p.setRenderHint(QPainter::Antialiasing, false);
        p.drawRect(stemLeft, top, stem, bottom - headHeight / 2 - top);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.save();
        p.translate(x + headWidth / 2.0, bottom - headHeight / 2.0);
        p.rotate(-20);
        p.drawEllipse(QPointF(0, 0), headWidth / 2.0 + 0.2, headHeight / 2.0);
        p.restore();
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawRect(left + headWidth - stem, top, spacing + stem, beam);
    p.restore();
}

} // namespace

QImage appIcon(const MusicFont& font, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);

    // A rounded tile in the cover title's violet, lighter at the top.
    // Whole pixels at the small sizes keep the tile's edge crisp.
    const double margin = size <= kSmallestEngraved ? 1 : size / 16.0;
    const QRectF tile(margin, margin, size - 2 * margin, size - 2 * margin);
    QLinearGradient shade(tile.topLeft(), tile.bottomLeft());
    shade.setColorAt(0, QColor(146, 74, 236));
    shade.setColorAt(1, QColor(92, 22, 178));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRoundedRect(tile, tile.width() * 0.2, tile.width() * 0.2);

    if (size <= kSmallestEngraved)
        drawPixelQuavers(p, size);
    else if (!drawEngravedQuavers(p, font, tile))
        return {};
    return image;
}

bool writeAppIcons(const MusicFont& font, const QString& root, const QString& name, const std::vector<int>& sizes)
{
    bool ok = true;
    for (int size : sizes) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(root).arg(size);
        QSaveFile file(folder + "/" + name + ".png");
        const QImage icon = appIcon(font, size);
        if (icon.isNull() || !QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || !icon.save(&file, "PNG")
            || !file.commit()) {
            qWarning("resgen: cannot write %s", qPrintable(file.fileName()));
            ok = false;
        }
    }
    return ok;
}

} // namespace resgen
