#include "rhythms.h"
#include "engraver.h"
#include <algorithm>
#include <cmath>

namespace resgen {

namespace {

struct Placed {
    Stroke stroke;
    double x; // a note's head left edge; a rest is centred where a head would be
};

bool beamable(const Stroke& s) { return !s.rest && s.beams > 0; }

// Beamed runs: consecutive notes shorter than a crotchet, unbroken by a
// crotchet. A rest breaks a run too, but inside a tuplet a short rest
// between two such notes stands under the beam, so the beam holds the whole
// tuplet. A run of one note is flagged instead.
std::vector<std::pair<size_t, size_t>> beamRuns(const Rhythm& rhythm)
{
    const auto& s = rhythm.strokes;
    std::vector<std::pair<size_t, size_t>> runs;
    size_t i = 0;
    while (i < s.size()) {
        if (!beamable(s[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (true) {
            if (end + 1 < s.size() && beamable(s[end + 1]))
                end += 1;
            else if (rhythm.tuplet && end + 2 < s.size() && s[end + 1].rest && s[end + 1].beams > 0 && beamable(s[end + 2]))
                end += 2;
            else
                break;
        }
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

// A flag's width, and the room its hook wants before the next note.
constexpr double kFlagWidth = 1.12;
constexpr double kFlagClearance = 0.3;

// How far a stroke reaches right of its x: the head or rest, a dot, a flag.
double strokeWidth(const Engraver& e, const Rhythm& rhythm, size_t i)
{
    const Stroke& s = rhythm.strokes[i];
    if (s.rest)
        return e.headWidth() / 2 + e.restWidth(s.beams) / 2;
    const double width = e.headWidth() + (s.dotted ? 0.65 : 0);
    const auto runs = beamRuns(rhythm);
    const bool flagged = std::any_of(runs.begin(), runs.end(), [&](const auto& run) { return run.first == i && run.second == i; });
    return flagged ? e.stemLeft(0) + kFlagWidth + kFlagClearance : width;
}

// How far a stroke reaches left of its x: a rest wider than a head.
double strokeLeft(const Engraver& e, const Stroke& s)
{
    return s.rest ? (e.headWidth() - e.restWidth(s.beams)) / 2 : 0;
}

// The least distance from stroke i - 1's x to stroke i's.
double leastStep(const Engraver& e, const Rhythm& rhythm, size_t i, double strokeGap)
{
    return strokeWidth(e, rhythm, i - 1) + strokeGap - strokeLeft(e, rhythm.strokes[i]);
}

// Each stroke's x on a beat `beatWidth` wide: the step from one stroke to
// the next is its share of the beat, or the least step when that is more.
std::vector<Placed> place(const Engraver& e, const Rhythm& rhythm, double beatWidth, double strokeGap)
{
    const auto& strokes = rhythm.strokes;
    std::vector<Placed> placed;
    for (size_t i = 0; i < strokes.size(); ++i) {
        double x = kBeatLeadIn + strokes[i].offset / 60.0 * beatWidth;
        if (i > 0) {
            const double share = (strokes[i].offset - strokes[i - 1].offset) / 60.0 * beatWidth;
            x = placed.back().x + std::max(share, leastStep(e, rhythm, i, strokeGap));
        }
        placed.push_back({strokes[i], x});
    }
    return placed;
}

} // namespace

double compactBeatWidth(const MusicFont& font, const Rhythm& rhythm, double strokeGap)
{
    Ink scratch;
    const Engraver e(font, scratch);
    const auto& strokes = rhythm.strokes;
    double width = 3.0;
    for (size_t i = 1; i < strokes.size(); ++i) {
        const double share = (strokes[i].offset - strokes[i - 1].offset) / 60.0;
        width = std::max(width, leastStep(e, rhythm, i, strokeGap) / share);
    }
    return width;
}

double fittingBeatWidth(const MusicFont& font, const Rhythm& rhythm, double pictureWidth)
{
    Ink scratch;
    const Engraver e(font, scratch);
    const auto& strokes = rhythm.strokes;
    const double limit = pictureWidth - kBeatLeadOut;
    auto fits = [&](double beatWidth) {
        return place(e, rhythm, beatWidth, kStrokeGap).back().x + strokeWidth(e, rhythm, strokes.size() - 1) <= limit;
    };
    if (fits(pictureWidth))
        return pictureWidth;
    // The right end grows with the beat width: halve the interval to the
    // widest beat that fits.
    double narrow = 0, wide = pictureWidth;
    for (int i = 0; i < 40; ++i) {
        const double middle = (narrow + wide) / 2;
        (fits(middle) ? narrow : wide) = middle;
    }
    return narrow;
}

Ink engraveRhythm(const MusicFont& font, const Rhythm& rhythm, double beatWidth, double strokeGap)
{
    Ink ink;
    Engraver e(font, ink);
    const std::vector<Placed> placed = place(e, rhythm, beatWidth, strokeGap);

    // One stem length for every group, so that in a bar the beams of one
    // kind and the tuplet numbers each stand at one height.
    const double stemTop = -engraving::stemLength;

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

    const auto runs = beamRuns(rhythm);
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
        const double numberBaseline = stemTop - 0.5;
        if (oneBeamHoldsAll) {
            const double centre = (e.stemLeft(placed.front().x) + e.stemRight(placed.back().x)) / 2;
            e.tupletNumber(rhythm.tuplet, centre, numberBaseline);
        } else {
            // A rest or an unbeamed note inside the tuplet: a bracket shows its
            // extent.
            auto leftOf = [&](const Placed& p) {
                return p.stroke.rest ? p.x + (e.headWidth() - e.restWidth(p.stroke.beams)) / 2 : p.x;
            };
            auto rightOf = [&](const Placed& p) {
                return p.stroke.rest ? p.x + (e.headWidth() + e.restWidth(p.stroke.beams)) / 2 : e.stemRight(p.x);
            };
            e.tupletBracket(rhythm.tuplet, leftOf(placed.front()), rightOf(placed.back()), numberBaseline);
        }
    }
    return ink;
}

} // namespace resgen
