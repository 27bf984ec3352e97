// The controls between tests: given back when a test stops or ends, and the
// held test let go of.
#include "engine/window1.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"

using namespace Module1;

void Window1::restoreidlecontrols(bool held)
{
    if (held) {
        BevelButton1->setIcon(res::repeat());
        BevelButton5->setVisible(true);
    } else {
        BevelButton1->setIcon(res::go());
    }
    BevelButton3->setEnabled(true);
    BevelButton3->setIcon(res::results());
    BevelButton2->setEnabled(true);
    BevelButton2->setIcon(res::options());
    Slider1->setEnabled(true);
    lisplaylabel->setVisible(false);
    // The key field had the keyboard for the test; between tests it is the
    // start button's again, so Space starts the next test. In a window the
    // user is not in, this waits for the user's return.
    BevelButton1->setFocus(Qt::OtherFocusReason);
    // With neither timer running the notation canvas shows the cover; the hit
    // strip keeps the last bar's dots.
    Canvas1->Refresh();
    Canvas2->Refresh();
}

void Window1::releaseheldtest()
{
    retest = false;
    retestlist->DeleteAllRows();
    if (BevelButton1->Icon() == res::repeat())
        BevelButton1->setIcon(res::go());
}
