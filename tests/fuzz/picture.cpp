// Picture files of any content through the loader.

#include "fuzz.h"
#include "ui/picture_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <cstdint>

namespace {

// Pictures that say they are larger than this are not loaded (but for those the loader
// refuses unread): it would decode them as it decodes a small one, only for longer, and a
// few such inputs would take most of the runs.
constexpr qint64 kLargestLoaded = 256 * 256;

const QString& picturePath() {
    static const QString path = fuzz::scratchPath(QStringLiteral("picture.jpg"));
    return path;
}

// The decoders are outside the instrumented code, so the fuzzer would take every picture for
// the same and keep only one: it is told each input's format and outcome through counters of
// its own, and keeps an input of every kind.
__attribute__((section("__libfuzzer_extra_counters"))) uint8_t kinds[64];

void count(const QByteArray& format, const QImage& image) {
    static const QByteArrayList formats{"bmp", "gif", "ico", "jpeg", "png",
                                        "pbm", "pgm", "ppm", "xbm",  "xpm"};
    const qsizetype known = formats.indexOf(format) + 1;
    const qint64 pixels = qint64(image.width()) * image.height();
    const int outcome = image.isNull() ? 0 : pixels < 64 ? 1 : pixels < 4096 ? 2 : 3;
    ++kinds[known * 4 + outcome];
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // What the loader will find in the file, read from memory.
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader header(&buffer);
    const QByteArray format = header.format();
    // A top-down bitmap gives a negative height.
    const QSize said = header.size();
    const qint64 pixels = qAbs(qint64(said.width()) * said.height());
    if (pixels > kLargestLoaded && pixels <= ui::kMaxPicturePixels)
        return 0;

    QFile file(picturePath());
    fuzz::require(file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered),
                  "the file is written");
    fuzz::require(file.write(bytes) == qint64(size), "the file is written whole");
    file.close();
    const QImage image = ui::LoadPicture(picturePath());
    fuzz::require(image.isNull() || (image.format() == QImage::Format_RGB32 && image.width() > 0 &&
                                     image.height() > 0),
                  "a picture is a 32-bit image or none");
    count(format, image);
    return 0;
}
