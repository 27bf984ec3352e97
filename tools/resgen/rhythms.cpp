#include "rhythms.h"
#include "engraver.h"
#include <algorithm>

namespace resgen {

namespace {

Stroke note(int offset, int beams) { return {offset, beams}; }
Stroke dotted(int offset, int beams) { return {offset, beams, false, true}; }
Stroke rest(int offset, int beams) { return {offset, beams, true}; }

std::vector<Stroke> evenNotes(int count, int step, int beams)
{
    std::vector<Stroke> strokes;
    for (int i = 0; i < count; ++i)
        strokes.push_back(note(i * step, beams));
    return strokes;
}

} // namespace

const std::vector<Rhythm>& rhythms()
{
    static const std::vector<Rhythm> table = {
        {"crot", 201, {note(0, 0)}},
        {"CR", 266, {rest(0, 0)}},
        {"quav", 286, evenNotes(2, 30, 1)},
        {"sniff", 288, {rest(0, 1), note(30, 1)}},
        {"semi", 430, evenNotes(4, 15, 2)},
        {"saus", 356, {note(0, 2), note(15, 2), note(30, 1)}},
        {"wood", 364, {note(0, 1), note(30, 2), note(45, 2)}},
        {"dobe", 304, {dotted(0, 1), note(45, 2)}},
        {"trip", 405, evenNotes(3, 20, 1), 3},
        {"cq", 353, {note(0, 0), note(40, 1)}, 3},
        // In triplet time a dotted quaver lasts 30, a semiquaver 10, a quaver 20.
        {"dqsq", 350, {dotted(0, 1), note(30, 2), note(40, 1)}, 3},
        {"rtrip", 413, {rest(0, 1), note(20, 1), note(40, 1)}, 3},
        {"ssssss", 638, evenNotes(6, 10, 2), 6},
        {"ssqq", 420, {note(0, 2), note(10, 2), note(20, 1), note(40, 1)}, 6},
        {"ssssq", 516, {note(0, 2), note(10, 2), note(20, 2), note(30, 2), note(40, 1)}, 6},
        {"qssss", 510, {note(0, 1), note(20, 2), note(30, 2), note(40, 2), note(50, 2)}, 6},
        {"eef", 363, {note(0, 2), note(15, 1), note(45, 2)}},
        {"rttt", 414, {rest(0, 2), note(15, 2), note(30, 2), note(45, 2)}},
        {"rqs", 353, {rest(0, 2), note(15, 1), note(45, 2)}},
        {"sddss", 435, {note(0, 2), note(15, 3), note(22, 3), note(30, 2), note(45, 2)}},
        {"ddddss", 495, {note(0, 3), note(7, 3), note(15, 3), note(22, 3), note(30, 2), note(45, 2)}},
        {"sdddds", 495, {note(0, 2), note(15, 3), note(22, 3), note(30, 3), note(37, 3), note(45, 2)}},
        {"sssss", 457, evenNotes(5, 12, 2), 5},
        {"ssrss", 457, {note(0, 2), note(12, 2), rest(24, 2), note(36, 2), note(48, 2)}, 5},
        {"sssrs", 463, {note(0, 2), note(12, 2), note(24, 2), rest(36, 2), note(48, 2)}, 5},
    };
    return table;
}

const Rhythm* findRhythm(const QString& name)
{
    for (const Rhythm& rhythm : rhythms())
        if (name == QLatin1String(rhythm.name))
            return &rhythm;
    return nullptr;
}

namespace {

struct Placed {
    Stroke stroke;
    double x; // a note's head left edge; a rest is centred where a head would be
};

// Beamed runs: consecutive notes shorter than a crotchet, unbroken by a rest
// or a crotchet. A run of one note is flagged instead.
std::vector<std::pair<size_t, size_t>> beamRuns(const std::vector<Placed>& placed)
{
    std::vector<std::pair<size_t, size_t>> runs;
    size_t i = 0;
    while (i < placed.size()) {
        if (placed[i].stroke.rest || placed[i].stroke.beams == 0) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end + 1 < placed.size() && !placed[end + 1].stroke.rest && placed[end + 1].stroke.beams > 0)
            ++end;
        runs.emplace_back(i, end);
        i = end + 1;
    }
    return runs;
}

void engraveBeams(Engraver& e, const std::vector<Placed>& placed, size_t first, size_t last, double stemTop)
{
    e.beam(1, e.stemLeft(placed[first].x), e.stemRight(placed[last].x), stemTop);
    for (int level = 2; level <= 3; ++level) {
        size_t i = first;
        while (i <= last) {
            if (placed[i].stroke.beams < level) {
                ++i;
                continue;
            }
            size_t end = i;
            while (end + 1 <= last && placed[end + 1].stroke.beams >= level)
                ++end;
            if (end > i) {
                e.beam(level, e.stemLeft(placed[i].x), e.stemRight(placed[end].x), stemTop);
            } else {
                // A lone shorter note gets a fractional beam; it points back to
                // the note it completes, unless it opens the group.
                const bool pointsRight = i == first;
                const double neighbour = pointsRight ? placed[i + 1].x : placed[i - 1].x;
                const double length = std::min(1.1, std::abs(placed[i].x - neighbour) * 0.5);
                if (pointsRight)
                    e.beam(level, e.stemLeft(placed[i].x), e.stemLeft(placed[i].x) + length, stemTop);
                else
                    e.beam(level, e.stemRight(placed[i].x) - length, e.stemRight(placed[i].x), stemTop);
            }
            i = end + 1;
        }
    }
}

// How far a stroke reaches right of its x: the head or rest, a dot, a flag.
double strokeWidth(const Engraver& e, const std::vector<Stroke>& strokes, size_t i)
{
    const Stroke& s = strokes[i];
    if (s.rest)
        return e.headWidth() / 2 + e.restWidth(s.beams) / 2;
    double width = e.headWidth() + (s.dotted ? 0.65 : 0);
    auto beamable = [&](size_t j) { return j < strokes.size() && !strokes[j].rest && strokes[j].beams > 0; };
    const bool flagged = s.beams > 0 && !(i > 0 && beamable(i - 1)) && !beamable(i + 1);
    return flagged ? e.stemLeft(0) + 1.12 : width;
}

} // namespace

