#include "scoring/resultswin.h"
#include "platform/controls.h"
#include <QPointer>

namespace {
QPointer<resultswin> shared;
}

resultswin::resultswin()
{
    setWindowTitle(QStringLiteral("Results"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(652, 478);
    platform::setWhiteBackground(this);
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

void resultswin::setHeight(int h) { setFixedSize(width(), h); }

void resultswin::setWidth(int w) { setFixedSize(w, height()); }
