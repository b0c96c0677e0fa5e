#include "ui/picture_file.h"

#include <QBuffer>

namespace ui {

QImage LoadPicture(const QString& path, PictureError* error) {
    vbrt::PictureRead read = vbrt::readPicture(path, kMaxPictureFileBytes);
    if (error)
        *error = read.error;
    return std::move(read.image).convertToFormat(QImage::Format_RGB32);
}

vbrt::WriteResult SavePicture(const QImage& image, const QString& path) {
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "BMP"))
        return {QStringLiteral("没有图像可以保存")};
    return vbrt::replaceFile(path, bitmap);
}

} // namespace ui
