#pragma once
// The drawing context a canvas's paint handler receives: colour, font, text,
// lines and pictures, over a QPainter.
#include "platform/picture.h"
#include "platform/ref.h"
#include <QColor>
#include <QPainter>
#include <QString>
#include <cstdint>

namespace platform {

// 0xRRGGBB, opaque.
inline QColor rgb(uint32_t v) { return QColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF); }

class Graphics {
public:
    explicit Graphics(QPainter& painter) : p_(painter) {}

    void setForeColor(uint32_t colour) { fore_ = rgb(colour); }
    uint32_t ForeColor() const { return fore_.rgb() & 0xFFFFFF; }
    void setTextFont(const QString& family) { family_ = family; }
    // Text size in pixels.
    void setTextSize(int size) { size_ = size; }

    // Text with its baseline starting at (x, y).
    void DrawString(const QString& text, double x, double y);
    void DrawLine(double x1, double y1, double x2, double y2);
    // The whole picture at its own size with its top-left corner at (x, y).
    // An empty reference raises NilObjectException.
    void DrawPicture(const Ref<Picture>& pic, double x, double y);
    // The source rectangle of the picture scaled into the destination one.
    void DrawPicture(const Ref<Picture>& pic, double x, double y, double w, double h,
                     double sx, double sy, double sw, double sh);

    QPainter& painter() { return p_; }

private:
    QPainter& p_;
    QColor fore_ = Qt::black;
    QString family_ = QStringLiteral("System");
    int size_ = 12;
};

} // namespace platform
