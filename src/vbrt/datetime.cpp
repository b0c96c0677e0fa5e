#include "vbrt/datetime.h"

#include "vbrt/errors.h"

namespace vbrt {

float secondsSinceMidnight(const QTime& t) {
    // Divide in double first so that the float keeps every millisecond it can hold.
    return float(double(t.msecsSinceStartOfDay()) / 1000.0);
}

QString shortDate(const QDate& d) {
    if (!d.isValid())
        return QString();
    return QStringLiteral("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day());
}

QString shortTime(const QTime& t) {
    if (!t.isValid())
        return QString();
    return QStringLiteral("%1:%2:%3")
        .arg(t.hour())
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'));
}

QString dateTimeText(const QDateTime& dt) {
    return shortDate(dt.date()) + QLatin1Char(' ') + shortTime(dt.time());
}

QString dateTimeRunTogether(const QDateTime& dt) {
    return shortDate(dt.date()) + shortTime(dt.time());
}

QString chineseWeekday(int isoDayOfWeek) {
    static const char16_t* const names[] = {u"星期一", u"星期二", u"星期三", u"星期四",
                                            u"星期五", u"星期六", u"星期日"};
    if (isoDayOfWeek < 1 || isoDayOfWeek > 7)
        raise(ErrInvalidCall);
    return QString::fromUtf16(names[isoDayOfWeek - 1]);
}

} // namespace vbrt
