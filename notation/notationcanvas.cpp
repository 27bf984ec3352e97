// The notation canvas: the count-in caption during the pre-start wait, the
// current bar while a test runs, the cover picture otherwise. It only draws.
#include "engine/window1.h"
#include "platform/numbers.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"

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
        for (size_t k = 0; k < n; ++k) {
            platform::Ref<platform::Picture> p = notes[bargroups[k]];
            g.DrawPicture(p, static_cast<double>(barleft[k]), 100, p->Width() * 0.25, p->Height() * 0.25, 0, 0,
                          p->Width(), p->Height());
        }
    } else {
        g.DrawPicture(res::cover(), 0, 0);
    }
}
