#include "cover.h"
#include "geometry.h"
#include "engraver.h"
#include "notation_pictures.h"
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>

namespace resgen {

namespace {

QFont face(const char* family, int pixelSize, bool bold)
{
    QFont font{QString::fromLatin1(family)};
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

const QColor kViolet(118, 32, 220);

} // namespace

QImage coverPicture(const MusicFont& font)
{
    QImage image(kCanvasWidth, kCanvasHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // A faint violet glow behind the title.
    QRadialGradient glow(QPointF(170, 75), 300);
    glow.setColorAt(0, QColor(238, 228, 255));
    glow.setColorAt(1, QColor(255, 255, 255));
    p.fillRect(image.rect(), glow);

    // Title and subtitle.
    const QFont title = face("Comic Neue", 76, true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 40));
    p.drawText(QPointF(42, 100), QStringLiteral("Velvane"));
    p.setPen(kViolet);
    p.drawText(QPointF(40, 97), QStringLiteral("Velvane"));

    p.setFont(face("Comic Neue", 22, true));
    p.setPen(QColor(90, 90, 110));
    p.drawText(QPointF(46, 132), QStringLiteral("rhythm reading trainer"));

    // A bar of rhythm on the right, engraved like the tests, with the clef
    // of the test screen's staff.
    Ink bar = engraveRhythmRow(font, {"crot", "quav", "trip", "semi"}, 1.4, 0.2);
    Engraver(font, bar).glyph(glyph::unpitchedPercussionClef1, {-2.6, 0});
    Engraver(font, bar).staffLine(-3.2, -0.4);
    const QRectF box = bar.bounds();
    const QRectF room(QPointF(392, 34), QPointF(kCanvasWidth - 26, 140));
    const double space = std::min(room.width() / box.width(), room.height() / box.height());
    const QPointF origin = room.center() - box.center() * space;
    bar.paint(p, QTransform(space, 0, 0, space, origin.x(), origin.y()), QColor(58, 34, 110));

    // The hint, with the button's own word in the button's colour.
    const QFont hint = face("Liberation Sans", 21, false);
    const QFont hintBold = face("Liberation Sans", 21, true);
    const QString before = QStringLiteral("Press ");
    const QString word = QStringLiteral("START");
    const QString after = QStringLiteral(" to begin a test");
    const double width = QFontMetricsF(hint).horizontalAdvance(before + after) + QFontMetricsF(hintBold).horizontalAdvance(word);
    const QRectF pill(QPointF((kCanvasWidth - width) / 2 - 22, 166), QSizeF(width + 44, 40));
    p.setPen(QPen(QColor(210, 196, 240), 1.5));
    p.setBrush(QColor(250, 247, 255));
    p.drawRoundedRect(pill, 20, 20);

    double x = pill.left() + 22;
    const double baseline = pill.center().y() + 7.5;
    p.setFont(hint);
    p.setPen(QColor(60, 60, 70));
    p.drawText(QPointF(x, baseline), before);
    x += QFontMetricsF(hint).horizontalAdvance(before);
    p.setFont(hintBold);
    p.setPen(QColor(34, 138, 62));
    p.drawText(QPointF(x, baseline), word);
    x += QFontMetricsF(hintBold).horizontalAdvance(word);
    p.setFont(hint);
    p.setPen(QColor(60, 60, 70));
    p.drawText(QPointF(x, baseline), after);
    return image;
}

} // namespace resgen
