#include "scoring/datafile.h"

#include "platform/errors.h"
#include "platform/midi.h"
#include "platform/numbers.h"
#include "platform/textfile.h"
#include "scoring/scramble.h"
#include "shell/module1.h"

#include <cmath>
#include <cstdio>

namespace scoring {

namespace {

using platform::Format;
using platform::Str;
using platform::TruncToInt64;
using platform::Val;

constexpr int lineCount = 13;

const QString percentPattern = QStringLiteral("#.##");

// A count from the file: a finite number of at least 0, else unchanged.
// A count too large for 64 bits saturates.
void readCount(const QString& t, int64_t& target)
{
    const double v = Val(t);
    if (std::isfinite(v) && v >= 0)
        target = TruncToInt64(v);
}

// A mean from the file: a percentage, so a finite number from 0 to 100.
void readMean(const QString& t, double& target)
{
    const double v = Val(t);
    if (std::isfinite(v) && v >= 0 && v <= 100)
        target = v;
}

// A setting that an empty line leaves unchanged, as do values out of range.
void readSetting(const QString& t, int64_t& target, int64_t lo, int64_t hi)
{
    if (t.isEmpty())
        return;
    const int64_t v = TruncToInt64(Val(t));
    if (v >= lo && v <= hi)
        target = v;
}

QString deviceText()
{
    if (!Module1::midiinputpos || !Module1::s)
        return QStringLiteral("nf");
    const int id = Module1::s->DeviceID();
    return id >= 0 ? Str(id) : QStringLiteral("nf");
}

} // namespace

void loaddata(bool& listenplay)
{
    using namespace Module1;
    // A rewrite cut short in an earlier run may have left its temporary file.
    platform::removeRewriteLeftovers(datafilename);
    if (!platform::dataFileExists(datafilename))
        return;
    const QStringList lines = platform::readDataFileLines(datafilename, lineCount);
    auto line = [&](int number) {
        return number <= lines.size() ? decpw(lines[number - 1]) : QString();
    };

    readCount(line(1), totaltests);
    readCount(line(2), totalnotes);
    readMean(line(3), totalaccuracy);
    readMean(line(4), correct);
    readMean(line(5), almost);
    readMean(line(6), miss);
    midiinput = line(7) == QLatin1String("midi") && midiinputpos;
    // Tempo and next-bar timing within what their sliders give; a tempo of 0
    // would divide by zero in the tempo label.
    readSetting(line(8), earlychange, 10, 100);
    listenplay = line(9) != QLatin1String("notlp");
    readSetting(line(10), tickspeed, 20, 80);
    playmidinotes = line(11) == QLatin1String("pmn");

    const QString device = line(12);
    if (midiinput) {
        int id = 0;
        if (device != QLatin1String("nf") && !device.isEmpty()) {
            const double v = Val(device);
            // Device ids count from 0; anything else is no device.
            if (v >= 0 && v <= 2147483647.0)
                id = static_cast<int>(v);
        }
        if (s)
            s->OpenInput(id, platform::inputBufferEvents); // on failure the test clock reopens the last device s had open
    }

    reptest = line(13) == QLatin1String("rep");
}

QStringList datafilevalues(bool listenplay)
{
    using namespace Module1;
    QStringList values;
    values.reserve(lineCount);
    values << Str(totaltests) << Str(totalnotes) << Str(totalaccuracy) << Str(correct) << Str(almost)
           << Str(miss) << (midiinput ? QStringLiteral("midi") : QStringLiteral("notmidi"))
           << Str(earlychange) << (listenplay ? QStringLiteral("lp") : QStringLiteral("notlp"))
           << Str(tickspeed) << (playmidinotes ? QStringLiteral("pmn") : QStringLiteral("notpmn"))
           << deviceText() << (reptest ? QStringLiteral("rep") : QStringLiteral("norep"));
    return values;
}

void savedata(bool listenplay)
{
    QStringList lines;
    for (const QString& value : datafilevalues(listenplay))
        lines << encpw(value);
    try {
        platform::rewriteDataFile(datafilename, lines);
    } catch (const platform::IOException& e) {
        // The test clock's message says only that something failed; the
        // terminal gets which file and why.
        std::fprintf(stderr, "Velvane: the statistics were not saved: %s\n", qPrintable(e.message()));
        throw;
    }
}

TotalsTexts totalslabels()
{
    using namespace Module1;
    TotalsTexts t;
    t.ttestslabel = QStringLiteral("Number of tests ") + Str(totaltests);
    t.tnoteslabel = QStringLiteral("Notes played ") + Str(totalnotes);
    t.tacclabel = QStringLiteral("Accuracy ") + Format(totalaccuracy, percentPattern) + QStringLiteral("%");
    t.thitslabel = QStringLiteral("Perfect hits ") + Format(correct, percentPattern) + QStringLiteral("%");
    t.tnearlabel = QStringLiteral("Pretty close hits ") + Format(almost, percentPattern) + QStringLiteral("%");
    t.tmisslabel = QStringLiteral("Way off hits ") + Format(miss, percentPattern) + QStringLiteral("%");
    return t;
}

} // namespace scoring
