#pragma once

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

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

// The pictures of one run: PREFIX-NAME.png each, and how many could not be saved.
namespace shots {
inline QString prefix;
inline int failures = 0;

inline void shoot(const char* name) {
    if (!saveScreen(prefix + "-" + name + ".png"))
        ++failures;
}

// Ends the run at once, without taking the windows down; failing when a picture or a check
// failed.
[[noreturn]] inline void finish() {
    std::fflush(nullptr);
    std::_Exit(failures ? 1 : 0);
}
} // namespace shots

// A mouse event of the left button at a point of a widget, delivered as the window system
// would.
inline void sendMouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButtons held) {
    QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
