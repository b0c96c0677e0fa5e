#include "vbrt/variant.h"

#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <cmath>

namespace vbrt {

// Values outside 16 bits held the old runtime's 32-bit type; a double represents every one
// of them exactly and follows the same arithmetic.
Variant::Variant(int v) {
    if (v >= INT16_MIN && v <= INT16_MAX)
        v_ = int16_t(v);
    else
        v_ = double(v);
}

double Variant::toDouble() const {
    if (const auto* i = std::get_if<int16_t>(&v_))
        return *i;
    if (const auto* d = std::get_if<double>(&v_))
        return *d;
    if (const auto* b = std::get_if<bool>(&v_))
        return *b ? -1.0 : 0.0;
    if (const auto* s = std::get_if<QString>(&v_))
        return CDbl(*s);
    return 0.0;
}

bool Variant::toBool() const {
    if (const auto* b = std::get_if<bool>(&v_))
        return *b;
    if (const auto* s = std::get_if<QString>(&v_)) {
        const QString t = s->trimmed();
        if (t.compare(u"True", Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(u"False", Qt::CaseInsensitive) == 0)
            return false;
    }
    return toDouble() != 0;
}

QString Variant::toString() const {
    if (const auto* i = std::get_if<int16_t>(&v_))
        return CStr(int(*i));
    if (const auto* d = std::get_if<double>(&v_))
        return CStr(*d);
    if (const auto* b = std::get_if<bool>(&v_))
        return CStr(*b);
    if (const auto* s = std::get_if<QString>(&v_))
        return *s;
    return QString();
}

namespace {

// Empty, Booleans and 16-bit integers combine as 16-bit integers; a double or a text
// operand makes the result a double.
bool integerOperand(const Variant& v) {
    return v.isEmpty() || v.isInteger() || v.isBool();
}

Variant integerResult(double exact) {
    if (exact < INT16_MIN || exact > INT16_MAX)
        raise(ErrOverflow);
    return Variant(int16_t(exact));
}

Variant doubleResult(double d) {
    if (!std::isfinite(d))
        raise(ErrOverflow);
    return Variant(d);
}

template <typename Op> Variant arithmetic(const Variant& a, const Variant& b, Op op) {
    if (integerOperand(a) && integerOperand(b))
        return integerResult(op(a.toDouble(), b.toDouble()));
    return doubleResult(op(a.toDouble(), b.toDouble()));
}

// Text against a number compares as numbers when the text reads as one; otherwise a
// number sorts before any text and never equals it.
int compare(const Variant& a, const Variant& b) {
    const bool aText = a.isText() || (a.isEmpty() && b.isText());
    const bool bText = b.isText() || (b.isEmpty() && a.isText());
    if (aText && bText) {
        const int c = a.toString().compare(b.toString(), Qt::CaseSensitive);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (aText && !IsNumeric(a.toString()))
        return 1;
    if (bText && !IsNumeric(b.toString()))
        return -1;
    const double x = a.toDouble();
    const double y = b.toDouble();
    return x < y ? -1 : x > y ? 1 : 0;
}

} // namespace

Variant operator+(const Variant& a, const Variant& b) {
    // Two texts join, and a text added to Empty comes back unchanged, as with "&".
    if ((a.isText() || a.isEmpty()) && (b.isText() || b.isEmpty()) && (a.isText() || b.isText()))
        return Variant(a.toString() + b.toString());
    return arithmetic(a, b, [](double x, double y) { return x + y; });
}

Variant operator-(const Variant& a, const Variant& b) {
    return arithmetic(a, b, [](double x, double y) { return x - y; });
}

Variant operator*(const Variant& a, const Variant& b) {
    return arithmetic(a, b, [](double x, double y) { return x * y; });
}

Variant operator/(const Variant& a, const Variant& b) {
    const double x = a.toDouble();
    const double y = b.toDouble();
    if (y == 0)
        raise(x == 0 ? ErrOverflow : ErrDivisionByZero);
    return doubleResult(x / y);
}

bool operator==(const Variant& a, const Variant& b) {
    return compare(a, b) == 0;
}
bool operator<(const Variant& a, const Variant& b) {
    return compare(a, b) < 0;
}

QString concat(const Variant& a, const Variant& b) {
    return a.toString() + b.toString();
}

} // namespace vbrt
