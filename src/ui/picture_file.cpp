#include "ui/picture_file.h"

#include "vbrt/file_reader.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <array>

namespace ui {

namespace {
// The size a bitmap's header claims, for the bitmaps the decoder will not even size (it
// refuses those taller than it handles): enough to tell the user it is too large rather than
// no picture.
QSize bitmapSize(QFile& file) {
    std::array<char, 26> header{};
    if (file.peek(header.data(), qint64(header.size())) != qint64(header.size()) ||
        header[0] != 'B' || header[1] != 'M')
        return {};
    const auto at = [&header](size_t i) { return qFromLittleEndian<qint32>(&header[i]); };
    const qint32 infoSize = at(14), width = at(18), height = at(22);
    if (infoSize < 40 || width <= 0 || height == 0 || height == INT32_MIN)
        return {};
    return QSize(width, height < 0 ? -height : height);
}
} // namespace

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
    vbrt::ReadResult unread;
    const std::unique_ptr<QFile> file = vbrt::openFile(path, kMaxPictureFileBytes, unread);
    if (!file)
        return fail(unread.kind == vbrt::ReadError::TooLarge        ? PictureError::TooLarge
                    : unread.kind == vbrt::ReadError::NotAPlainFile ? PictureError::NotAPlainFile
                                                                    : PictureError::Unreadable);
    const QSize claimed = bitmapSize(*file);
    // The content decides the format, not the name: saved pictures are bitmaps under any name.
    QImageReader reader(file.get());
    reader.setDecideFormatFromContent(true);
    QSize size = reader.size();
    if (!size.isValid())
        size = claimed;
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
