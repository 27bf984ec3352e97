#pragma once
// Reading a group picture the way a user sees it on the notation canvas: at
// a quarter of its size, smoothly scaled, the note heads as the dark runs
// along the head line.
#include "notation/groupdata.h"
#include <QImage>
#include <QPainter>
#include <QString>
#include <string_view>
#include <vector>

namespace group_heads {

inline QImage fullSize(std::string_view name)
{
    QImage image(QStringLiteral(":/res/%1.png").arg(QString::fromLatin1(name.data(), qsizetype(name.size()))));
    return image.convertToFormat(QImage::Format_ARGB32);
}

// As the canvas draws it: a quarter of the size, smooth scaling.
inline QImage canvasSize(const QImage& picture)
{
    QImage out((picture.width() + 3) / 4, (picture.height() + 3) / 4, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawImage(QRectF(0, 0, picture.width() * 0.25, picture.height() * 0.25), picture);
    p.end();
    return out.convertToFormat(QImage::Format_ARGB32);
}

inline bool inked(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)) > 128; }

// Columns first to last, both inked.
struct InkRun {
    int first, last;
    int width() const { return last - first + 1; }
    double centre() const { return (first + last + 1) / 2.0; }
};

// The runs of row y whose pixels all count as ink (by default: mostly opaque).
template <typename IsInk = bool (*)(const QImage&, int, int)>
std::vector<InkRun> runsOnRow(const QImage& image, int y, IsInk isInk = inked)
{
    std::vector<InkRun> runs;
    int start = -1;
    for (int x = 0; x <= image.width(); ++x) {
        const bool ink = x < image.width() && isInk(image, x, y);
        if (ink && start < 0)
            start = x;
        if (!ink && start >= 0) {
            runs.push_back({start, x - 1});
            start = -1;
        }
    }
    return runs;
}

// The crotchet's head: the row where its ink is widest is the head line.
struct HeadLine {
    int row = -1;
    int headWidth = 0;
};

inline HeadLine headLineOf(const QImage& crotchet)
{
    HeadLine line;
    for (int y = 0; y < crotchet.height(); ++y)
        for (const InkRun& r : runsOnRow(crotchet, y))
            if (r.width() > line.headWidth)
                line = {y, r.width()};
    return line;
}

// The heads on the head line: runs at least half a head wide. A rest crosses
// the line with a thin stroke, a stem does not reach it.
inline std::vector<InkRun> heads(const QImage& image, const HeadLine& line)
{
    std::vector<InkRun> found;
    for (const InkRun& r : runsOnRow(image, line.row))
        if (r.width() * 2 >= line.headWidth)
            found.push_back(r);
    return found;
}

// The first index of each picture in the group table.
inline std::vector<const grouptable::GroupRhythm*> distinctGroups()
{
    std::vector<const grouptable::GroupRhythm*> distinct;
    for (const grouptable::GroupRhythm& g : grouptable::groups) {
        bool seen = false;
        for (const auto* d : distinct)
            seen |= std::string_view(d->picture) == g.picture;
        if (!seen)
            distinct.push_back(&g);
    }
    return distinct;
}

} // namespace group_heads
