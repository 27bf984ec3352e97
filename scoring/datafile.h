#pragma once
// The data file "mydata.txt": the overall statistics and seven settings,
// one scrambled line each (scramble.h), 13 lines in a fixed order:
//   1 totaltests      2 totalnotes     3 totalaccuracy  4 correct
//   5 almost          6 miss           7 "midi"/"notmidi"
//   8 earlychange     9 "lp"/"notlp"  10 tickspeed     11 "pmn"/"notpmn"
//  12 device id or "nf"               13 "rep"/"norep"
#include <QString>
#include <QStringList>

namespace scoring {

inline const QString datafilename = QStringLiteral("mydata.txt");

// Reads the file into the Module1 globals and `listenplay`
// (Window1.listenplay); run once at start-up, after the MIDI devices were
// opened. No file: nothing changes. Only the first 13 lines count; missing
// lines read as empty text. A value the program cannot hold keeps the value
// it had: a tempo outside 20 to 80, a next-bar timing outside 10 to 100, a
// negative count, a mean that is not a number from 0 to 100. When line 7
// says "midi" and MIDI input is possible, the stream Module1::s is reopened
// on the stored device (0 for "nf", an empty line or an id that is no
// device number). A file that exists but cannot be read throws
// platform::IOException, which the start-up guard reports: carrying on
// would overwrite the user's statistics at the end of the next test.
void loaddata(bool& listenplay);

// Rewrites the whole file from the globals and `listenplay`, atomically: a
// failure throws platform::IOException and leaves the old file as it was.
// The caller writes the totals labels (totalslabels) afterwards.
void savedata(bool listenplay);

// The 13 value texts that savedata scrambles, in file order.
QStringList datafilevalues(bool listenplay);

// The six totals labels' texts, from the Module1 statistics.
struct TotalsTexts {
    QString ttestslabel;
    QString tnoteslabel;
    QString tacclabel;
    QString thitslabel;
    QString tnearlabel;
    QString tmisslabel;
};
TotalsTexts totalslabels();

} // namespace scoring
