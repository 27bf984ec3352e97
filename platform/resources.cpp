#include "platform/resources.h"
#include <QFile>
#include <QImage>

namespace platform {

namespace {
QString root;

QString pathOf(const QString& fileName)
{
    return resourceRoot() + QLatin1Char('/') + fileName;
}
} // namespace

QString resourceRoot()
{
    return root.isEmpty() ? QStringLiteral(":/res") : root;
}

void setResourceRoot(const QString& folder) { root = folder; }

std::unique_ptr<Picture> findPicture(const QStringList& fileNames)
{
    for (const QString& name : fileNames) {
        QImage image;
        if (QFile::exists(pathOf(name)) && image.load(pathOf(name)))
            return std::make_unique<Picture>(name, image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    return nullptr;
}

std::unique_ptr<Sound> findSound(const QString& fileName)
{
    QFile file(pathOf(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    return decodeWav(file.readAll(), fileName);
}

Picture* PictureSlot::get()
{
    if (!pic_)
        pic_ = findPicture(QStringList{QString::fromLatin1(file_)});
    return pic_.get();
}

void PictureSlot::forget() { pic_.reset(); }

Sound* SoundSlot::get()
{
    if (!loaded_) {
        // Marked first: a lookup that fails or throws is not tried again.
        loaded_ = true;
        permaSound_ = findSound(QString::fromLatin1(file_));
    }
    return permaSound_.get();
}

void SoundSlot::forget()
{
    loaded_ = false;
    permaSound_.reset();
}

} // namespace platform
