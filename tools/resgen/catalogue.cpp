#include "catalogue.h"
#include "cover.h"
#include "faces.h"
#include "notation_pictures.h"
#include "rhythms.h"
#include "sounds.h"
#include "shell/resource_list.h"
#include <QDir>
#include <QSaveFile>
#include <QTextStream>
#include <cstdio>
#include <functional>
#include <map>
#include <string_view>
#include <vector>

namespace resgen {

namespace {

using PictureMaker = std::function<QImage(const MusicFont&)>;
using SoundMaker = std::function<Samples()>;

struct Picture {
    QString name;
    PictureMaker make;
};

struct Sound {
    QString name;
    SoundMaker make;
};

// How each picture is made, by name.
std::map<QString, PictureMaker> pictureMakers()
{
    std::map<QString, PictureMaker> makers;
    for (const Rhythm& rhythm : rhythms())
        makers[rhythm.name] = [&rhythm](const MusicFont& f) { return groupPicture(f, rhythm); };
    makers["canvasback"] = canvasBackdrop;
    makers["cover"] = coverPicture;

    for (const FaceSpec& face : facePictures())
        makers[face.name] = [face](const MusicFont&) { return buttonFace(face); };

    auto dotOf = [](DotKind kind) { return [kind](const MusicFont&) { return dot(kind); }; };
    makers["bdot"] = dotOf(DotKind::Hit);
    makers["gdot"] = dotOf(DotKind::Perfect);
    makers["bldot"] = dotOf(DotKind::Near);
    makers["rdot"] = dotOf(DotKind::WayOff);
    makers["bbdot"] = dotOf(DotKind::Written);

    for (const LevelPicture& level : levelPictures())
        makers[QString::fromLatin1(level.name)] = [&level](const MusicFont& f) { return levelPicture(f, level); };
    for (int beats = 2; beats <= 5; ++beats)
        makers[QStringLiteral("t%1").arg(beats) + QStringLiteral("4")] = [beats](const MusicFont& f) { return timeSignature(f, beats); };
    return makers;
}

std::map<QString, SoundMaker> soundMakers()
{
    std::map<QString, SoundMaker> makers;
    makers["hi"] = [] { return metronomeClick(true); };
    makers["low"] = [] { return metronomeClick(false); };
    const std::pair<const char*, int> pitches[] = {{"c", 60}, {"d", 62}, {"e", 64}, {"f", 65}, {"g", 67}, {"a", 69}, {"ch", 72}};
    for (const auto& [name, midi] : pitches)
        makers[name] = [midi] { return malletTone(midi); };
    return makers;
}

QString nameOf(std::string_view name) { return QString::fromLatin1(name.data(), qsizetype(name.size())); }

// The program's resources in the order of its list, each with its maker;
// what the list and the makers do not agree on goes to `problems`.
template <typename Resource, typename Maker, typename Names>
std::vector<Resource> inListOrder(std::map<QString, Maker> makers, const Names& names, QStringList& problems)
{
    std::vector<Resource> list;
    for (const QString& name : names) {
        const auto found = makers.find(name);
        if (found == makers.end()) {
            problems << QStringLiteral("%1: listed, but nothing makes it").arg(name);
            continue;
        }
        list.push_back({name, found->second});
        makers.erase(found);
    }
    for (const auto& [name, maker] : makers)
        problems << QStringLiteral("%1: made, but not in the program's list").arg(name);
    return list;
}

std::vector<Picture> pictures(QStringList& problems)
{
    QStringList names;
    for (const res::PictureEntry& p : res::pictureList)
        names << nameOf(p.name);
    return inListOrder<Picture>(pictureMakers(), names, problems);
}

std::vector<Sound> sounds(QStringList& problems)
{
    QStringList names;
    for (std::string_view s : res::soundList)
        names << nameOf(s);
    return inListOrder<Sound>(soundMakers(), names, problems);
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
    for (const res::PictureEntry& p : res::pictureList)
        files << nameOf(p.name) + ".png";
    for (std::string_view s : res::soundList)
        files << nameOf(s) + ".wav";
    return files;
}

bool writeResources(const MusicFont& font, const QString& folder)
{
    if (!QDir().mkpath(folder)) {
        qWarning("resgen: cannot make %s", qPrintable(folder));
        return false;
    }
    // Nothing is written unless every listed resource can be made as listed
    // and every group picture shows its group's rhythm.
    QStringList problems = rhythmProblems();
    const std::vector<Picture> picturesToMake = pictures(problems);
    const std::vector<Sound> soundsToMake = sounds(problems);
    for (const QString& problem : problems)
        std::fprintf(stderr, "resgen: %s\n", qPrintable(problem));
    if (!problems.isEmpty())
        return false;

    const QDir dir(folder);
    bool ok = true;
    for (const Picture& p : picturesToMake) {
        const QImage image = p.make(font);
        ok &= save(dir.filePath(p.name + ".png"), [&](QIODevice& d) { return image.save(&d, "PNG"); });
    }
    for (const Sound& s : soundsToMake) {
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
