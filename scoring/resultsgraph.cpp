// The results graph: a legend of the four dots, then one row per two bars of
// the test with a written dot where each note was due and, for a played note,
// a dot in the colour of its hit class where it was played.
#include "engine/window1.h"
#include "platform/numbers.h"
#include "scoring/resultswin.h"
#include "shell/resource_accessors.h"

using platform::TruncToInt64;
using platform::Val;

namespace {

constexpr int64_t leftMargin = 20;
constexpr int64_t firstRowY = 55;
constexpr int64_t rowPitch = 55;

// A picture that cannot be fetched is left out rather than failing the paint.
void drawDot(platform::Graphics& g, const res::PictureRef& pic, double x, double y)
{
    if (pic)
        g.DrawPicture(pic, x, y);
}

// The played dot tells the hit class: on the tick, 1 to 5 ticks off either
// way, or further off.
res::PictureRef playedDot(int64_t h, double o)
{
    const double hit = static_cast<double>(h);
    if (hit == o)
        return res::gdot();
    if (hit > o && hit < o + 6)
        return res::bldot();
    if (hit < o && hit > o - 6)
        return res::bldot();
    return res::rdot();
}

} // namespace

void resultswin::Canvas1_Paint(platform::Graphics& g)
{
    g.setTextSize(14);
    g.setTextFont(QStringLiteral("comic sans MS"));
    drawDot(g, res::bbdot(), 10, 10);
    g.DrawString(QStringLiteral("= as written "), 30, 15);
    drawDot(g, res::gdot(), 140, 10);
    g.DrawString(QStringLiteral("= spot on"), 160, 15);
    drawDot(g, res::bldot(), 270, 10);
    g.DrawString(QStringLiteral("= almost correct"), 290, 15);
    drawDot(g, res::rdot(), 420, 10);
    g.DrawString(QStringLiteral("= whoops!"), 440, 15);

    Window1* w = Window1::existing();
    if (!w)
        return;
    platform::Listbox& notes = *w->notelist;
    const int64_t count = notes.ListCount();
    // No test has left rows yet (START and STOP in the first wait): legend only.
    if (count == 0)
        return;

    const int64_t b = w->beatsinbar;
    const int64_t rowUnits = 120 * b;
    const int64_t rowTicks = w->ts(120) * b;
    const int64_t last = TruncToInt64(Val(notes.Cell(count - 1, 0)));
    // Without a tempo no time converts; every note then sits on the first row.
    const int64_t lastRow = rowTicks > 0 ? last / rowTicks : 0;

    g.setForeColor(0x000000);
    const int64_t rowWidth = 240 * b;
    // Rows below the canvas would be cut off anyway.
    for (int64_t i = 0; i <= lastRow && firstRowY + rowPitch * i - 20 < Canvas1->height(); ++i) {
        const double y = static_cast<double>(firstRowY + rowPitch * i);
        g.DrawLine(leftMargin, y, static_cast<double>(leftMargin + rowWidth), y);
        for (int64_t j = 0; j <= 2 * b; ++j) {
            const double x = static_cast<double>(leftMargin + 120 * j);
            g.DrawLine(x, y - 10, x, y + 10);
        }
        g.DrawLine(leftMargin, y - 20, leftMargin, y + 20);
        const double middle = static_cast<double>(leftMargin + 120 * b);
        g.DrawLine(middle, y - 20, middle, y + 20);
    }

    for (int64_t row = 0; row < count; ++row) {
        const QString onset = notes.Cell(row, 0);
        const QString hit = notes.Cell(row, 1);
        const int64_t u = w->tempoplace(TruncToInt64(Val(onset)));
        const int64_t r = u / rowUnits;
        const int64_t q = u % rowUnits;
        const int64_t p = w->tempoplace(TruncToInt64(Val(notes.Cell(row, 2)))) % rowUnits;
        const double rowY = static_cast<double>(rowPitch * r);
        if (!hit.isEmpty())
            drawDot(g, playedDot(TruncToInt64(Val(hit)), Val(onset)), static_cast<double>(15 + 2 * p),
                    55 + rowY);
        drawDot(g, res::bbdot(), static_cast<double>(15 + 2 * q), 45 + rowY);
    }
}
