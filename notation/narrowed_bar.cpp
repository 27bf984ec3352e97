#include "notation/narrowed_bar.h"
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <map>

namespace notation {

namespace {

// A stem in a full-size picture: its columns and rows, both inclusive.
struct Stem {
    int x0, x1, y0, y1;
    QRgb colour;
};

// Stems are the only strokes that run this far straight down; note heads,
// rests, digits and bracket hooks stay well below it.
constexpr int kLeastStemRun = 100;

bool opaque(QRgb pixel) { return qAlpha(pixel) > 128; }

std::vector<Stem> findStems(const QImage& picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    std::vector<Stem> stems;
    bool inStem = false;
    for (int x = 0; x < image.width(); ++x) {
        // The longest run of ink straight down this column.
        int best = 0, bestTop = 0, run = 0;
        for (int y = 0; y < image.height(); ++y) {
            run = opaque(image.pixel(x, y)) ? run + 1 : 0;
            if (run > best) {
                best = run;
                bestTop = y - run + 1;
            }
        }
        if (best < kLeastStemRun) {
            inStem = false;
            continue;
        }
        const int bottom = bestTop + best - 1;
        if (inStem) {
            Stem& s = stems.back();
            s.x1 = x;
            s.y0 = std::min(s.y0, bestTop);
            s.y1 = std::max(s.y1, bottom);
        } else {
            stems.push_back({x, x, bestTop, bottom, image.pixel(x, (bestTop + bottom) / 2)});
            inStem = true;
        }
    }
    // A stem's run goes on down the edge of its note head; the head is wide
    // enough to stay dark by itself.
    for (Stem& s : stems)
        while (s.y1 > s.y0 && s.x0 > 0 && opaque(image.pixel(s.x0 - 1, s.y1)))
            --s.y1;
    return stems;
}

// A picture's stems, found once: pictures are read once and kept.
const std::vector<Stem>& stemsOf(const QImage& picture)
{
    static std::map<qint64, std::vector<Stem>> found;
    auto it = found.find(picture.cacheKey());
    if (it == found.end())
        it = found.emplace(picture.cacheKey(), findStems(picture)).first;
    return it->second;
}

} // namespace

NarrowedBar narrowedBar(const std::vector<BarPiece>& pieces, int width)
{
    int fullWidth = 0, fullHeight = 0;
    for (const BarPiece& piece : pieces) {
        fullWidth = std::max(fullWidth, piece.left + piece.image->width());
        fullHeight = std::max(fullHeight, piece.image->height());
    }
    if (fullWidth <= 0 || width <= 0)
        return {};
    QImage full(fullWidth, fullHeight, QImage::Format_ARGB32_Premultiplied);
    full.fill(Qt::transparent);
    {
        QPainter painter(&full);
        for (const BarPiece& piece : pieces)
            painter.drawImage(piece.left, 0, *piece.image);
    }
    const double scale = double(width) / fullWidth;
    const int height = std::max(1, int(std::lround(fullHeight * scale)));
    QImage bar = full.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    // Averaged down, a stem thinner than a pixel turns grey, lighter the more
    // evenly it straddles two columns. As a font's hinting does, each stem
    // gets one whole column of full ink, the one under its centre.
    QPainter painter(&bar);
    for (const BarPiece& piece : pieces)
        for (const Stem& stem : stemsOf(*piece.image)) {
            const double centre = (piece.left + (stem.x0 + stem.x1 + 1) / 2.0) * scale;
            const int top = int(std::lround(stem.y0 * scale));
            const int bottom = int(std::lround((stem.y1 + 1) * scale));
            painter.fillRect(QRect(int(std::floor(centre)), top, 1, bottom - top), QColor::fromRgba(stem.colour));
        }
    return {bar, scale};
}

} // namespace notation
