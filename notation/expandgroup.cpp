// One rhythm group on one beat of the bar being generated becomes note rows.
#include "engine/window1.h"
#include "notation/grouptable.h"
#include "platform/numbers.h"

using platform::Str;

void Window1::expandgroup(int64_t group, bool lastBeat, int64_t& previousPitch)
{
    if (!grouptable::isGroup(group))
        return;
    const std::vector<int64_t>& offsets = grouptable::offsets(group);
    bool first = true;
    for (int64_t o : offsets) {
        int64_t onset = (o == 0 ? 0 : ts(o)) + ts(60) * pagenumber + startofnote;
        notelist->AddRow(Str(onset));
        int64_t row = notelist->LastIndex();
        notelist->setCell(row, 3, createnote(previousPitch));
        if (first)
            notelist->setCell(row, 4, Str(group));
        first = false;
        previousPitch = platform::TruncToInt64(platform::Val(notelist->Cell(row, 3)));
    }
    if (!lastBeat)
        startofnote += ts(60);
    notesinbar += static_cast<int64_t>(offsets.size());
}
