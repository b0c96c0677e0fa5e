// Picture files of any content through the loader.

#include "fuzz.h"
#include "ui/picture_file.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstdint>

namespace {

QString picturePath() {
    static QTemporaryDir folder;
    return folder.filePath(QStringLiteral("picture.jpg"));
}

// The decoders are outside the instrumented code, so the fuzzer would take every picture for
// the same and keep only one: it is told each input's format and outcome through counters of
// its own, and keeps an input of every kind.
__attribute__((section("__libfuzzer_extra_counters"))) uint8_t kinds[64];

void count(const QImage& image) {
    static const QByteArrayList formats{"bmp", "gif", "ico", "jpeg", "png",
                                        "pbm", "pgm", "ppm", "xbm",  "xpm"};
    const qsizetype format = formats.indexOf(QImageReader::imageFormat(picturePath())) + 1;
    const qint64 pixels = qint64(image.width()) * image.height();
    const int outcome = image.isNull() ? 0 : pixels < 64 ? 1 : pixels < 4096 ? 2 : 3;
    ++kinds[format * 4 + outcome];
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QFile file(picturePath());
    fuzz::require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the file is written");
    fuzz::require(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size),
                  "the file is written whole");
    file.close();
    const QImage image = ui::LoadPicture(picturePath());
    fuzz::require(image.isNull() || (image.format() == QImage::Format_RGB32 && image.width() > 0 &&
                                     image.height() > 0),
                  "a picture is a 32-bit image or none");
    count(image);
    return 0;
}
