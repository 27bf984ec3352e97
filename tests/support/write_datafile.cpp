// Writes a data file with the program's own encoder, for runs of the real
// program that must start with chosen settings (end-to-end tests, benchmarks).
//
//   write_datafile FOLDER [name=value ...]
//
// Names: tickspeed, earlychange, listenplay (0/1), midiinput (0/1),
// reptest (0/1), totaltests. Unnamed values keep their initial values.
#include "scoring/datafile.h"
#include "shell/module1.h"
#include "platform/quitsignals.h"
#include "platform/textfile.h"
#include <QCoreApplication>
#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The program's saves meet a file-size limit as the program does.
    platform::ignoreWriteSignals();
    if (argc < 2) {
        std::fprintf(stderr, "usage: write_datafile FOLDER [name=value ...]\n");
        return 2;
    }
    Module1::initialise();
    platform::setDataFolder(QString::fromLocal8Bit(argv[1]));
    bool listenplay = true;
    for (int i = 2; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        bool ok = eq > 0;
        const long long value = ok ? arg.mid(eq + 1).toLongLong(&ok) : 0;
        const QString name = arg.left(eq);
        if (!ok) {
            std::fprintf(stderr, "write_datafile: not name=number: %s\n", argv[i]);
            return 2;
        }
        if (name == QLatin1String("tickspeed")) Module1::tickspeed = value;
        else if (name == QLatin1String("earlychange")) Module1::earlychange = value;
        else if (name == QLatin1String("midiinput")) Module1::midiinput = value != 0;
        else if (name == QLatin1String("reptest")) Module1::reptest = value != 0;
        else if (name == QLatin1String("totaltests")) Module1::totaltests = value;
        else if (name == QLatin1String("listenplay")) listenplay = value != 0;
        else {
            std::fprintf(stderr, "write_datafile: unknown name: %s\n", argv[i]);
            return 2;
        }
    }
    try {
        scoring::savedata(listenplay);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "write_datafile: %s\n", e.what());
        return 1;
    }
    return 0;
}
