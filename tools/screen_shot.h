#pragma once

#include <QEventLoop>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QTimer>
#include <cstdio>

// What the screenshot tools share: letting the windows show what the last handler changed,
// and saving what the display shows now (not a fresh rendering of a window).
inline void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// False, and a line on stderr, when the file could not be saved.
inline bool saveScreen(const QString& file) {
    if (QGuiApplication::primaryScreen()->grabWindow(0).save(file))
        return true;
    std::fprintf(stderr, "could not save %s\n", qPrintable(file));
    return false;
}
