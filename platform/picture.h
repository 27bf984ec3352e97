#pragma once
// A picture loaded once from the resources and kept for the whole run.
// Callers hold Ref<Picture> and compare pictures by identity.
#include <QImage>
#include <QString>

namespace platform {

class Picture {
public:
    Picture(QString name, QImage image) : name_(std::move(name)), image_(std::move(image)) {}
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    const QImage& image() const { return image_; }
    const QString& name() const { return name_; }

private:
    QString name_;
    QImage image_;
};

} // namespace platform
