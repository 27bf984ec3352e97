#include "platform/graphics.h"
#include "platform/fonts.h"

namespace platform {

void Graphics::DrawString(const QString& text, double x, double y)
{
    p_.setPen(fore_);
    p_.setFont(font(family_, size_));
    p_.drawText(QPointF(x, y), text);
}

void Graphics::DrawLine(double x1, double y1, double x2, double y2)
{
    p_.setPen(QPen(fore_, 1));
    p_.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void Graphics::DrawPicture(const Ref<Picture>& pic, double x, double y)
{
    p_.drawImage(QPointF(x, y), pic->image());
}

void Graphics::DrawPicture(const Ref<Picture>& pic, double x, double y, double w, double h,
                           double sx, double sy, double sw, double sh)
{
    const QImage& image = pic->image();
    p_.save();
    p_.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p_.drawImage(QRectF(x, y, w, h), image, QRectF(sx, sy, sw, sh));
    p_.restore();
}

} // namespace platform