double compactBeatWidth(const MusicFont& font, const Rhythm& rhythm)
{
    Ink scratch;
    const Engraver e(font, scratch);
    const auto& strokes = rhythm.strokes;
    double width = 3.0;
    for (size_t i = 0; i + 1 < strokes.size(); ++i) {
        const double share = (strokes[i + 1].offset - strokes[i].offset) / 60.0;
        width = std::max(width, (strokeWidth(e, strokes, i) + 0.55) / share);
    }
    return width;
}

double fittingBeatWidth(const MusicFont& font, const Rhythm& rhythm, double pictureWidth)
{
    Ink scratch;
    const Engraver e(font, scratch);
    const auto& strokes = rhythm.strokes;
    const double last = strokes.back().offset / 60.0;
    if (last == 0)
        return pictureWidth;
    const double room = pictureWidth - 0.1 - kBeatLeadIn - strokeWidth(e, strokes, strokes.size() - 1);
    return std::min(pictureWidth, room / last);
}

Ink engraveRhythm(const MusicFont& font, const Rhythm& rhythm, double beatWidth)
{
    Ink ink;
    Engraver e(font, ink);

    std::vector<Placed> placed;
    for (const Stroke& s : rhythm.strokes)
        placed.push_back({s, kBeatLeadIn + s.offset / 60.0 * beatWidth});

    const bool threeBeams = std::any_of(placed.begin(), placed.end(), [](const Placed& p) { return p.stroke.beams >= 3; });
    const double stemTop = -(threeBeams ? engraving::longStemLength : engraving::stemLength);

    for (const Placed& p : placed) {
        if (p.stroke.rest) {
            e.rest(p.stroke.beams, p.x + e.headWidth() / 2);
            continue;
        }
        e.notehead(p.x);
        e.stemUp(p.x, stemTop);
        if (p.stroke.dotted)
            e.augmentationDot(p.x);
    }

    const auto runs = beamRuns(placed);
    bool oneBeamHoldsAll = false;
    for (const auto& [first, last] : runs) {
        if (first == last)
            e.flagUp(placed[first].stroke.beams, placed[first].x, stemTop);
        else
            engraveBeams(e, placed, first, last, stemTop);
        if (first == 0 && last + 1 == placed.size() && last > first)
            oneBeamHoldsAll = true;
    }

    if (rhythm.tuplet) {
        if (oneBeamHoldsAll) {
            const double centre = (e.stemLeft(placed.front().x) + e.stemRight(placed.back().x)) / 2;
            e.tupletNumber(rhythm.tuplet, centre, stemTop - 0.5);
        } else {
            // A rest or an unbeamed note inside the tuplet: a bracket shows its
            // extent.
            auto leftOf = [&](const Placed& p) {
                return p.stroke.rest ? p.x + (e.headWidth() - e.restWidth(p.stroke.beams)) / 2 : p.x;
            };
            auto rightOf = [&](const Placed& p) {
                return p.stroke.rest ? p.x + (e.headWidth() + e.restWidth(p.stroke.beams)) / 2 : e.stemRight(p.x);
            };
            e.tupletBracket(rhythm.tuplet, leftOf(placed.front()), rightOf(placed.back()), stemTop - 1.0);
        }
    }
    return ink;
}

} // namespace resgen
