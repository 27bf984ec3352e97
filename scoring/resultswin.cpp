#include "scoring/resultswin.h"
#include "engine/window1.h"
#include "platform/screenfit.h"
#include "platform/services.h"
#include "shell/resource_accessors.h"
#include <QCloseEvent>
#include <QPointer>
#include <algorithm>

namespace {

QPointer<resultswin> shared;

constexpr int createdWidth = 652;
constexpr int createdHeight = 478;
constexpr int smallestSide = 64;
constexpr int largestSide = 32000;

constexpr int canvasTop = 45;
constexpr int canvasBelowBottom = 151;

int clampSide(int v) { return std::clamp(v, smallestSide, largestSide); }

} // namespace

resultswin::resultswin()
{
    setWindowTitle(QStringLiteral("Results"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinMaxButtonsHint);
    // A closed window is gone; the next request builds a fresh one.
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(createdWidth, createdHeight);
    platform::setWhiteBackground(this);
    // At every size the results button sets, the graph and the button keep
    // their places; a screen too small for the window scrolls them.
    client = new platform::ScrollingClient(this, QSize(createdWidth, createdHeight));

    Canvas1 = new platform::Canvas(client->content());
    placeCanvas();
    Canvas1->Paint = [this](platform::Graphics& g) { Canvas1_Paint(g); };

    BevelButton1 = new platform::BevelButton(client->content());
    BevelButton1->setGeometry(5, 0, 89, 45);
    BevelButton1->setFocusPolicy(Qt::NoFocus);
    BevelButton1->setIcon(res::play());
    BevelButton1->Action = [this] { BevelButton1_Action(); };

    Window1* main = Window1::existing();
    if (main)
        move(main->frameGeometry().center() - QPoint(createdWidth / 2, createdHeight / 2));
    platform::fitIntoScreen(this, client->contentSize(), main);
    platform::guarded([this] { Event_Open(); });
}

resultswin* resultswin::instance()
{
    if (!shared) {
        shared = new resultswin();
        shared->show();
    }
    return shared;
}

resultswin* resultswin::existing() { return shared; }

void resultswin::setHeight(int h) { setClientSize(QSize(client->contentSize().width(), clampSide(h))); }

void resultswin::setWidth(int w) { setClientSize(QSize(clampSide(w), client->contentSize().height())); }

QSize resultswin::clientSize() const { return client->contentSize(); }

void resultswin::setClientSize(QSize size)
{
    client->setContentSize(size);
    placeCanvas();
    platform::fitIntoScreen(this, size, Window1::existing());
}

void resultswin::showCurrentTest()
{
    Canvas1->Refresh();
    platform::bringToFront(this);
}

void resultswin::refreshGraph()
{
    if (shared)
        shared->Canvas1->Refresh();
}

void resultswin::placeCanvas()
{
    const QSize area = client->contentSize();
    Canvas1->setGeometry(0, canvasTop, area.width(), area.height() - canvasTop + canvasBelowBottom);
}

void resultswin::Event_Open() {}

void resultswin::Event_Close()
{
    Window1* w = Window1::existing();
    if (!w)
        return;
    // The replay had locked the tempo; an idle replay clock has nothing to give back.
    if (w->replaytimer->Enabled())
        w->stopreplay();
}

void resultswin::closeEvent(QCloseEvent* event)
{
    platform::guarded([this] { Event_Close(); });
    // From here on the window counts as gone, though Qt deletes it later.
    if (shared == this)
        shared = nullptr;
    event->accept();
}

void resultswin::BevelButton1_Action()
{
    Window1* w = Window1::existing();
    if (!w)
        return;
    bool idle = BevelButton1->Icon() == res::play();
    // Without both face pictures the icon cannot tell the states apart.
    if (res::play() == res::smallstop())
        idle = !w->replaytimer->Enabled();

    if (idle)
        w->startreplay();
    else
        w->stopreplay();
}
