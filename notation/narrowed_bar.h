#pragma once
// A bar too wide for the notation canvas, drawn smaller as a whole: the same
// factor across and down, so heads stay round, and every stem kept as dark
// as in a bar drawn at its usual size.
#include <QImage>
#include <vector>

namespace notation {

// One picture of a bar at full size and its left edge, in full-size pixels
// from the bar's first picture.
struct BarPiece {
    const QImage* image;
    int left;
};

struct NarrowedBar {
    QImage image;
    double scale = 0; // of the full size
};

// The pieces composed at full size and scaled to `width` pixels wide, the
// height in proportion, each pixel the average of the area it covers.
NarrowedBar narrowedBar(const std::vector<BarPiece>& pieces, int width);

} // namespace notation
