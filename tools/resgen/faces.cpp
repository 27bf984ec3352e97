#include "faces.h"
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace resgen {

namespace {

struct Palette {
    QColor top, bottom, border, text;
};

Palette paletteOf(FaceColour colour)
{
    switch (colour) {
    case FaceColour::Green: return {QColor(76, 184, 96), QColor(34, 138, 62), QColor(24, 104, 46), Qt::white};
    case FaceColour::Red: return {QColor(232, 84, 84), QColor(190, 38, 44), QColor(146, 26, 32), Qt::white};
    case FaceColour::Amber: return {QColor(250, 170, 60), QColor(222, 122, 10), QColor(170, 90, 0), Qt::white};
    case FaceColour::Violet: return {QColor(160, 96, 250), QColor(118, 40, 220), QColor(86, 22, 170), Qt::white};
    case FaceColour::Blue: return {QColor(72, 150, 226), QColor(26, 100, 184), QColor(16, 74, 140), Qt::white};
    case FaceColour::Teal: return {QColor(54, 182, 190), QColor(14, 134, 146), QColor(8, 100, 110), Qt::white};
    case FaceColour::Slate: return {QColor(120, 134, 200), QColor(80, 94, 170), QColor(58, 68, 132), Qt::white};
    case FaceColour::Disabled: break;
    }
    return {QColor(238, 238, 238), QColor(218, 218, 218), QColor(196, 196, 196), QColor(160, 160, 160)};
}

QFont captionFont(int pixelSize)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, pixelSize * 0.06);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// The largest caption size up to `largest` that leaves room either side.
int fittingPixelSize(const QString& caption, int largest, double room)
{
    for (int size = largest; size > 8; --size) {
        const QFontMetricsF metrics(captionFont(size));
        if (metrics.horizontalAdvance(caption) <= room)
            return size;
    }
    return 8;
}

void drawIcon(QPainter& p, FaceIcon icon, const QRectF& box, const QColor& colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    if (icon == FaceIcon::Play) {
        QPainterPath triangle;
        triangle.moveTo(box.left(), box.top());
        triangle.lineTo(box.right(), box.center().y());
        triangle.lineTo(box.left(), box.bottom());
        triangle.closeSubpath();
        p.drawPath(triangle);
    } else if (icon == FaceIcon::Stop) {
        const double side = std::min(box.width(), box.height()) * 0.88;
        p.drawRoundedRect(QRectF(box.center() - QPointF(side / 2, side / 2), QSizeF(side, side)), 1.5, 1.5);
    }
}

} // namespace

QImage buttonFace(int width, int height, const QString& caption, FaceColour colour, FaceIcon icon)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    const Palette pal = paletteOf(colour);
    const QRectF body = QRectF(image.rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const double radius = std::min(10.0, height * 0.24);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, pal.top);
    fill.setColorAt(1, pal.bottom);
    p.setPen(QPen(pal.border, 1.5));
    p.setBrush(fill);
    p.drawRoundedRect(body, radius, radius);

    // A soft highlight over the upper half gives the face some depth.
    if (colour != FaceColour::Disabled) {
        QLinearGradient gloss(body.topLeft(), QPointF(body.left(), body.center().y()));
        gloss.setColorAt(0, QColor(255, 255, 255, 90));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawRoundedRect(body.adjusted(2, 2, -2, -body.height() / 2), radius - 2, radius - 2);
    }

    QRectF textBox = body;
    if (icon != FaceIcon::None) {
        const double side = height * 0.42;
        const QRectF iconBox(body.left() + height * 0.32, body.center().y() - side / 2, side * 0.9, side);
        drawIcon(p, icon, iconBox, pal.text);
        textBox.setLeft(iconBox.right() + 4);
    }

    const int size = fittingPixelSize(caption, int(height * 0.44), textBox.width() - 22);
    p.setFont(captionFont(size));
    if (colour != FaceColour::Disabled) {
        p.setPen(QColor(0, 0, 0, 70));
        p.drawText(textBox.translated(0, 1.2), Qt::AlignCenter, caption);
    }
    p.setPen(pal.text);
    p.drawText(textBox, Qt::AlignCenter, caption);
    return image;
}

QImage dot(DotKind kind)
{
    const QSize size = kind == DotKind::Hit ? QSize(16, 14) : QSize(10, 10);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF centre(size.width() / 2.0, size.height() / 2.0);

    // Colours tell the hit classes apart at a glance; the shapes and their
    // lightness still do for a reader who cannot tell red from green.
    switch (kind) {
    case DotKind::Hit:
        p.setPen(QPen(QColor(20, 50, 130), 1.2));
        p.setBrush(QColor(40, 110, 220));
        p.drawEllipse(centre, 5.8, 5.8);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 110));
        p.drawEllipse(centre + QPointF(-1.8, -1.8), 1.8, 1.8);
        break;
    case DotKind::Perfect:
        p.setPen(QPen(QColor(0, 100, 70), 1.0));
        p.setBrush(QColor(0, 158, 115));
        p.drawEllipse(centre, 4.4, 4.4);
        break;
    case DotKind::Near: {
        QPainterPath diamond;
        diamond.moveTo(5, 0.3);
        diamond.lineTo(9.7, 5);
        diamond.lineTo(5, 9.7);
        diamond.lineTo(0.3, 5);
        diamond.closeSubpath();
        p.setPen(QPen(QColor(0, 70, 140), 1.0));
        p.setBrush(QColor(86, 180, 233));
        p.drawPath(diamond);
        break;
    }
    case DotKind::WayOff:
        p.setPen(QPen(QColor(213, 94, 0), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(1.6, 1.6), QPointF(8.4, 8.4));
        p.drawLine(QPointF(8.4, 1.6), QPointF(1.6, 8.4));
        break;
    case DotKind::Written:
        p.setPen(QPen(QColor(30, 30, 30), 1.6));
        p.setBrush(Qt::white);
        p.drawEllipse(centre, 3.9, 3.9);
        break;
    }
    return image;
}

} // namespace resgen
