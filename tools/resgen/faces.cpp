#include "faces.h"
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace resgen {

namespace {

struct Palette {
    QColor top, bottom, border, text;
};

// Each face is dark enough for a white caption to stand out by at least
// 3:1 (relative luminance) everywhere the caption lies, its lighter top and
// the highlight included.
Palette paletteOf(FaceColour colour)
{
    switch (colour) {
    case FaceColour::Green: return {QColor(36, 142, 66), QColor(18, 106, 44), QColor(12, 80, 32), Qt::white};
    case FaceColour::Red: return {QColor(212, 52, 52), QColor(170, 26, 32), QColor(128, 18, 24), Qt::white};
    case FaceColour::Amber: return {QColor(200, 102, 0), QColor(164, 74, 0), QColor(120, 54, 0), Qt::white};
    case FaceColour::Violet: return {QColor(140, 72, 230), QColor(104, 34, 200), QColor(78, 20, 156), Qt::white};
    case FaceColour::Blue: return {QColor(42, 120, 210), QColor(20, 84, 166), QColor(12, 62, 126), Qt::white};
    case FaceColour::Teal: return {QColor(16, 128, 138), QColor(8, 96, 106), QColor(4, 72, 80), Qt::white};
    case FaceColour::Slate: return {QColor(92, 104, 176), QColor(66, 76, 146), QColor(48, 56, 110), Qt::white};
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

// Icons are as tall as the caption's capitals and a little more, so icon and
// word carry about the same weight.
QRectF iconBox(FaceIcon icon, double capHeight)
{
    if (icon == FaceIcon::Play)
        return QRectF(0, 0, capHeight * 1.1, capHeight * 1.25);
    if (icon == FaceIcon::Stop)
        return QRectF(0, 0, capHeight * 1.05, capHeight * 1.05);
    return {};
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
        p.drawRoundedRect(box, 1.5, 1.5);
    }
}

// The main window's row of buttons. Each shows its picture at a height of its
// own: the start button 30 pixels down in its 76-pixel button at y 308, the
// options and results pictures filling their 65-pixel buttons at 312, help
// filling its 46-pixel button at 328. Their faces share the window's rows 338
// to 373, so the row lines up, and the start face ends well above the
// new-test button that a held test shows at y 382, over the lowest rows of
// the start button's picture.
constexpr int kRowTop = 338;
constexpr FaceRank kMainRow{36, 18};
constexpr int kStartPictureTop = 308 + 30, kOptionsPictureTop = 312, kHelpPictureTop = 328;

// The new-test button under the start button: a lesser face.
constexpr FaceRank kNewTest{26, 13};

// The results window's replay button at its top-left corner: the face keeps
// clear of the window's top edge.
constexpr FaceRank kReplay{30, 15};

} // namespace

std::vector<FaceSpec> facePictures()
{
    const QSize start(173, 46), side(141, 65), help(117, 46), newTest(123, 32), replay(89, 45);
    const int startTop = kRowTop - kStartPictureTop, sideTop = kRowTop - kOptionsPictureTop,
              helpTop = kRowTop - kHelpPictureTop;
    const int newTestTop = (newTest.height() - kNewTest.faceHeight) / 2;
    const int replayTop = (replay.height() - kReplay.faceHeight) / 2;
    using C = FaceColour;
    return {
        {"go", start, startTop, kMainRow, "START", C::Green},
        {"stop", start, startTop, kMainRow, "STOP", C::Red},
        {"repeat", start, startTop, kMainRow, "REPEAT TEST", C::Amber},
        {"options", side, sideTop, kMainRow, "OPTIONS", C::Violet},
        {"optionslight", side, sideTop, kMainRow, "OPTIONS", C::Disabled},
        {"results", side, sideTop, kMainRow, "RESULTS", C::Blue},
        {"resultslight", side, sideTop, kMainRow, "RESULTS", C::Disabled},
        {"help", help, helpTop, kMainRow, "HELP", C::Teal},
        {"newtest", newTest, newTestTop, kNewTest, "NEW TEST", C::Slate},
        {"play", replay, replayTop, kReplay, "PLAY", C::Green, FaceIcon::Play},
        {"smallstop", replay, replayTop, kReplay, "STOP", C::Red, FaceIcon::Stop},
    };
}

QImage buttonFace(const FaceSpec& face)
{
    QImage image(face.picture, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    const Palette pal = paletteOf(face.colour);
    const double height = face.rank.faceHeight;
    const QRectF body = QRectF(0, face.faceTop, image.width(), height).adjusted(0.75, 0.75, -0.75, -0.75);
    const double radius = std::min(10.0, height * 0.24);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, pal.top);
    fill.setColorAt(1, pal.bottom);
    p.setPen(QPen(pal.border, 1.5));
    p.setBrush(fill);
    p.drawRoundedRect(body, radius, radius);

    // A soft highlight along the top gives the face some depth; it fades out
    // above the caption.
    if (face.colour != FaceColour::Disabled) {
        const QRectF band = body.adjusted(2, 2, -2, -body.height() * 0.62);
        QLinearGradient gloss(band.topLeft(), band.bottomLeft());
        gloss.setColorAt(0, QColor(255, 255, 255, 60));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawRoundedRect(band, radius - 2, radius - 2);
    }

    // Caption and icon centred together, the capitals centred on the face.
    const QFont font = captionFont(face.rank.captionPixels);
    const QFontMetricsF metrics(font);
    const double capHeight = metrics.capHeight();
    const double gap = face.icon == FaceIcon::None ? 0 : capHeight * 0.6;
    QRectF icon = iconBox(face.icon, capHeight);
    const double textWidth = metrics.horizontalAdvance(face.caption) - font.letterSpacing();
    const double left = std::round(body.center().x() - (icon.width() + gap + textWidth) / 2);
    const double baseline = std::round(face.faceTop + (height + capHeight) / 2);
    icon.moveTopLeft({left, baseline - capHeight / 2 - icon.height() / 2});
    drawIcon(p, face.icon, icon, pal.text);

    const QPointF textAt(left + icon.width() + gap, baseline);
    p.setFont(font);
    if (face.colour != FaceColour::Disabled) {
        p.setPen(QColor(0, 0, 0, 70));
        p.drawText(textAt + QPointF(0, 1.2), face.caption);
    }
    p.setPen(pal.text);
    p.drawText(textAt, face.caption);
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
        p.setPen(QPen(QColor(214, 20, 28), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(1.6, 1.6), QPointF(8.4, 8.4));
        p.drawLine(QPointF(8.4, 1.6), QPointF(1.6, 8.4));
        break;
    case DotKind::Written:
        // Smaller than the played dots, so a written note and a hit on it
        // read apart by size as well as by colour.
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(centre, 3.6, 3.6);
        break;
    }
    return image;
}

} // namespace resgen
