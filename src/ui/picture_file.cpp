#include "ui/picture_file.h"

#include <QImageReader>
#include <QSaveFile>

namespace ui {

QImage LoadPicture(const QString& path) {
    if (path.isEmpty())
        return {};
    // The content decides the format, not the name: saved pictures are bitmaps under any name.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QImage img = reader.read();
    if (img.isNull())
        return {};
    return img.convertToFormat(QImage::Format_RGB32);
}

bool SavePicture(const QImage& image, const QString& path) {
    if (image.isNull() || path.isEmpty())
        return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (!image.save(&f, "BMP"))
        return false;
    return f.commit();
}

} // namespace ui
