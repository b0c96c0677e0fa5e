#include "dropcalc/rounding.h"

#include "shell/routines.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <cmath>

namespace dropcalc {

// Our number texts always carry the leading zero ("0.5", "-0.5"), so the result needs no
// patching before it is shown or read back.
QString wc(double x) {
    return vbrt::CStr(shell::wc(x));
}

QString numberText(double x) {
    if (!std::isfinite(x))
        vbrt::raise(vbrt::ErrOverflow);
    return vbrt::CStr(x);
}

} // namespace dropcalc
