// Corrected hit times, the editable hit-time column, and the repeat list of a
// held test.
#include "engine/window1.h"
#include "platform/numbers.h"
#include "shell/module1.h"

using namespace Module1;
using platform::Str;
using platform::TruncToInt64;
using platform::Val;

void Window1::correctnotelist()
{
    notelist->setCell(0, 2, notelist->Cell(0, 1));
    const int64_t span = ts(60) * beatsinbar * 2;
    for (int64_t i = 1; i <= notelist->ListCount() - 1; ++i) {
        double onset = Val(notelist->Cell(i, 0));
        double hit = Val(notelist->Cell(i, 1));
        // An early hit on a note on a two-bar boundary belongs to the row above.
        if (span != 0 && TruncToInt64(onset) % span == 0 && onset > hit)
            notelist->setCell(i, 2, Str(hit - static_cast<double>(span)));
        else
            notelist->setCell(i, 2, Str(TruncToInt64(hit)));
    }
}

bool Window1::notelist_CellClick(int64_t row, int64_t column, int, int)
{
    if (column != 1)
        return false;
    notelist->setColumnEditable(1, true);
    notelist->EditCell(row, 1);
    correctnotelist();
    return true;
}

void Window1::setrepeat()
{
    const int64_t count = notelist->ListCount();
    if (count == 0) {
        retest = false;
        return;
    }
    retestlist->DeleteAllRows();
    retestlist->AddRow(QStringLiteral("0"));
    int64_t r = 0;
    double x = 0;
    while (true) {
        x += static_cast<double>(ts(60));
        r += 1;
        if (r > count - 1)
            return;
        while (Val(notelist->Cell(r, 0)) < x) {
            r += 1;
            if (r > count - 1)
                return;
        }
        if (Val(notelist->Cell(r, 0)) == x) {
            retestlist->AddRow(notelist->Cell(r, 4));
        } else {
            retestlist->AddRow(QStringLiteral("1"));
            r -= 1;
        }
        if (r == count - 1)
            return;
    }
}
