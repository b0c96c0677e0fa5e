#include "dropcalc/rounding.h"

#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <cmath>

namespace dropcalc {

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

// Our number texts always carry the leading zero ("0.5", "-0.5"), so the result needs no
// patching before it is shown or read back.
QString wcText(double x) {
    return vbrt::CStr(wc(x));
}

QString numberText(double x) {
    if (!std::isfinite(x))
        vbrt::raise(vbrt::ErrOverflow);
    return vbrt::CStr(x);
}

} // namespace dropcalc
