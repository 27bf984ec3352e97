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

// One entry per beat, from the first beat to the beat of the last note row:
// the group index on the first row whose onset lies within the beat, so that a
// group whose first note comes after the beat's start (a quaver rest and
// quaver, say) is played again as itself; "1", the crotchet rest, for a beat
// without a row.
void Window1::setrepeat()
{
    const int64_t count = notelist->ListCount();
    if (count == 0) {
        retest = false;
        return;
    }
    retestlist->DeleteAllRows();
    retestlist->AddRow(QStringLiteral("0"));
    const double beat = static_cast<double>(ts(60));
    // Only a damaged tempo gives no beat length; then no beat can be told apart.
    if (beat <= 0)
        return;
    int64_t r = 1;
    for (int64_t k = 1; r < count; ++k) {
        const double start = beat * static_cast<double>(k);
        const double end = start + beat;
        while (r < count && Val(notelist->Cell(r, 0)) < start)
            r += 1;
        if (r == count)
            return;
        // The beat's later rows are passed over by the next beat's search.
        retestlist->AddRow(Val(notelist->Cell(r, 0)) < end ? notelist->Cell(r, 4) : QStringLiteral("1"));
    }
}
