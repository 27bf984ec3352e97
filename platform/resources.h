#pragma once
// Pictures (".png") and sounds (".wav") looked up by file name. The program's
// own are compiled in as Qt resources under ":/res"; tests can point the
// lookup at a folder.
#include "platform/picture.h"
#include "platform/sound.h"
#include <QString>
#include <QStringList>
#include <memory>

namespace platform {

// ":/res" unless a test set another folder; an empty text restores it.
QString resourceRoot();
void setResourceRoot(const QString& folder);

// The first of the names that exists, loaded; nullptr when none does.
std::unique_ptr<Picture> findPicture(const QStringList& fileNames);
// The named sound, decoded; nullptr when it is missing or not 16-bit PCM.
std::unique_ptr<Sound> findSound(const QString& fileName);

// The accessors' rules, one slot per resource:
// a picture found once is kept; a missing picture is looked up again on the
// next call.
class PictureSlot {
public:
    explicit PictureSlot(const char* fileName) : file_(fileName) {}
    Picture* get();
    void forget(); // tests only: back to the start-of-run state

private:
    const char* file_;
    std::unique_ptr<Picture> pic_;
};

// A sound is looked up once, on the first call, found or not.
class SoundSlot {
public:
    explicit SoundSlot(const char* fileName) : file_(fileName) {}
    Sound* get();
    void forget(); // tests only

private:
    const char* file_;
    bool loaded_ = false;
    std::unique_ptr<Sound> permaSound_;
};

} // namespace platform
