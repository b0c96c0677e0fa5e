#pragma once

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: a failed check aborts, so that the fuzzer keeps the input and
// the corpus replay fails.
namespace fuzz {

inline void require(bool ok, const char* what) {
    if (ok)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// The application object that images, fonts and picture boxes need, on the offscreen
// platform. It gets arguments of its own: the fuzzer's must not reach Qt's parser.
inline void startApplication() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

// A path in a folder of the target's own for the files it writes and reads back, thousands of
// times a second: in memory where the system has a folder for that (the program's writer
// syncs every file to disk, and a run would wait for the disk each time), else in the usual
// temporary folder. The folder goes when the target ends.
inline QString scratchPath(const QString& name) {
    static const QString kInMemory = QStringLiteral("/dev/shm");
    static QTemporaryDir folder((QDir(kInMemory).exists() ? kInMemory : QDir::tempPath()) +
                                QStringLiteral("/fuzz-XXXXXX"));
    return folder.filePath(name);
}

} // namespace fuzz
