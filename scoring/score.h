#pragma once
// Scoring of a completed test: hit classes, accuracy score, the result label
// texts and the move of the overall statistics by one test.
//
// Window1::showresults puts these together, in this order: shows the result
// box; tallytable over the note table's columns 0 and 1; writes the five
// texts of resulttexts; updatestatistics; and, only when that returned true,
// savedata and the totals labels (datafile.h).
#include <QString>
#include <cstdint>
#include <vector>

namespace scoring {

// Columns 0 (onset time) and 1 (hit time, empty when not played) of one
// note row, as the note table holds them.
struct NoteCells {
    QString onset;
    QString hit;
};

// The tallies of one test.
struct Tally {
    int64_t rows = 0;      // note rows, missed notes included
    double perfect = 0;    // hit on the onset tick
    double nearhits = 0;   // 1 to 5 ticks off
    double wayoff = 0;     // 6 or more ticks off, plus missed notes
    int64_t played = 0;    // rows with a hit time
    int64_t missed = 0;    // rows without one
    int64_t earlysum = 0;  // ticks early, summed
    int64_t latesum = 0;   // ticks late, summed, plus 60 per missed note
    double averageoffset = 60; // capped at 60; 60 when nothing was played
    double accuracy = 0;   // (60 - averageoffset) / 6 * 10, 0 to 100
};

// Judges every row in order. Always gives finite values, also for no rows.
Tally tallytable(const std::vector<NoteCells>& rows);

// The texts of Window1.perfect, .close, .whoops, .summary and .summary2.
struct ResultTexts {
    QString perfect;
    QString close;
    QString whoops;
    QString summary;
    QString summary2;
};
ResultTexts resulttexts(const Tally& t);

// The verdict alone (summary2). Empty when the early and late sums are equal
// and not every played note was perfect, so a label never keeps the
// previous test's verdict.
QString verdict(const Tally& t);

// Moves the six overall statistics of Module1 on by this test, each mean by
// (old mean * old count + this test's value) / (old count + 1). A test of no
// rows has no percentages: it changes nothing and returns false, and then
// nothing is to be saved either. Counts saturate instead of overflowing.
bool updatestatistics(const Tally& t);

} // namespace scoring
