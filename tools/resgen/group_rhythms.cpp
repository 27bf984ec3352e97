// The group pictures' rhythms: the group table's notes, written with the
// values of group_engravings.cpp, each value checked against the table.
#include "group_engravings.h"
#include "notation/groupdata.h"
#include "rhythms.h"
#include <algorithm>
#include <string_view>

namespace resgen {

namespace {

// Durations in half beat units, 120 to a beat, so that a demisemiquaver
// (7.5 beat units) is a whole number.
constexpr int kHalfUnitsPerBeat = 120;

// How many of the written value a tuplet packs into its span: three in the
// time of two, five or six in the time of four.
int tupletSpan(int tuplet) { return tuplet == 3 ? 2 : 4; }

// The value's length in half units; -1 when a tuplet does not divide it.
int halfUnits(const Value& v, int tuplet)
{
    int length = kHalfUnitsPerBeat >> v.beams;
    if (v.dotted)
        length += length / 2;
    if (!tuplet)
        return length;
    length *= tupletSpan(tuplet);
    return length % tuplet ? -1 : length / tuplet;
}

QString joined(const std::vector<int64_t>& numbers)
{
    QStringList texts;
    for (int64_t n : numbers)
        texts << QString::number(n);
    return texts.isEmpty() ? QStringLiteral("none") : texts.join(QStringLiteral(", "));
}

const Engraving* findEngraving(std::string_view picture)
{
    for (const Engraving& e : engravings())
        if (picture == e.picture)
            return &e;
    return nullptr;
}

// The group's notes where the table puts them, its rests where the values
// before them end.
Rhythm rhythmOf(const grouptable::GroupRhythm& group, const Engraving& engraving, QStringList& problems)
{
    const QString name = QString::fromLatin1(group.picture);
    Rhythm rhythm{name, int(group.advance), {}, engraving.tuplet};
    const auto offsets = group.offsets();
    std::vector<int64_t> starts;
    int at = 0;
    for (const Value& v : engraving.values) {
        const int length = halfUnits(v, engraving.tuplet);
        if (length < 0) {
            problems << QStringLiteral("%1: a value of %2 beams is no whole part of its %3-tuplet").arg(name).arg(v.beams).arg(engraving.tuplet);
            return rhythm;
        }
        // The table writes eighths of a beat truncated (7, 22, 37).
        const int64_t start = at / 2;
        double offset = at / 2.0;
        if (!v.rest) {
            if (starts.size() < offsets.size())
                offset = double(offsets[starts.size()]);
            starts.push_back(start);
        }
        rhythm.strokes.push_back({offset, v.beams, v.rest, v.dotted});
        at += length;
    }
    if (at != kHalfUnitsPerBeat)
        problems << QStringLiteral("%1: its values last %2 beat units, not a beat of 60").arg(name).arg(at / 2.0);
    if (!std::equal(starts.begin(), starts.end(), offsets.begin(), offsets.end()))
        problems << QStringLiteral("%1: its values start notes at %2, the group table at %3")
                        .arg(name, joined(starts), joined({offsets.begin(), offsets.end()}));
    return rhythm;
}

struct Drawn {
    std::vector<Rhythm> rhythms;
    QStringList problems;
};

const Drawn& drawn()
{
    static const Drawn result = [] {
        Drawn d;
        std::vector<const grouptable::GroupRhythm*> first;
        for (const grouptable::GroupRhythm& group : grouptable::groups) {
            const auto same = std::find_if(first.begin(), first.end(), [&](const auto* g) {
                return std::string_view(g->picture) == group.picture;
            });
            if (same != first.end()) {
                // One picture cannot show two rhythms.
                const auto a = (*same)->offsets(), b = group.offsets();
                if ((*same)->advance != group.advance || !std::equal(a.begin(), a.end(), b.begin(), b.end()))
                    d.problems << QStringLiteral("%1: the group table gives it two rhythms").arg(QString::fromLatin1(group.picture));
                continue;
            }
            first.push_back(&group);
            const Engraving* engraving = findEngraving(group.picture);
            if (!engraving) {
                d.problems << QStringLiteral("%1: no engraving for this group picture").arg(QString::fromLatin1(group.picture));
                continue;
            }
            d.rhythms.push_back(rhythmOf(group, *engraving, d.problems));
        }
        for (const Engraving& e : engravings())
            if (std::none_of(first.begin(), first.end(), [&](const auto* g) { return std::string_view(g->picture) == e.picture; }))
                d.problems << QStringLiteral("%1: engraved, but no group shows it").arg(QString::fromLatin1(e.picture));
        return d;
    }();
    return result;
}

} // namespace

const std::vector<Rhythm>& rhythms() { return drawn().rhythms; }

QStringList rhythmProblems() { return drawn().problems; }

const Rhythm* findRhythm(const QString& name)
{
    for (const Rhythm& rhythm : rhythms())
        if (name == rhythm.name)
            return &rhythm;
    return nullptr;
}

} // namespace resgen
