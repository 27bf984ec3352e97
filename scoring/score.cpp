#include "scoring/score.h"

#include "platform/numbers.h"
#include "shell/module1.h"

#include <limits>

namespace scoring {

namespace {

using platform::Format;
using platform::Str;

const QString percentPattern = QStringLiteral("#.##");

// The note table is the program's own, but a saturated count must not wrap
// round into a negative one.
int64_t addSaturated(int64_t a, int64_t b)
{
    int64_t r;
    if (__builtin_add_overflow(a, b, &r))
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    return r;
}

} // namespace

Tally tallytable(const std::vector<NoteCells>& rows)
{
    Tally t;
    t.rows = static_cast<int64_t>(rows.size());
    for (const NoteCells& row : rows) {
        if (row.hit.isEmpty()) {
            ++t.missed;
            t.wayoff += 1;
            t.latesum = addSaturated(t.latesum, 60);
            continue;
        }
        const double h = platform::Val(row.hit);
        const double o = platform::Val(row.onset);
        if (h == o) {
            t.perfect += 1;
        } else if (h > o) {
            t.latesum = platform::TruncToInt64(h + static_cast<double>(t.latesum) - o);
            if (h - o <= 5)
                t.nearhits += 1;
            else
                t.wayoff += 1;
        } else {
            t.earlysum = platform::TruncToInt64(o + static_cast<double>(t.earlysum) - h);
            if (o - h <= 5)
                t.nearhits += 1;
            else
                t.wayoff += 1;
        }
        ++t.played;
    }

    if (t.played > 0) {
        // Added as doubles: two saturated sums must not overflow.
        t.averageoffset = (static_cast<double>(t.earlysum) + static_cast<double>(t.latesum))
                          / static_cast<double>(t.played);
    } else {
        t.averageoffset = 60;
    }
    if (t.averageoffset > 60)
        t.averageoffset = 60;
    t.accuracy = (60 - t.averageoffset) / 6 * 10;
    return t;
}

QString verdict(const Tally& t)
{
    if (t.perfect == static_cast<double>(t.played) && t.played > 0)
        return QStringLiteral("That couldn't have been more perfect!");
    if (t.latesum < t.earlysum) {
        if (t.accuracy > 98)
            return QStringLiteral("The was pretty close to perfect");
        if (t.accuracy > 96)
            return QStringLiteral("You are very slightly ahead of the beat ");
        if (t.accuracy > 85)
            return QStringLiteral("You are generally ahead of the beat ");
        return QStringLiteral("You are generally well ahead of the beat ");
    }
    if (t.earlysum < t.latesum) {
        if (t.accuracy > 98)
            return QStringLiteral("The was pretty close to perfect");
        if (t.accuracy > 96)
            return QStringLiteral("You are very slightly behind  the beat ");
        if (t.accuracy > 85)
            return QStringLiteral("You are generally behind the beat ");
        return QStringLiteral("You are generally well behind the beat ");
    }
    return QString();
}

ResultTexts resulttexts(const Tally& t)
{
    ResultTexts r;
    r.perfect = QStringLiteral("Perfect hits = ") + Str(t.perfect);
    r.close = QStringLiteral("Near perfect hits ") + Str(t.nearhits);
    r.whoops = QStringLiteral("whoops a daisy ") + Str(t.wayoff);
    const QString score = Format(t.accuracy, percentPattern);
    if (t.played == 0)
        r.summary = QStringLiteral("You played nothing that time");
    else if (t.missed > 0)
        r.summary = QStringLiteral("You played ") + Str(t.played) + QStringLiteral(" notes but missed out ")
                    + Str(t.missed) + QStringLiteral(" and were ") + score + QStringLiteral("% accurate");
    else
        r.summary = QStringLiteral("You played ") + Str(t.played) + QStringLiteral(" notes and were ") + score
                    + QStringLiteral("% accurate");
    r.summary2 = verdict(t);
    return r;
}

bool updatestatistics(const Tally& t)
{
    using namespace Module1;
    if (t.rows <= 0)
        return false;
    const double n = static_cast<double>(t.rows);
    if (totaltests < 0) // never so, but a negative weight could divide by zero
        totaltests = 0;
    const double oldCount = static_cast<double>(totaltests);

    totalaccuracy *= oldCount;
    correct *= oldCount;
    almost *= oldCount;
    miss *= oldCount;

    totalnotes = addSaturated(totalnotes, t.rows);
    totalaccuracy += t.accuracy;
    correct += t.perfect / n * 100;
    almost += t.nearhits / n * 100;
    miss += t.wayoff / n * 100;
    totaltests = addSaturated(totaltests, 1);

    const double newCount = static_cast<double>(totaltests);
    totalaccuracy /= newCount;
    correct /= newCount;
    almost /= newCount;
    miss /= newCount;
    return true;
}

} // namespace scoring
