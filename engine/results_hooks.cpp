// Scoring, the data file and the totals labels, as the main window calls them.
#include "engine/window1.h"
#include "platform/numbers.h"
#include "shell/module1.h"

using namespace Module1;
using platform::Format;
using platform::Str;

void Window1::showresults()
{
    resultbox->setVisible(true);
}

void Window1::loaddata() {}

void Window1::savedata() { showtotals(); }

QString Window1::encpw(const QString& value) { return value; }

QString Window1::decpw(const QString& line) { return line; }

void Window1::showtotals()
{
    ttestslabel->setText(QStringLiteral("Number of tests ") + Str(totaltests));
    tnoteslabel->setText(QStringLiteral("Notes played ") + Str(totalnotes));
    tacclabel->setText(QStringLiteral("Accuracy ") + Format(totalaccuracy, QStringLiteral("#.##")) + QStringLiteral("%"));
    thitslabel->setText(QStringLiteral("Perfect hits ") + Format(correct, QStringLiteral("#.##")) + QStringLiteral("%"));
    tnearlabel->setText(QStringLiteral("Pretty close hits ") + Format(almost, QStringLiteral("#.##")) + QStringLiteral("%"));
    tmisslabel->setText(QStringLiteral("Way off hits ") + Format(miss, QStringLiteral("#.##")) + QStringLiteral("%"));
}
