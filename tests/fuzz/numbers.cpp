// Number texts through the conversions, each text read as Latin-1 and as UTF-8.

#include "fuzz.h"
#include "support/error_of.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <QByteArrayView>
#include <cmath>
#include <cstdint>

namespace {

using testing_support::errorOf;

// A number as the program shows it reads back as the same number to the 15 digits shown.
// Far from the ends of the range, so that the rounding to 15 digits cannot leave it.
void readsBack(double x) {
    const QString text = vbrt::CStr(x);
    if (!(std::abs(x) >= 1e-300 && std::abs(x) <= 1e300))
        return;
    double back = 0;
    fuzz::require(errorOf([&] { back = vbrt::CDbl(text); }) == 0, "CDbl reads what CStr shows");
    fuzz::require(std::abs(back - x) <= 1e-14 * std::abs(x), "CStr keeps 15 digits");
}

// Only texts where Val and CDbl skip the same blanks (CDbl trims every kind of white space).
bool plainAscii(const QString& s) {
    for (QChar c : s)
        if (c < u' ' || c > u'~')
            return false;
    return true;
}

void check(const QString& s) {
    double val = 0;
    const int valError = errorOf([&] { val = vbrt::Val(s); });
    fuzz::require(valError == 0 || valError == vbrt::ErrOverflow, "Val raises only overflow");
    if (valError == 0)
        readsBack(val);

    double number = 0;
    const int cdblError = errorOf([&] { number = vbrt::CDbl(s); });
    fuzz::require(cdblError == 0 || cdblError == vbrt::ErrTypeMismatch ||
                      cdblError == vbrt::ErrOverflow,
                  "CDbl raises type mismatch or overflow");
    fuzz::require(vbrt::IsNumeric(s) == (cdblError == 0), "IsNumeric agrees with CDbl");
    if (cdblError != 0) {
        fuzz::require(errorOf([&] { vbrt::CInt(s); }) == cdblError, "CInt fails as CDbl does");
        fuzz::require(errorOf([&] { vbrt::CLng(s); }) == cdblError, "CLng fails as CDbl does");
        return;
    }
    readsBack(number);
    if (plainAscii(s))
        fuzz::require(val == number, "Val and CDbl read a number alike");

    int16_t i16 = 0;
    int32_t i32 = 0;
    const int cintError = errorOf([&] { i16 = vbrt::CInt(s); });
    const int clngError = errorOf([&] { i32 = vbrt::CLng(s); });
    fuzz::require(cintError == 0 || cintError == vbrt::ErrOverflow, "CInt raises only overflow");
    fuzz::require(clngError == 0 || clngError == vbrt::ErrOverflow, "CLng raises only overflow");
    if (cintError == 0)
        fuzz::require(clngError == 0 && i32 == i16, "CInt and CLng round alike");
    if (clngError == 0) {
        fuzz::require(std::abs(double(i32) - number) <= 0.5, "CLng rounds to the nearest");
        fuzz::require(vbrt::CStr(double(i32)) == QString::number(i32),
                      "a whole number shows without a fraction");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    check(QString::fromLatin1(bytes));
    check(QString::fromUtf8(bytes));
    return 0;
}
