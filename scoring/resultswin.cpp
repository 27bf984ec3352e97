#include "scoring/resultswin.h"
#include "engine/clockphase.h"
#include "engine/window1.h"
#include "platform/services.h"
#include "platform/ticks.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include <QCloseEvent>
#include <QPointer>
#include <QResizeEvent>
#include <algorithm>

using namespace Module1;
using platform::Ticks;

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

    Canvas1 = new platform::Canvas(this);
    placeCanvas();
    Canvas1->Paint = [this](platform::Graphics& g) { Canvas1_Paint(g); };

    BevelButton1 = new platform::BevelButton(this);
    BevelButton1->setGeometry(5, 0, 89, 45);
    BevelButton1->setFocusPolicy(Qt::NoFocus);
    BevelButton1->setIcon(res::play());
    BevelButton1->Action = [this] { BevelButton1_Action(); };

    if (Window1* main = Window1::existing()) {
        QRect area = main->frameGeometry();
        move(area.center() - QPoint(createdWidth / 2, createdHeight / 2));
    }
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

void resultswin::setHeight(int h) { setFixedSize(width(), clampSide(h)); }

void resultswin::setWidth(int w) { setFixedSize(clampSide(w), height()); }

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
    Canvas1->setGeometry(0, canvasTop, width(), height() - canvasTop + canvasBelowBottom);
}

void resultswin::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeCanvas();
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

    if (idle) {
        if (w->testrunning() || w->notelist->ListCount() == 0)
            return;
        w->Slider1->setEnabled(false);
        countin = true;
        w->notecount = 0;
        w->startofnote = 0;
        w->pagenumber = 0;
        metcount = 0;
        allnotes = 0;
        w->notessofar = 0;
        w->notesplayedsofar = 0;
        w->lastnotesounded = 0;
        w->lastticktime = 0;
        w->newtick = 0;
        clockphase::start(*w->replaytimer, [w] {
            if (res::SoundRef click = res::hi())
                click->Play();
            startruntime = Ticks();
            w->continuoustime = Ticks();
        });
        BevelButton1->setIcon(res::smallstop());
    } else {
        w->stopreplay();
    }
}
