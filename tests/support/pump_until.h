#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <functional>

namespace testing_support {

// Lets Qt's events run, without moving the program's virtual time, until `done` holds or
// `seconds` of real time have passed. True when it holds.
inline bool pumpUntil(const std::function<bool()>& done, double seconds = 5) {
    QDeadlineTimer deadline(qint64(seconds * 1000));
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace testing_support
