#pragma once
// Button faces with their captions drawn in, and the dots of the hit strip
// and the results graph.
#include <QImage>
#include <QSize>
#include <QString>
#include <vector>

namespace resgen {

enum class FaceColour { Green, Red, Amber, Violet, Blue, Teal, Slate, Disabled };
enum class FaceIcon { None, Play, Stop };

// Buttons of one rank show faces of one height with captions of one size, so
// that a row of them reads as one set.
struct FaceRank {
    int faceHeight;
    int captionPixels;
};

// One button picture: the size of the place that shows it, and the row of the
// picture where its face starts (the rest stays transparent).
struct FaceSpec {
    QString name;
    QSize picture;
    int faceTop;
    FaceRank rank;
    QString caption;
    FaceColour colour;
    FaceIcon icon = FaceIcon::None;
};

// Every button picture the program shows.
std::vector<FaceSpec> facePictures();

QImage buttonFace(const FaceSpec& face);

enum class DotKind {
    Hit,      // a hit on the hit strip
    Perfect,  // results graph: on the tick
    Near,     // 1 to 5 ticks off
    WayOff,   // 6 or more ticks off
    Written,  // where the note was due
};
QImage dot(DotKind kind);

} // namespace resgen
