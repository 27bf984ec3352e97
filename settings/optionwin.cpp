#include "settings/optionwin.h"
#include <QPointer>

namespace {
QPointer<optionwin> shared;
}

optionwin::optionwin()
{
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(830, 560);
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

optionwin* optionwin::instance()
{
    if (!shared)
        shared = new optionwin();
    return shared;
}

optionwin* optionwin::existing() { return shared; }

void optionwin::ShowModal()
{
    // Created hidden and shown by exec(): a dialog shown first is not modal.
    exec();
    if (shared)
        shared->close();
}
