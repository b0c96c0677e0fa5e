#pragma once

#include <QGuiApplication>
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

} // namespace fuzz
