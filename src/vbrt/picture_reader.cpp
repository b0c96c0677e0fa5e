#include "vbrt/picture_reader.h"

#include "vbrt/file_reader.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <array>

namespace vbrt {

namespace {
// The size a bitmap's header claims, for the bitmaps the decoder will not even size (it
// refuses those taller than it handles): enough to tell the user it is too large rather than
// no picture.
QSize bitmapSize(QIODevice& file) {
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

// The bits a pixel takes decoded to the format numbered `format`: 32 where the header tells no
// format, or none there is. A number rather than the enum, which could not hold one that is no
// format.
int bitsOf(int format) {
    if (format <= QImage::Format_Invalid || format >= QImage::NImageFormats)
        return 32;
    return std::max(1, int(QImage::toPixelFormat(QImage::Format(format)).bitsPerPixel()));
}

// The bytes a picture of `size` takes decoded, its lines padded to 32 bits as QImage does.
qint64 decodedBytes(QSize size, int format) {
    return (qint64(size.width()) * bitsOf(format) + 31) / 32 * 4 * size.height();
}
} // namespace

PictureRead readPicture(const QString& path, qint64 fileLimit, Orientation orientation,
                        qint64 memoryLimit) {
    ReadResult unread;
    const std::unique_ptr<QFile> file = openFile(path, fileLimit, unread);
    if (!file) {
        return {QImage(),
                unread.kind == ReadError::TooLarge        ? PictureError::TooLarge
                : unread.kind == ReadError::NotAPlainFile ? PictureError::NotAPlainFile
                                                          : PictureError::Unreadable,
                unread.error};
    }
    return readPicture(*file, orientation, memoryLimit);
}

PictureRead readPicture(QIODevice& device, Orientation orientation, qint64 memoryLimit) {
    const auto fail = [](PictureError why, const QString& text) {
        return PictureRead{QImage(), why, text};
    };
    const QSize claimed = bitmapSize(device);
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(orientation == Orientation::AsTaken);
    const QSize told = reader.size();
    const QSize size = told.isValid() ? told : claimed;
    // The format is asked only of a header the reader could read: a JPEG reader that failed on
    // its header answers with whatever its memory held.
    const int format = told.isValid() ? int(reader.imageFormat()) : int(QImage::Format_Invalid);
    const QString tooLarge = QStringLiteral("图片太大");
    if (size.isValid() && (qint64(size.width()) * size.height() > kMaxPicturePixels ||
                           decodedBytes(size, format) > memoryLimit))
        return fail(PictureError::TooLarge, tooLarge);
    // Room for the largest picture taken, at the bits a pixel its header tells (64 for a 16-bit
    // PNG, never counted below 32), within the caller's memory; anything beyond is refused by
    // the reader even where the header did not tell the size. The limit is Qt's for every
    // reader, so it is set back once this one is done.
    constexpr qint64 kMiB = 1 << 20;
    const qint64 room = std::min(kMaxPicturePixels * std::max(32, bitsOf(format)) / 8, memoryLimit);
    const int limitBefore = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(int(std::max<qint64>(1, (room + kMiB - 1) / kMiB)));
    QImage image = reader.read();
    QImageReader::setAllocationLimit(limitBefore);
    if (image.isNull())
        return fail(PictureError::Unreadable, reader.errorString());
    if (image.sizeInBytes() > memoryLimit)
        return fail(PictureError::TooLarge, tooLarge);
    return {std::move(image), PictureError::None, QString()};
}

bool isPicture(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return !QImageReader::imageFormat(&buffer).isEmpty();
}

} // namespace vbrt
