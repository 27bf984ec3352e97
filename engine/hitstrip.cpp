// The hit strip: a ruler one bar long with a tick on every beat, and a dot for
// every hit of the current bar.
#include "engine/window1.h"
#include "shell/resource_accessors.h"

void Window1::Canvas2_Paint(platform::Graphics& g)
{
    g.setForeColor(0x000000);
    const double end = 100 + 120 * static_cast<double>(beatsinbar);
    g.DrawLine(100, 10, end, 10);
    for (int64_t k = 0; k <= beatsinbar - 1; ++k)
        g.DrawLine(100 + 120 * k, 5, 100 + 120 * k, 15);
    g.DrawLine(end, 5, end, 15);
    for (const int64_t at : place) {
        if (at != -1)
            g.DrawPicture(res::bdot(), 2 * static_cast<double>(at) + 92, 3);
    }
}
