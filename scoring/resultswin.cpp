#include "scoring/resultswin.h"
#include <QPointer>

namespace {
QPointer<resultswin> shared;
}

resultswin::resultswin()
{
    setWindowTitle(QStringLiteral("Results"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(652, 478);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
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
