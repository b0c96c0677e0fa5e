#pragma once

#include "app/line_table.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <cstdio>

namespace bench_support {

// The benchmarks write their files in memory (/dev/shm) where there is one, so that what they
// time is the program's work and not the disk's flush of each replaced file.
inline QString scratchFolderTemplate() {
    return QDir(QStringLiteral("/dev/shm")).exists()
               ? QStringLiteral("/dev/shm/bench-XXXXXX")
               : QDir::tempPath() + QStringLiteral("/bench-XXXXXX");
}

// A benchmark first checks that the paths it times still write the files, grids and pixels
// they wrote when the figures in its notes were taken: a faster path must not change a byte.

class Digest {
public:
    void addFile(const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        hash_.addData(f.readAll());
    }
    void addGrid(const app::TextGrid& grid, int lines, int tokens) {
        for (int c = 0; c < lines; ++c)
            for (int t = 0; t <= tokens; ++t) {
                hash_.addData(grid.cell(c, t));
                hash_.addData("\t");
            }
    }
    void addImage(const QImage& image) {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < rgb.height(); ++y)
            hash_.addData(QByteArrayView(rgb.constScanLine(y), rgb.width() * 4));
    }
    QByteArray hex() { return hash_.result().toHex().left(16); }

private:
    QCryptographicHash hash_{QCryptographicHash::Sha256};
};

// Compares what a stage wrote with what it wrote before; false (after saying so) when it
// differs.
inline bool same(const char* stage, Digest& d, const char* expected) {
    const QByteArray got = d.hex();
    if (got == expected)
        return true;
    std::fprintf(stderr, "OUTPUT CHANGED: %s is %s, was %s\n", stage, got.constData(), expected);
    return false;
}

} // namespace bench_support
