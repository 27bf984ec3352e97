// The notation canvas: the count-in caption during the pre-start wait, the
// current bar while a test runs, the cover picture otherwise. It only draws.
#include "engine/window1.h"
#include "notation/group_picture_geometry.h"
#include "notation/narrowed_bar.h"
#include "platform/numbers.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include <algorithm>
#include <cmath>
#include <vector>

using namespace Module1;

void Window1::Canvas1_Paint(platform::Graphics& g)
{
    if (prestarttimer->Enabled()) {
        g.setForeColor(0xC000FF);
        g.setTextFont(QStringLiteral("Helvetica"));
        g.setTextSize(40);
        g.DrawString(platform::Str(beatsinbar) + QStringLiteral(" beats count in"), 250, 150);
    } else if (Timer1->Enabled()) {
        const size_t n = std::min(bargroups.size(), barleft.size());
        const double origin = n > 0 ? static_cast<double>(barleft[0]) : 0;
        // The canvas draws each picture at a quarter of its size, top at y = 100.
        constexpr double kCanvasScale = 0.25;
        constexpr double kCanvasTop = 100;
        auto rightEdge = [&] {
            double right = 0;
            for (size_t k = 0; k < n; ++k)
                right = std::max(right, static_cast<double>(barleft[k]) + notes[bargroups[k]]->Width() * kCanvasScale);
            return right;
        };
        // A bar of wide groups would run past the canvas's right edge: it is
        // drawn smaller as a whole, by one factor across and down, from the
        // first picture's left edge and about the staff line, so the heads
        // stay round and on the line. A bar that fits is drawn as laid out.
        const double edge = static_cast<double>(Canvas1->width());
        if (rightEdge() > edge && edge > origin) {
            // Pictures at full size are four times their canvas size.
            std::vector<notation::BarPiece> pieces;
            for (size_t k = 0; k < n; ++k)
                pieces.push_back({&notes[bargroups[k]]->image(), static_cast<int>((barleft[k] - barleft[0]) * 4)});
            const notation::NarrowedBar bar = notation::narrowedBar(pieces, static_cast<int>(std::floor(edge - origin)));
            const double top = kCanvasTop + grouppicture::headLineY * (kCanvasScale - bar.scale);
            g.painter().drawImage(QPointF(origin, std::round(top)), bar.image);
        } else {
            for (size_t k = 0; k < n; ++k) {
                platform::Ref<platform::Picture> p = notes[bargroups[k]];
                g.DrawPicture(p, static_cast<double>(barleft[k]), kCanvasTop, p->Width() * kCanvasScale,
                              p->Height() * kCanvasScale, 0, 0, p->Width(), p->Height());
            }
        }
    } else {
        g.DrawPicture(res::cover(), 0, 0);
    }
}
