// The next pitch of a note row, as the note table stores it: the pitch walk
// on the application's generator, "0" after a pitch outside the walk.
#include "engine/window1.h"
#include "notation/pitchwalk.h"
#include "platform/numbers.h"
#include "shell/velvane.h"

QString Window1::createnote(int64_t previous)
{
    std::optional<int64_t> p = pitchwalk::next(previous, randomizer());
    return platform::Str(p.value_or(0));
}
