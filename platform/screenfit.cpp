#include "platform/screenfit.h"
#include "platform/controls.h"
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace platform {

namespace {

// The frame round a top-level widget's client area, as far as Qt knows it.
QMargins frameOf(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

bool exposed(const QWidget* window)
{
    return window->windowHandle() && window->windowHandle()->isExposed();
}

// One side of a span of `length` starting at `start`, moved in to lie
// between `low` and `high` (a span as long as that room starts at `low`).
int moveIn(int start, int length, int low, int high)
{
    return std::max(low, std::min(start, high - length));
}

void place(QWidget* window, QSize wanted, const QWidget* anchor)
{
    const QScreen* screen = (anchor ? anchor : window)->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The window manager draws the same frame round the program's windows.
    const QMargins frame = exposed(window) || !anchor || !exposed(anchor) ? frameOf(window) : frameOf(anchor);
    const QSize size = wanted.boundedTo(area.size().shrunkBy(frame)).expandedTo(QSize(1, 1));
    if (window->minimumSize() == window->maximumSize())
        window->setFixedSize(size);
    else
        window->resize(size);

    // For a window, pos() is its frame's top-left corner.
    const QSize outer = size.grownBy(frame);
    const QPoint from = window->pos();
    const QPoint to(moveIn(from.x(), outer.width(), area.left(), area.right() + 1),
                    moveIn(from.y(), outer.height(), area.top(), area.bottom() + 1));
    if (to != from)
        window->move(to);
}

// Makes the fit again when the window is first exposed, where its own frame
// and the place the window manager chose for it are known.
class FitOnExpose : public QObject {
public:
    FitOnExpose(QWidget* window, QSize wanted, const QWidget* anchor)
        : QObject(window), window_(window), wanted_(wanted), anchor_(anchor)
    {
        setObjectName(QStringLiteral("FitOnExpose"));
        // The native window exists from the showing on; asking for it
        // earlier would make the main window's controls native windows too.
        if (window->windowHandle())
            window->windowHandle()->installEventFilter(this);
        else
            window->installEventFilter(this);
    }
    void update(QSize wanted, const QWidget* anchor)
    {
        wanted_ = wanted;
        anchor_ = anchor;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched == window_ && window_->windowHandle()) {
            watched->removeEventFilter(this);
            window_->windowHandle()->installEventFilter(this);
        } else if (event->type() == QEvent::Expose && window_ && exposed(window_)) {
            watched->removeEventFilter(this);
            place(window_, wanted_, anchor_);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    QSize wanted_;
    QPointer<const QWidget> anchor_;
};

} // namespace

void fitIntoScreen(QWidget* window, QSize wanted, const QWidget* anchor)
{
    place(window, wanted, anchor);
    if (exposed(window))
        return;
    auto* pending = window->findChild<FitOnExpose*>(QStringLiteral("FitOnExpose"), Qt::FindDirectChildrenOnly);
    if (pending)
        pending->update(wanted, anchor);
    else
        new FitOnExpose(window, wanted, anchor);
}

ScrollingClient::ScrollingClient(QWidget* window, QSize contentSize) : QScrollArea(window)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setWhiteBackground(viewport());
    auto* area = new QWidget();
    setWhiteBackground(area);
    area->setFixedSize(contentSize);
    setWidget(area);
    window->installEventFilter(this);
    fillWindow();
}

void ScrollingClient::setContentSize(QSize size)
{
    content()->setFixedSize(size);
    fillWindow();
}

void ScrollingClient::fillWindow()
{
    setGeometry(parentWidget()->rect());
    // Scroll bars only in a window smaller than its content: a window at its
    // full size shows none, also before the scroll area has laid itself out.
    const QSize full = contentSize();
    const bool smaller = width() < full.width() || height() < full.height();
    const Qt::ScrollBarPolicy policy = smaller ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
}

QSize ScrollingClient::contentSize() const { return content()->size(); }

bool ScrollingClient::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == parentWidget())
        fillWindow();
    return QScrollArea::eventFilter(watched, event);
}

} // namespace platform
