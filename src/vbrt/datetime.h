#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace vbrt {

// Time of day in seconds since midnight, with fractions, as a 32-bit float.
float secondsSinceMidnight(const QTime& t);

// The short date and time texts of the Chinese desktop the program was made for:
// date "yyyy-M-d", time "H:mm:ss".
QString shortDate(const QDate& d);
QString shortTime(const QTime& t);
// A date and time as the desktop writes one: the short date, a blank, the time.
QString dateTimeText(const QDateTime& dt);
// Date and time run together, as log entries write them: "2026-12-8 9:05:07" has no
// separator in the program's log ("2026-12-89:05:07").
QString dateTimeRunTogether(const QDateTime& dt);

// Weekday name as the caption clock shows it: 1 = Monday ... 7 = Sunday -> "星期一" ... "星期日".
QString chineseWeekday(int isoDayOfWeek);

} // namespace vbrt
