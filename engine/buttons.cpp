// The start button (START, REPEAT TEST, STOP), the test start with the run
// state and first bar line it shares with a replay, the other buttons and the
// tempo slider.
#include "engine/clockphase.h"
#include "engine/window1.h"
#include "platform/numbers.h"
#include "platform/ticks.h"
#include "scoring/resultswin.h"
#include "settings/helpwin.h"
#include "settings/optionwin.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"

using namespace Module1;
using platform::Str;
using platform::Ticks;

void Window1::BevelButton1_Action()
{
    platform::Ref<platform::Picture> face = BevelButton1->Icon();
    if (face == res::go() || face == res::repeat()) {
        BevelButton1->setIcon(res::stop());
        prestarttimer->setEnabled(true);
        // A test and a replay share the run state: START ends a replay (the
        // tempo slider stays with the test about to run).
        if (replaytimer->Enabled())
            stopreplay();
        BevelButton3->setEnabled(false);
        BevelButton3->setIcon(res::resultslight());
        BevelButton2->setEnabled(false);
        BevelButton2->setIcon(res::optionslight());
        Slider1->setEnabled(false);
        if (optionwin* open = optionwin::existing())
            open->close();
        prestarttimer->Reset();
        resultbox->setVisible(false);
        BevelButton5->setVisible(false);
        Canvas1->Refresh();
        Canvas2->Refresh(); // the ruler shows the beats of the test about to run
    } else if (face == res::stop()) {
        prestarttimer->setEnabled(false);
        Timer1->setEnabled(false);
        // A test stopped while one is held keeps it held.
        restoreidlecontrols(reptest && retestlist->ListCount() >= 1);
        if (notelist->ListCount() >= 2)
            correctnotelist();
        countin = true;
        resultswin::refreshGraph(); // an open results window shows the corrected table
        TextField1->setText(QString());
    }
}

void Window1::prestarttimer_Action()
{
    auto start = [this] {
        prestarttimer->setEnabled(false);
        starttest();
    };
    // The test starts at the place in a tick where its clock is to run: the
    // wait goes on until then, at most a tick longer (only once, so a late
    // timer cannot keep it waiting).
    if (const int wait = clockphase::waitMs(); wait > 0)
        prestarttimer->startIn(wait, start);
    else
        start();
}

void Window1::starttest()
{
    place.fill(-1);
    notelist->DeleteAllRows();
    resetrunstate();
    nextnote = 0;
    listening = false;
    refreshcanvas2 = false;
    refreshrow = 0;
    newpagecheck = false;
    lasttesttickspeed = tickspeed;
    Timer1->setPeriod(clockphase::periodMs);
    Timer1->setEnabled(true);
    startbarclock();
    TextField1->setText(QString());
    TextField1->setFocus(Qt::OtherFocusReason);
    lastnoteplayed = -1;
    lisplaylabel->setVisible(true);
    platform::setTextColor(lisplaylabel, 0xFF0000);
    lisplaylabel->setText(QStringLiteral("COUNT IN"));
    Canvas2->Refresh();
    generatebar();
    Canvas1->Refresh();
}

void Window1::resetrunstate()
{
    countin = true;
    notecount = 0;
    startofnote = 0;
    pagenumber = 0;
    metcount = 0;
    allnotes = 0;
    notessofar = 0;
    notesplayedsofar = 0;
    lastnotesounded = 0;
}

void Window1::startbarclock()
{
    // Without its click the first bar line passes silently; the clock runs all the same.
    if (res::SoundRef click = res::hi())
        click->Play();
    startruntime = Ticks();
    continuoustime = Ticks();
    lastticktime = 0;
    newtick = 0;
}

void Window1::BevelButton2_Action()
{
    optionwin::instance()->ShowModal();
}

void Window1::BevelButton3_Action()
{
    resultswin::instance()->setHeight(static_cast<int>(bars * 30 + 100));
    resultswin::instance()->setWidth(static_cast<int>(beatsinbar * 240 + 50));
    // An open window may still show an earlier test: at the same size nothing
    // else would repaint it.
    resultswin::instance()->showCurrentTest();
}

void Window1::BevelButton4_Action()
{
    helpwin::instance()->Show();
}

void Window1::BevelButton5_Action()
{
    // The button is shown only between tests, when the face is `repeat` or `go`.
    releaseheldtest();
}

void Window1::Slider1_Open()
{
    Slider1->setValue(static_cast<int>(tickspeed));
}

void Window1::Slider1_ValueChanged()
{
    tickspeed = Slider1->value();
    tempolabel->setText(tempotext(tickspeed));
}

QString Window1::tempotext(int64_t ticksPerBeat)
{
    // Only a damaged setting can be 0 or less; it must not divide by zero.
    if (ticksPerBeat <= 0)
        return QStringLiteral("0 bpm");
    return Str(3600 / ticksPerBeat) + QStringLiteral(" bpm");
}
