// Reads a data file the way the program reads it at start-up, for runs of
// the real program that check what a test saved:
//
//   read_datafile FOLDER
//
// Prints the 13 unscrambled lines as "lineN=text", then the totals labels'
// texts as the next start shows them ("ttestslabel=Number of tests 1"...).
// Exit status 3 when there is no data file, 1 when it cannot be read.
#include "platform/textfile.h"
#include "scoring/datafile.h"
#include "scoring/scramble.h"
#include "shell/module1.h"
#include <QCoreApplication>
#include <QString>
#include <cstdio>

namespace {

void print(const char* name, const QString& value)
{
    std::printf("%s=%s\n", name, value.toUtf8().constData());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: read_datafile FOLDER\n");
        return 2;
    }
    Module1::initialise();
    platform::setDataFolder(QString::fromLocal8Bit(argv[1]));
    if (!platform::dataFileExists(scoring::datafilename))
        return 3;
    try {
        const QStringList lines = platform::readDataFileLines(scoring::datafilename);
        for (int i = 0; i < lines.size(); ++i)
            print(QStringLiteral("line%1").arg(i + 1).toLatin1().constData(), scoring::decpw(lines[i]));
        // No MIDI stream here: loaddata reads line 7 as keys, which the
        // totals do not depend on.
        bool listenplay = true;
        scoring::loaddata(listenplay);
        const scoring::TotalsTexts t = scoring::totalslabels();
        print("ttestslabel", t.ttestslabel);
        print("tnoteslabel", t.tnoteslabel);
        print("tacclabel", t.tacclabel);
        print("thitslabel", t.thitslabel);
        print("tnearlabel", t.tnearlabel);
        print("tmisslabel", t.tmisslabel);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "read_datafile: %s\n", e.what());
        return 1;
    }
    return 0;
}
