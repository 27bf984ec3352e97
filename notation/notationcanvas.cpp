// The notation canvas: the count-in caption during the pre-start wait, the
// current bar while a test runs, the cover picture otherwise. It only draws.
#include "engine/window1.h"
#include "platform/numbers.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include <algorithm>
#include <cmath>
#include <utility>

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
        // Left edge and width of picture k, drawn narrower by `narrow`.
        auto scaled = [&](size_t k, double narrow) {
            const double left = origin + (static_cast<double>(barleft[k]) - origin) * narrow;
            return std::pair{left, notes[bargroups[k]]->Width() * 0.25 * narrow};
        };
        auto rightEdge = [&](double narrow) {
            double right = 0;
            for (size_t k = 0; k < n; ++k) {
                auto [left, width] = scaled(k, narrow);
                right = std::max(right, left + width);
            }
            return right;
        };
        // A bar of wide groups would run past the canvas's right edge: it is
        // drawn narrower, by one factor for the whole bar, from the first
        // picture's left edge. Tops and heights stay, so the note heads keep
        // their place on the staff line. A bar that fits keeps factor 1.
        const double edge = static_cast<double>(Canvas1->width());
        double narrow = 1;
        const double right = rightEdge(1);
        if (right > edge && edge > origin) {
            narrow = (edge - origin) / (right - origin);
            // The division may land a rounding step or two past the edge.
            for (int step = 0; step < 16 && rightEdge(narrow) > edge; ++step)
                narrow = std::nextafter(narrow, 0.0);
        }
        for (size_t k = 0; k < n; ++k) {
            platform::Ref<platform::Picture> p = notes[bargroups[k]];
            auto [left, width] = scaled(k, narrow);
            g.DrawPicture(p, left, 100, width, p->Height() * 0.25, 0, 0, p->Width(), p->Height());
        }
    } else {
        g.DrawPicture(res::cover(), 0, 0);
    }
}
