// While a test or its pre-start wait runs, the keyboard belongs to the key
// field: a tap that lands on a button, or on whatever widget Qt gives the focus
// back to when the window is activated again, is lost to the test.
#include "engine/window1.h"
#include <QApplication>
#include <QEvent>

void Window1::watchkeyfocus()
{
    connect(qApp, &QApplication::focusChanged, this, [this] { keepkeyfocus(); });
    // START itself may hold the focus from its click.
    for (platform::Timer* t : {prestarttimer, Timer1})
        connect(t, &platform::Timer::enabledChanged, this, [this] { keepkeyfocus(); });
}

void Window1::keepkeyfocus()
{
    if (!testrunning() || !isActiveWindow() || QApplication::activePopupWidget())
        return;
    QWidget* focus = QApplication::focusWidget();
    if (focus == TextField1 || (focus && focus->window() != this))
        return;
    TextField1->setFocus(Qt::OtherFocusReason);
}

void Window1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        keepkeyfocus();
}
