#include "settings/optionwin.h"
#include "platform/controls.h"
#include <QPointer>

namespace {
QPointer<optionwin> shared;
}

optionwin::optionwin()
{
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(830, 560);
    setAttribute(Qt::WA_DeleteOnClose);
    platform::setWhiteBackground(this);
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
