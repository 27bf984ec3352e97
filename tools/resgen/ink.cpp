#include "ink.h"
#include <QPainter>
#include <QTransform>

namespace resgen {

void Ink::add(const QPainterPath& shape, QPointF at)
{
    shapes_.push_back(shape.translated(at));
}

void Ink::addRect(const QRectF& rect)
{
    QPainterPath path;
    path.addRect(rect.normalized());
    shapes_.push_back(path);
}

void Ink::append(const Ink& other, QPointF at)
{
    for (const QPainterPath& shape : other.shapes_)
        add(shape, at);
}

QRectF Ink::bounds() const
{
    QRectF all;
    for (const QPainterPath& shape : shapes_)
        all = all.united(shape.boundingRect());
    return all;
}

void Ink::paint(QPainter& painter, const QTransform& toPixels, const QColor& colour) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (const QPainterPath& shape : shapes_)
        painter.drawPath(toPixels.map(shape));
    painter.restore();
}

} // namespace resgen
