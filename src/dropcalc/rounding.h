#pragma once

#include <QString>

namespace dropcalc {

// The calculator's rounding as text: x to six decimals, only the seventh decimal deciding and
// halves going up for both signs, written as the program writes numbers ("3.141593",
// "-0.25", "1E-06"). The seek bar reads it back as a number.
QString wc(double x);
// x unrounded, as the program writes numbers; raises ErrOverflow for a value that is no finite
// number, so that a readout never shows "Inf" or "NaN".
QString numberText(double x);

} // namespace dropcalc
