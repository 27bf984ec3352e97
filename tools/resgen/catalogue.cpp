#include "catalogue.h"
#include "cover.h"
#include "faces.h"
#include "notation_pictures.h"
#include "rhythms.h"
#include "sounds.h"
#include <QDir>
#include <QSaveFile>
#include <QTextStream>
#include <functional>
#include <vector>

namespace resgen {

namespace {

struct Picture {
    QString name;
    std::function<QImage(const MusicFont&)> make;
};

struct Sound {
    QString name;
    std::function<Samples()> make;
};

std::vector<Picture> pictures()
{
    std::vector<Picture> list;
    for (const Rhythm& rhythm : rhythms())
        list.push_back({QString::fromLatin1(rhythm.name), [&rhythm](const MusicFont& f) { return groupPicture(f, rhythm); }});
    list.push_back({"canvasback", canvasBackdrop});
    list.push_back({"cover", coverPicture});

    auto face = [](int w, int h, QString caption, FaceColour colour, FaceIcon icon = FaceIcon::None) {
        return [=](const MusicFont&) { return buttonFace(w, h, caption, colour, icon); };
    };
    // The start button is 76 high but shows its face 30 pixels down.
    list.push_back({"go", face(173, 46, "START", FaceColour::Green)});
    list.push_back({"stop", face(173, 46, "STOP", FaceColour::Red)});
    list.push_back({"repeat", face(173, 46, "REPEAT TEST", FaceColour::Amber)});
    list.push_back({"options", face(141, 65, "OPTIONS", FaceColour::Violet)});
    list.push_back({"optionslight", face(141, 65, "OPTIONS", FaceColour::Disabled)});
    list.push_back({"results", face(141, 65, "RESULTS", FaceColour::Blue)});
    list.push_back({"resultslight", face(141, 65, "RESULTS", FaceColour::Disabled)});
    list.push_back({"help", face(117, 46, "HELP", FaceColour::Teal)});
    list.push_back({"newtest", face(123, 32, "NEW TEST", FaceColour::Slate)});
    list.push_back({"play", face(89, 45, "PLAY", FaceColour::Green, FaceIcon::Play)});
    list.push_back({"smallstop", face(89, 45, "STOP", FaceColour::Red, FaceIcon::Stop)});

    auto dotOf = [](DotKind kind) { return [kind](const MusicFont&) { return dot(kind); }; };
    list.push_back({"bdot", dotOf(DotKind::Hit)});
    list.push_back({"gdot", dotOf(DotKind::Perfect)});
    list.push_back({"bldot", dotOf(DotKind::Near)});
    list.push_back({"rdot", dotOf(DotKind::WayOff)});
    list.push_back({"bbdot", dotOf(DotKind::Written)});

    for (const LevelPicture& level : levelPictures())
        list.push_back({QString::fromLatin1(level.name), [&level](const MusicFont& f) { return levelPicture(f, level); }});
    for (int beats = 2; beats <= 5; ++beats)
        list.push_back({QStringLiteral("t") + QString::number(beats) + QStringLiteral("4"), [beats](const MusicFont& f) { return timeSignature(f, beats); }});
    return list;
}

std::vector<Sound> sounds()
{
    std::vector<Sound> list;
    list.push_back({"hi", [] { return metronomeClick(true); }});
    list.push_back({"low", [] { return metronomeClick(false); }});
    const std::pair<const char*, int> pitches[] = {{"c", 60}, {"d", 62}, {"e", 64}, {"f", 65}, {"g", 67}, {"a", 69}, {"ch", 72}};
    for (const auto& [name, midi] : pitches)
        list.push_back({name, [midi] { return malletTone(midi); }});
    return list;
}

bool save(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !write(file) || !file.commit()) {
        qWarning("resgen: cannot write %s", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

QStringList resourceFiles()
{
    QStringList files;
    for (const Picture& p : pictures())
        files << p.name + ".png";
    for (const Sound& s : sounds())
        files << s.name + ".wav";
    return files;
}

bool writeResources(const MusicFont& font, const QString& folder)
{
    if (!QDir().mkpath(folder)) {
        qWarning("resgen: cannot make %s", qPrintable(folder));
        return false;
    }
    const QDir dir(folder);
    bool ok = true;
    for (const Picture& p : pictures()) {
        const QImage image = p.make(font);
        ok &= save(dir.filePath(p.name + ".png"), [&](QIODevice& d) { return image.save(&d, "PNG"); });
    }
    for (const Sound& s : sounds()) {
        const QByteArray wav = wavFile(s.make());
        ok &= save(dir.filePath(s.name + ".wav"), [&](QIODevice& d) { return d.write(wav) == wav.size(); });
    }
    ok &= save(dir.filePath("velvane.qrc"), [](QIODevice& d) {
        QTextStream out(&d);
        out << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/res\">\n";
        for (const QString& file : resourceFiles())
            out << "  <file>" << file << "</file>\n";
        out << "</qresource>\n</RCC>\n";
        out.flush();
        return out.status() == QTextStream::Ok;
    });
    return ok;
}

} // namespace resgen
