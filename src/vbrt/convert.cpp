#include "vbrt/convert.h"

#include "vbrt/errors.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace vbrt {

namespace {

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

int radixDigit(QChar c, int radix) {
    int d = -1;
    if (isAsciiDigit(c))
        d = c.unicode() - u'0';
    else if (c >= u'a' && c <= u'f')
        d = c.unicode() - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        d = c.unicode() - u'A' + 10;
    return d < radix ? d : -1;
}

// "&H"/"&O" numbers are 16-bit when they fit in 16 bits and 32-bit otherwise, both signed:
// "&HFFFF" is -1 and "&HFF0000" is 16711680.
double fromRadixValue(unsigned long long v) {
    if (v <= 0xFFFFull)
        return double(int16_t(uint16_t(v)));
    if (v <= 0xFFFFFFFFull)
        return double(int32_t(uint32_t(v)));
    raise(ErrOverflow);
}

// The digits of a decimal number, gathered so that a single locale-independent conversion
// reads them.
struct DecimalParts {
    bool negative = false;
    std::string intDigits;
    std::string fracDigits;
    long long exponent = 0;
};

double toDouble(const DecimalParts& p) {
    std::string text = p.intDigits.empty() ? std::string("0") : p.intDigits;
    if (!p.fracDigits.empty())
        text += '.' + p.fracDigits;
    text += 'e' + std::to_string(p.exponent);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // Too small a magnitude reads as 0, too large a one is an overflow.
        const auto first = p.intDigits.find_first_not_of('0');
        long long magnitude = 0;
        if (first != std::string::npos) {
            magnitude = (long long)(p.intDigits.size() - first) - 1 + p.exponent;
        } else {
            const auto firstFrac = p.fracDigits.find_first_not_of('0');
            if (firstFrac == std::string::npos)
                return 0.0;
            magnitude = p.exponent - (long long)firstFrac - 1;
        }
        if (magnitude > 0)
            raise(ErrOverflow);
        return p.negative ? -0.0 : 0.0;
    }
    return p.negative ? -value : value;
}

// Reads an exponent's digits, saturating far beyond any double's range.
long long appendExponentDigit(long long e, QChar c) {
    return e > 100000 ? e : e * 10 + (c.unicode() - u'0');
}

// Sign, whole digits and fraction digits from position i on; false when there is no digit.
bool readMantissa(const QString& s, qsizetype& i, DecimalParts& p) {
    const qsizetype n = s.size();
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        p.negative = s[i++] == u'-';
    while (i < n && isAsciiDigit(s[i]))
        p.intDigits += char(s[i++].unicode());
    if (i < n && s[i] == u'.') {
        ++i;
        while (i < n && isAsciiDigit(s[i]))
            p.fracDigits += char(s[i++].unicode());
    }
    return !p.intDigits.empty() || !p.fracDigits.empty();
}

// The strict form that CDbl and IsNumeric accept, on an already trimmed text. Returns false
// when the text is no number; raises ErrOverflow when it is one too large for a double.
bool parseStrict(const QString& s, double& out) {
    const qsizetype n = s.size();
    qsizetype i = 0;
    if (n >= 3 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        const int radix = kind == u'H' ? 16 : kind == u'O' ? 8 : 0;
        if (radix == 0)
            return false;
        unsigned long long v = 0;
        for (i = 2; i < n; ++i) {
            const int d = radixDigit(s[i], radix);
            if (d < 0)
                return false;
            v = v * radix + d;
            if (v > 0xFFFFFFFFull)
                raise(ErrOverflow);
        }
        out = fromRadixValue(v);
        return true;
    }
    DecimalParts p;
    if (!readMantissa(s, i, p))
        return false;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (s[i] == u'+' || s[i] == u'-'))
            negativeExponent = s[i++] == u'-';
        if (i == n || !isAsciiDigit(s[i]))
            return false;
        while (i < n && isAsciiDigit(s[i]))
            p.exponent = appendExponentDigit(p.exponent, s[i++]);
        if (negativeExponent)
            p.exponent = -p.exponent;
    }
    if (i != n)
        return false;
    out = toDouble(p);
    return true;
}

// Halves go to the even neighbour, as the old runtime's CInt and CLng do.
double roundHalfEven(double x) {
    const double lower = std::floor(x);
    const double diff = x - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

} // namespace

