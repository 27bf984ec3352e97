#pragma once
// A drawing kept as vector shapes, so one engraving can be painted at any
// size: a figure in the group pictures and the same figure small in the
// level pictures.
#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <vector>

class QPainter;
class QTransform;

namespace resgen {

class Ink {
public:
    void add(const QPainterPath& shape, QPointF at = {});
    void addRect(const QRectF& rect);
    void append(const Ink& other, QPointF at = {});

    bool isEmpty() const { return shapes_.empty(); }
    QRectF bounds() const;

    // Each shape is filled on its own: glyph outlines keep their holes and
    // overlapping shapes (a stem over a note head) never cancel out.
    void paint(QPainter& painter, const QTransform& toPixels, const QColor& colour) const;

private:
    std::vector<QPainterPath> shapes_;
};

} // namespace resgen
