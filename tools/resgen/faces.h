#pragma once
// Button faces with their captions drawn in, and the dots of the hit strip
// and the results graph.
#include <QImage>
#include <QString>

namespace resgen {

enum class FaceColour { Green, Red, Amber, Violet, Blue, Teal, Slate, Disabled };
enum class FaceIcon { None, Play, Stop };

QImage buttonFace(int width, int height, const QString& caption, FaceColour colour, FaceIcon icon = FaceIcon::None);

enum class DotKind {
    Hit,      // a hit on the hit strip
    Perfect,  // results graph: on the tick
    Near,     // 1 to 5 ticks off
    WayOff,   // 6 or more ticks off
    Written,  // where the note was due
};
QImage dot(DotKind kind);

} // namespace resgen