namespace {
// The shortest text of x to `significant` digits, rounded once; exponent form from that
// many digits before the point and below 1E-4.
QString numberText(double x, int significant) {
    if (std::isnan(x))
        return QStringLiteral("NaN");
    if (std::isinf(x))
        return x < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
    if (x == 0)
        return QStringLiteral("0");

    // The exponent is that of the rounded value, so 999999999999999.9 becomes "1E+15" rather
    // than a 16-digit integer.
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::abs(x),
                                         std::chars_format::scientific, significant - 1);
    (void)ec;
    const std::string sci(buf, end); // d.ddddddddddddddde+XX
    const auto ePos = sci.find('e');
    std::string digits = sci.substr(0, 1) + sci.substr(2, ePos - 2);
    const int exponent = std::stoi(sci.substr(ePos + 1));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string text = x < 0 ? "-" : "";
    if (exponent >= significant || exponent < -4) {
        text += digits[0];
        if (digits.size() > 1)
            text += '.' + digits.substr(1);
        const int absExp = std::abs(exponent);
        text += exponent < 0 ? "E-" : "E+";
        if (absExp < 10)
            text += '0';
        text += std::to_string(absExp);
    } else if (exponent >= 0) {
        const size_t intLen = size_t(exponent) + 1;
        if (digits.size() <= intLen) {
            text += digits + std::string(intLen - digits.size(), '0');
        } else {
            text += digits.substr(0, intLen) + '.' + digits.substr(intLen);
        }
    } else {
        text += "0." + std::string(size_t(-exponent - 1), '0') + digits;
    }
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}
} // namespace

QString CStr(double x) {
    return numberText(x, 15);
}

QString CStr(float x) {
    return numberText(x, 7);
}

QString CStr(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}
QString CStr(int x) {
    return QString::number(x);
}
QString CStr(long long x) {
    return QString::number(x);
}

double Val(const QString& text) {
    // Blanks, tabs and line feeds are skipped anywhere, so "1 2" reads as 12.
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n')
            s += c;
    }
    const qsizetype n = s.size();
    qsizetype i = 0;

    if (n >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        const int radix = kind == u'H' ? 16 : kind == u'O' ? 8 : 0;
        if (radix == 0)
            return 0.0;
        unsigned long long v = 0;
        for (i = 2; i < n; ++i) {
            const int d = radixDigit(s[i], radix);
            if (d < 0)
                break;
            v = v * radix + d;
            if (v > 0xFFFFFFFFull)
                raise(ErrOverflow);
        }
        return fromRadixValue(v);
    }

    DecimalParts p;
    if (!readMantissa(s, i, p))
        return 0.0;
    if (i < n && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
        qsizetype j = i + 1;
        bool negativeExponent = false;
        if (j < n && (s[j] == u'+' || s[j] == u'-'))
            negativeExponent = s[j++] == u'-';
        // An exponent letter without digits ("1e", "2Dx") ends the number before it.
        long long e = 0;
        while (j < n && isAsciiDigit(s[j]))
            e = appendExponentDigit(e, s[j++]);
        p.exponent = negativeExponent ? -e : e;
    }
    const double v = toDouble(p);
    return v == 0 ? 0.0 : v;
}

bool IsNumeric(const QString& s) {
    try {
        double v = 0;
        return parseStrict(s.trimmed(), v);
    } catch (const RuntimeError&) {
        return false;
    }
}

double CDbl(const QString& s) {
    double v = 0;
    if (!parseStrict(s.trimmed(), v))
        raise(ErrTypeMismatch);
    return v == 0 ? 0.0 : v;
}

double Int(double x) {
    return std::floor(x);
}
double Fix(double x) {
    return std::trunc(x);
}

int16_t CInt(double x) {
    const double r = roundHalfEven(x);
    if (!(r >= -32768.0 && r <= 32767.0))
        raise(ErrOverflow);
    return int16_t(r);
}

int32_t CLng(double x) {
    const double r = roundHalfEven(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        raise(ErrOverflow);
    return int32_t(r);
}

int16_t CInt(const QString& s) {
    return CInt(CDbl(s));
}
int32_t CLng(const QString& s) {
    return CLng(CDbl(s));
}

float CSng(double x) {
    if (std::isnan(x) || std::abs(x) > double(FLT_MAX))
        raise(ErrOverflow);
    return float(x);
}

QString Hex(double x) {
    return QString::number(uint32_t(CLng(x)), 16).toUpper();
}

QString Mid(const QString& s, int start, int length) {
    if (start < 1 || (length < 0 && length != -1))
        raise(ErrInvalidCall);
    if (start > s.size())
        return QString();
    return s.mid(start - 1, length);
}

QString Left(const QString& s, int n) {
    if (n < 0)
        raise(ErrInvalidCall);
    return s.left(n);
}

QString Right(const QString& s, int n) {
    if (n < 0)
        raise(ErrInvalidCall);
    return s.right(n);
}

int InStr(const QString& s, const QString& find) {
    return InStr(1, s, find);
}

int InStr(int start, const QString& s, const QString& find) {
    if (start < 1)
        raise(ErrInvalidCall);
    if (s.isEmpty())
        return 0;
    if (find.isEmpty())
        return start <= s.size() + 1 ? start : 0;
    if (start > s.size())
        return 0;
    return int(s.indexOf(find, start - 1)) + 1;
}

int Len(const QString& s) {
    return int(s.size());
}

QByteArray toAnsi(const QString& text) {
    QStringEncoder encoder(kAnsiCodePage);
    return encoder.encode(text);
}

QString fromAnsi(QByteArrayView bytes) {
    QStringDecoder decoder(kAnsiCodePage);
    return decoder.decode(bytes);
}

} // namespace vbrt
