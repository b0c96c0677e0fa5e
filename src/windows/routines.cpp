#include "windows/routines.h"

#include "ui/waits.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <cmath>

namespace windows {

double yanchi() {
    ui::busyWait(1.0f);
    return 0;
}

void pauseTickBusy() {
    ui::busyWait(0.01f);
}

void plotStepDelay(bool fastPlot) {
    if (fastPlot)
        countLoop(0, 5000);
    else
        pauseTickBusy();
}

void countLoop(int from, int to) {
    // An empty loop the optimiser must keep: its only purpose is to take time.
    volatile int sink = 0;
    for (int i = from; i <= to; ++i)
        sink = i;
    (void)sink;
    ui::showDrawingSoFar();
}

int16_t max3(int16_t a, int16_t b, int16_t c) {
    return std::max({a, b, c});
}
int16_t max1(int16_t a, int16_t b, int16_t c) {
    return std::min({a, b, c});
}

int16_t max2(int16_t a, int16_t b, int16_t c) {
    const int16_t hi = max3(a, b, c), lo = max1(a, b, c);
    int16_t result = 0;
    for (int16_t v : {a, b, c})
        if (v != lo && v != hi)
            result = v;
    return result;
}

namespace {
// The part between the first `open` letter (or the start) and the first `close` letter.
int16_t colourPart(const QString& s, QChar open, QChar close) {
    const int p = open.isNull() ? 0 : vbrt::InStr(s, QString(open));
    const int q = vbrt::InStr(s, QString(close));
    const int length = q - p - 1;
    if (length < 0)
        vbrt::raise(vbrt::ErrInvalidCall);
    return vbrt::CInt(vbrt::Mid(s, p + 1, length));
}
} // namespace

int16_t quza(const QString& s) {
    return colourPart(s, QChar(), QLatin1Char('r'));
}
int16_t quzb(const QString& s) {
    return colourPart(s, QLatin1Char('r'), QLatin1Char('g'));
}
int16_t quzc(const QString& s) {
    return colourPart(s, QLatin1Char('g'), QLatin1Char('b'));
}

} // namespace windows
