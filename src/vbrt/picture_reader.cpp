#include "vbrt/picture_reader.h"

#include "vbrt/file_reader.h"

#include <QImageReader>
#include <QtEndian>
#include <array>

namespace vbrt {

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

PictureRead readPicture(const QString& path, qint64 fileLimit, Orientation orientation) {
    const auto fail = [](PictureError why, const QString& text) {
        return PictureRead{QImage(), why, text};
    };
    ReadResult unread;
    const std::unique_ptr<QFile> file = openFile(path, fileLimit, unread);
    if (!file) {
        return fail(unread.kind == ReadError::TooLarge        ? PictureError::TooLarge
                    : unread.kind == ReadError::NotAPlainFile ? PictureError::NotAPlainFile
                                                              : PictureError::Unreadable,
                    unread.error);
    }
    const QSize claimed = bitmapSize(*file);
    QImageReader reader(file.get());
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(orientation == Orientation::AsTaken);
    QSize size = reader.size();
    if (!size.isValid())
        size = claimed;
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        return fail(PictureError::TooLarge, QStringLiteral("图片太大"));
    // Room for the largest picture taken, in 32 bits a pixel; anything beyond is refused by
    // the reader even where the header did not tell the size.
    reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1);
    QImage image = reader.read();
    if (image.isNull())
        return fail(PictureError::Unreadable, reader.errorString());
    return {std::move(image), PictureError::None, QString()};
}

} // namespace vbrt
