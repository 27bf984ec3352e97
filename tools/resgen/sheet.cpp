#include "sheet.h"
#include "geometry.h"
#include "rhythms.h"
#include "shell/resource_list.h"
#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <vector>

namespace resgen {

namespace {

struct Section {
    QString title;
    QStringList names;
    double scale;
    int zoom; // above 1: shown again this many times larger
};

QStringList namesOf(res::PictureKind kind)
{
    QStringList names;
    for (const res::PictureEntry& p : res::pictureList)
        if (p.kind == kind)
            names << QString::fromLatin1(p.name.data(), qsizetype(p.name.size()));
    return names;
}

QImage load(const QDir& dir, const QString& name)
{
    QImage image(dir.filePath(name + ".png"));
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A light checkerboard shows which parts of a picture are transparent.
void checker(QPainter& p, const QRectF& r)
{
    p.save();
    p.setClipRect(r);
    p.fillRect(r, QColor(250, 250, 250));
    const int cell = 8;
    for (int y = int(r.top()); y < r.bottom(); y += cell)
        for (int x = int(r.left()); x < r.right(); x += cell)
            if (((x - int(r.left())) / cell + (y - int(r.top())) / cell) % 2)
                p.fillRect(QRect(x, y, cell, cell), QColor(232, 232, 236));
    p.restore();
}

QFont labelFont(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace

bool writeContactSheet(const QString& resourceFolder, const QString& outFile)
{
    const QDir dir(resourceFolder);
    using Kind = res::PictureKind;
    const std::vector<Section> sections = {
        {"Group pictures (half size; frame = advance x picture height)", namesOf(Kind::Group), 0.5, 1},
        {"Notation canvas", namesOf(Kind::Canvas), 1, 1},
        {"Button faces", namesOf(Kind::Button), 1, 1},
        {"Dots (actual size, then 4x)", namesOf(Kind::Dot), 1, 4},
        {"Level pictures (actual size, then 2x)", namesOf(Kind::Level), 1, 2},
        {"Time signatures (actual size, then 2x)", namesOf(Kind::TimeSignature), 1, 2},
    };

    const int sheetWidth = 1560, margin = 20, gap = 18, labelHeight = 20;
    // Lay everything out once to learn the height, then paint.
    struct Cell {
        QString name;
        QImage image;
        double scale;
        QPointF at;
        int extraZoom;
    };
    std::vector<Cell> cells;
    std::vector<std::pair<QString, double>> headings;
    double y = margin;
    for (const Section& s : sections) {
        headings.emplace_back(s.title, y);
        y += 30;
        double x = margin, rowHeight = 0;
        const int zoom = s.zoom;
        for (const QString& name : s.names) {
            const QImage image = load(dir, name);
            const QSizeF shown = QSizeF(image.size()) * s.scale;
            const double width = std::max(shown.width() * (zoom > 1 ? 1 + zoom : 1) + (zoom > 1 ? 10 : 0), 90.0);
            const double height = shown.height() * zoom;
            if (x + width > sheetWidth - margin && x > margin) {
                x = margin;
                y += rowHeight + labelHeight + gap;
                rowHeight = 0;
            }
            cells.push_back({name, image, s.scale, QPointF(x, y), zoom});
            x += width + gap;
            rowHeight = std::max(rowHeight, height);
        }
        y += rowHeight + labelHeight + gap + 10;
    }

    QImage sheet(sheetWidth, int(y + margin), QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.setPen(QColor(60, 20, 120));
    p.setFont(labelFont(18, true));
    for (const auto& [title, top] : headings)
        p.drawText(QPointF(margin, top + 20), title);

    for (const Cell& c : cells) {
        const QRectF frame(c.at, QSizeF(c.image.size()) * c.scale);
        checker(p, frame);
        p.drawImage(frame, c.image);
        double right = frame.right();
        if (c.extraZoom > 1) {
            const QRectF big(QPointF(frame.right() + 10, frame.top()), frame.size() * c.extraZoom);
            checker(p, big);
            p.save();
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            p.drawImage(big, c.image);
            p.restore();
            right = big.right();
        }
        p.setPen(QColor(200, 200, 210));
        p.setBrush(Qt::NoBrush);
        p.drawRect(frame.adjusted(-0.5, -0.5, 0.5, 0.5));
        p.setPen(Qt::black);
        p.setFont(labelFont(13));
        const QString label = QStringLiteral("%1  %2x%3").arg(c.name).arg(c.image.width()).arg(c.image.height());
        p.drawText(QRectF(c.at.x(), c.at.y() + frame.height() * c.extraZoom + 2, std::max(right - c.at.x(), 200.0), labelHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, label);
    }
    p.end();
    return sheet.save(outFile);
}

bool writeCanvasMock(const QString& resourceFolder, const QString& outFile, int zoom)
{
    const QDir dir(resourceFolder);
    const std::vector<QStringList> bars = {
        {"crot", "quav", "semi", "CR"},
        {"sniff", "saus", "wood", "dobe"},
        {"trip", "cq", "dqsq", "rtrip"},
        {"ssssss", "ssqq", "ssssq"},
        {"qssss", "eef", "rttt", "rqs"},
        {"sddss", "ddddss", "sdddds"},
        {"sssss", "ssrss", "sssrs"},
        // A flag at the end of a beat, before the next beat's first note.
        {"sssrs", "sniff", "sssrs", "crot"},
    };
    const QImage backdrop = load(dir, "canvasback");
    const int gap = 8;
    QImage mock(kCanvasWidth * zoom, int(bars.size()) * (kCanvasHeight + gap) * zoom, QImage::Format_ARGB32_Premultiplied);
    mock.fill(QColor(200, 200, 200));
    QPainter p(&mock);
    p.scale(zoom, zoom);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    int top = 0;
    for (const QStringList& bar : bars) {
        p.save();
        p.translate(0, top);
        p.setClipRect(0, 0, kCanvasWidth, kCanvasHeight);
        p.drawImage(QPointF(0, 0), backdrop);
        // As the bar generator places them: a quarter of each advance,
        // truncated, after the one before.
        int x = 0;
        for (const QString& name : bar) {
            const Rhythm* rhythm = findRhythm(name);
            const QImage picture = load(dir, name);
            p.drawImage(QRectF(kBarLeft + x, kCanvasTop, picture.width() * kCanvasScale, picture.height() * kCanvasScale), picture);
            x += rhythm ? rhythm->advance / 4 : 0;
        }
        p.restore();
        top += kCanvasHeight + gap;
    }
    p.end();
    return mock.save(outFile);
}

} // namespace resgen
