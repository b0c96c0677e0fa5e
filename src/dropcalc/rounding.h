#pragma once

#include <QString>

namespace dropcalc {

// x rounded to 6 decimals, halves up (towards plus infinity) for both signs; only the 7th
// decimal decides. Raises overflow when x * 10^7 is no finite double.
double wc(double x);
// The same as a 32-bit float (overflow when it does not fit).
float wct(double x);
// x rounded to 1 decimal by the same rule.
double wcc(double x);
// x cut to 1 decimal towards minus infinity.
double wcs(double x);

// The calculator's rounding as text: x to six decimals, only the seventh decimal deciding and
// halves going up for both signs, written as the program writes numbers ("3.141593",
// "-0.25", "1E-06"). The seek bar reads it back as a number.
QString wcText(double x);
// x unrounded, as the program writes numbers; raises ErrOverflow for a value that is no finite
// number, so that a readout never shows "Inf" or "NaN".
QString numberText(double x);

} // namespace dropcalc
