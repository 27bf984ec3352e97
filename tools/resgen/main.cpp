// resgen: makes the program's pictures and sounds.
//
//   resgen --font bravura.otf OUTDIR       every resource and velvane.qrc
//   resgen --sheet OUT.png RESDIR          contact sheet of the pictures
//   resgen --mock OUT.png RESDIR [ZOOM]    the notation canvas with a few bars
//   resgen --icons FONT.otf OUTDIR NAME SIZE...
//                                          the desktop icon, OUTDIR/hicolor/NxN/apps/NAME.png
//
// Every picture and sound the program holds is made here at build time and
// compiled in; their names come from shell/resource_list.h alone. The group
// pictures are drawn from the program's group table (notation/groupdata.h):
// group_engravings.cpp only says how each beat is written, and the build
// stops when those values do not start the notes at the table's offsets. The
// button faces are laid out in faces.cpp with the size of the button that
// shows each. `cmake --build build --target resource_sheet` writes every
// picture on one sheet, build/tools/resource-sheet.png, and a mock-up of the
// notation canvas, build/tools/canvas-mock.png.
#include "app_icon.h"
#include "catalogue.h"
#include "music_font.h"
#include "sheet.h"
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

int usage()
{
    std::fputs("usage: resgen --font FONT.otf OUTDIR\n"
               "       resgen --sheet OUT.png RESDIR\n"
               "       resgen --mock OUT.png RESDIR [ZOOM]\n"
               "       resgen --icons FONT.otf OUTDIR NAME SIZE...\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    // Runs at build time without a display.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    if (args.size() == 3 && args[0] == "--font") {
        resgen::MusicFont font;
        if (!font.load(args[1])) {
            std::fprintf(stderr, "resgen: %s is no usable SMuFL font\n", qPrintable(args[1]));
            return 1;
        }
        return resgen::writeResources(font, args[2]) ? 0 : 1;
    }
    if (args.size() >= 5 && args[0] == "--icons") {
        std::vector<int> sizes;
        for (const QString& arg : args.mid(4)) {
            const int size = arg.toInt();
            if (size < 16 || size > 1024)
                return usage();
            sizes.push_back(size);
        }
        resgen::MusicFont font;
        if (!font.load(args[1])) {
            std::fprintf(stderr, "resgen: %s is no usable SMuFL font\n", qPrintable(args[1]));
            return 1;
        }
        return resgen::writeAppIcons(font, args[2], args[3], sizes) ? 0 : 1;
    }
    if (args.size() == 3 && args[0] == "--sheet")
        return resgen::writeContactSheet(args[2], args[1]) ? 0 : 1;
    if ((args.size() == 3 || args.size() == 4) && args[0] == "--mock") {
        const int zoom = args.size() == 4 ? args[3].toInt() : 1;
        if (zoom < 1 || zoom > 4)
            return usage();
        return resgen::writeCanvasMock(args[2], args[1], zoom) ? 0 : 1;
    }
    return usage();
}
