#pragma once
// Windows the program shows or resizes stay inside the usable part of the
// screen its main window is on, frame and all.
#include <QScrollArea>
#include <QSize>

class QWidget;

namespace platform {

// Gives `window` (a top-level widget) the client size `wanted`, or less where
// the screen is smaller, and moves it, frame and all, into the available area
// of the screen that `anchor` is on (its own screen when `anchor` is null).
// A window that fits keeps its size and moves only when it runs over an edge.
// The frame counts as the window manager has drawn it; until the window is
// first exposed that frame is not known, so the anchor's stands in for it and
// the fit is made again once the window is exposed. A fixed-size window stays
// fixed at its new size.
void fitIntoScreen(QWidget* window, QSize wanted, const QWidget* anchor);

// The client area of a window whose controls keep their places and sizes at
// any window size: they lie on content() of a fixed size, which scrolls when
// the window is made smaller than it.
class ScrollingClient : public QScrollArea {
    Q_OBJECT
public:
    ScrollingClient(QWidget* window, QSize contentSize);
    QWidget* content() const { return widget(); }
    void setContentSize(QSize size);
    QSize contentSize() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillWindow();
};

} // namespace platform
