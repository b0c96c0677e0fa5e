#include "platform/page_files.h"

#include "vbrt/file_reader.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <algorithm>
#include <sys/stat.h>

namespace platform {

namespace {
// The largest picture file: a picture of 100 million pixels as an uncompressed bitmap.
constexpr qint64 kMaxPictureBytes = qint64(400) << 20;
const QString kTooLarge = QStringLiteral("图片太大");
} // namespace

QPixmap missingPicture() {
    static const QImage icon = [] {
        QImage i(QStringLiteral(":/qt-project.org/styles/commonstyle/images/file-16.png"));
        if (i.isNull()) {
            i = QImage(16, 16, QImage::Format_RGB32);
            i.fill(Qt::lightGray);
        }
        return i;
    }();
    return QPixmap::fromImage(icon);
}

void PageFiles::clear() {
    read_.clear();
    pictureBytes_ = 0;
}

PageFiles::Read PageFiles::picture(const QString& path) {
    Read read = readOnce(path, true);
    if (read.value.userType() == QMetaType::QPixmap)
        return read;
    // Read earlier in the page for a style sheet, and no picture.
    return {missingPicture(), QStringLiteral("不是图片")};
}

QVariant PageFiles::resource(const QString& path) {
    return readOnce(path, false).value;
}

PageFiles::Read PageFiles::readOnce(const QString& path, bool asPicture) {
    struct stat st {};
    const bool known = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    const std::pair<dev_t, ino_t> id(st.st_dev, st.st_ino);
    if (known)
        if (const auto it = read_.find(id); it != read_.end())
            return it->second;
    Read read = asPicture ? shown(vbrt::readPicture(path, kMaxPictureBytes,
                                                    vbrt::Orientation::AsTaken, pictureRoom()))
                          : readResource(path);
    // A name that cannot even be looked at was not read either: nothing to keep.
    if (known)
        read_.emplace(id, read);
    return read;
}

PageFiles::Read PageFiles::readResource(const QString& path) {
    vbrt::ReadResult file = vbrt::readFile(path, kMaxPageBytes);
    if (!file)
        return {missingPicture(), file.error};
    if (!vbrt::isPicture(file.bytes))
        return {std::move(file.bytes), QString()};
    // A picture is one wherever the page names it, and counts against the page's budget.
    QBuffer bytes(&file.bytes);
    bytes.open(QIODevice::ReadOnly);
    return shown(vbrt::readPicture(bytes, vbrt::Orientation::AsTaken, pictureRoom()));
}

PageFiles::Read PageFiles::shown(vbrt::PictureRead read) {
    if (read.image.isNull())
        return {missingPicture(), read.why};
    // Kept as a pixmap, as the view draws it, rather than converted at every paint. The budget
    // counts the pixmap, and before it is made: it takes at least 32 bits a pixel, so a picture
    // of 1 or 8 bits grows up to 32 times over.
    const QImage& image = read.image;
    if (qint64(image.width()) * image.height() * std::max(32, image.depth()) / 8 > pictureRoom())
        return {missingPicture(), kTooLarge};
    const QPixmap kept = QPixmap::fromImage(std::move(read.image));
    pictureBytes_ += qint64(kept.width()) * kept.height() * kept.depth() / 8;
    return {kept, QString()};
}

qint64 PageFiles::pictureRoom() const {
    return kPictureMemory - pictureBytes_;
}

} // namespace platform
