#include "shell/routines.h"

#include "ui/waits.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <cmath>

namespace shell {

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

namespace {
// Rounds to 1/scale by looking at the next decimal only; `finer` is 10 * scale, written out
// so that both products are single double multiplications.
double roundHalfUp(double x, double scale, double finer) {
    const double a = vbrt::Int(x * finer);
    const double b = vbrt::Int(x * scale);
    if (!std::isfinite(a) || !std::isfinite(b))
        vbrt::raise(vbrt::ErrOverflow);
    const double d = a - 10 * b;
    return (std::abs(d) >= 5 ? b + 1 : b) / scale;
}
} // namespace

double wc(double x) {
    return roundHalfUp(x, 1e6, 1e7);
}
float wct(double x) {
    return vbrt::CSng(wc(x));
}
double wcc(double x) {
    return roundHalfUp(x, 10, 100);
}

double wcs(double x) {
    const double t = x * 10;
    if (!std::isfinite(t))
        vbrt::raise(vbrt::ErrOverflow);
    return vbrt::Int(t) / 10;
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

} // namespace shell
