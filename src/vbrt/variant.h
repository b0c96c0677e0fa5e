#pragma once

#include <QString>
#include <cstdint>
#include <variant>

namespace vbrt {

// A value that is empty until first set and then holds a 16-bit integer, a double,
// a Boolean or a text. Empty counts as 0 in arithmetic, as "" when joined to text, and
// compares equal to 0, False and "". Integer plus integer stays an integer (widening to a
// double on overflow would be wrong: it raises ErrOverflow); anything plus a double is a
// double; a text operand is converted with CDbl. As in the old runtime, + of two texts (or of
// a text and Empty) joins them instead.
class Variant {
public:
    Variant() = default;
    Variant(int16_t v) : v_(v) {}
    Variant(int v);
    Variant(double v) : v_(v) {}
    Variant(bool v) : v_(v) {}
    Variant(const QString& v) : v_(v) {}
    Variant(const char* v) : v_(QString::fromUtf8(v)) {}

    bool isEmpty() const { return std::holds_alternative<std::monostate>(v_); }
    bool isInteger() const { return std::holds_alternative<int16_t>(v_); }
    bool isDouble() const { return std::holds_alternative<double>(v_); }
    bool isBool() const { return std::holds_alternative<bool>(v_); }
    bool isText() const { return std::holds_alternative<QString>(v_); }

    double toDouble() const;  // empty -> 0, True -> -1, text -> CDbl
    bool toBool() const;      // non-zero -> true
    QString toString() const; // empty -> "", numbers via CStr

    friend Variant operator+(const Variant& a, const Variant& b);
    friend Variant operator-(const Variant& a, const Variant& b);
    friend Variant operator*(const Variant& a, const Variant& b);
    friend Variant operator/(const Variant& a, const Variant& b); // always a double
    friend bool operator==(const Variant& a, const Variant& b);
    friend bool operator<(const Variant& a, const Variant& b);

private:
    std::variant<std::monostate, int16_t, double, bool, QString> v_;
};

// The & operator: joins as text.
QString concat(const Variant& a, const Variant& b);

} // namespace vbrt
