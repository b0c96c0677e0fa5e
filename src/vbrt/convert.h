#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace vbrt {

// The line break of every text the program writes and sends.
inline const QString kCrLf = QStringLiteral("\r\n");

// The system's ANSI code page, in which the program's Chinese desktop stores and sends text.
inline constexpr const char* kAnsiCodePage = "GBK";
QByteArray toAnsi(const QString& text);
QString fromAnsi(QByteArrayView bytes);

// Numbers as text, the way the program has always shown and read them.

// Shortest decimal text of up to 15 significant digits, no trailing zeros, "." as the
// decimal point, exponent form ("1E-05", "1.5E+20") below 1E-4 and from 1E15 in magnitude.
QString CStr(double x);
// The widest text CStr gives a double: "-1.23456789012345E-308".
inline constexpr int kWidestNumberText = 22;
// The same for a single-precision number: up to 7 significant digits, exponent form from 1E+7.
QString CStr(float x);
QString CStr(bool b); // "True" / "False"
QString CStr(int x);
QString CStr(long long x);

// The leading number of a text ("12.5abc" -> 12.5, " - 3" -> -3, "&H1F" -> 31), 0 when none.
double Val(const QString& s);

// True exactly when CDbl would succeed: optional spaces, sign, digits with one ".",
// optional exponent; the empty text is not numeric.
bool IsNumeric(const QString& s);
// The number in a text; raises ErrTypeMismatch when the text is no number.
double CDbl(const QString& s);

// Rounds towards minus infinity.
double Int(double x);
// Drops the fraction (towards zero).
double Fix(double x);
// Nearest whole number, halves to even; ErrOverflow outside the 16 / 32-bit range.
int16_t CInt(double x);
int32_t CLng(double x);
// CInt / CLng of a text: CDbl first (ErrTypeMismatch), then the rounding.
int16_t CInt(const QString& s);
int32_t CLng(const QString& s);
// 32-bit float of a double; ErrOverflow when it does not fit.
float CSng(double x);

// Upper-case hexadecimal text of a whole number, two's complement for negatives
// (Hex(-1) = "FFFFFFFF", Hex(255) = "FF"); the argument is first rounded like CLng.
QString Hex(double x);

// Texts
QString Mid(const QString& s, int start, int length = -1); // start counts from 1
QString Left(const QString& s, int n);
QString Right(const QString& s, int n);
int InStr(const QString& s, const QString& find);            // 1-based position, 0 when absent
int InStr(int start, const QString& s, const QString& find); //
int Len(const QString& s);

} // namespace vbrt
