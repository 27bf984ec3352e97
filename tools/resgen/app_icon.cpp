#include "app_icon.h"
#include "engraver.h"
#include "rhythms.h"
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QSaveFile>
#include <cmath>

namespace resgen {

QImage appIcon(const MusicFont& font, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);

    // A rounded tile in the cover title's violet, lighter at the top.
    const double margin = size / 16.0;
    const QRectF tile(margin, margin, size - 2 * margin, size - 2 * margin);
    QLinearGradient shade(tile.topLeft(), tile.bottomLeft());
    shade.setColorAt(0, QColor(146, 74, 236));
    shade.setColorAt(1, QColor(92, 22, 178));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRoundedRect(tile, tile.width() * 0.2, tile.width() * 0.2);

    // Two beamed quavers on their staff line, engraved as in the tests.
    const Rhythm* pair = findRhythm(QStringLiteral("quav"));
    if (!pair)
        return {};
    Ink figure = engraveRhythm(font, *pair, compactBeatWidth(font, *pair));
    const QRectF notes = figure.bounds();
    Engraver(font, figure).staffLine(notes.left() - 0.9, notes.right() + 0.9);

    // Thin strokes vanish at the smallest sizes, so the figure fills more of
    // the tile there.
    const QRectF box = figure.bounds();
    const double room = tile.width() * (size <= 24 ? 0.84 : 0.7);
    const double space = std::min(room / box.width(), room / box.height());
    // The middle of the notes, not of the line, on the tile's centre.
    const QPointF origin = tile.center() - notes.center() * space;
    figure.paint(p, QTransform(space, 0, 0, space, std::round(origin.x()), std::round(origin.y())), Qt::white);
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
