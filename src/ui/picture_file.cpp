#include "ui/picture_file.h"

#include <QBuffer>
#include <QImageReader>

namespace ui {

QImage LoadPicture(const QString& path, PictureError* error) {
    const auto fail = [error](PictureError why) {
        if (error)
            *error = why;
        return QImage();
    };
    if (error)
        *error = PictureError::None;
    if (path.isEmpty())
        return fail(PictureError::Unreadable);
    // The content decides the format, not the name: saved pictures are bitmaps under any name.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        return fail(PictureError::TooLarge);
    // Room for the largest picture taken, in 32 bits a pixel; anything beyond is refused by
    // the reader even where the header did not tell the size.
    reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1);
    QImage img = reader.read();
    if (img.isNull())
        return fail(PictureError::Unreadable);
    return img.convertToFormat(QImage::Format_RGB32);
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
