#include "vbrt/datetime.h"
#include "vbrt/errors.h"

#include <gtest/gtest.h>

using namespace vbrt;

TEST(DateTimeTest, ShortTextsAreNotZeroPadded) {
    const QDateTime dt(QDate(2026, 12, 8), QTime(9, 5, 7));
    EXPECT_EQ(shortDate(dt.date()), "2026-12-8");
    EXPECT_EQ(shortTime(dt.time()), "9:05:07");
    EXPECT_EQ(dateTimeRunTogether(dt), "2026-12-89:05:07");
    EXPECT_EQ(shortDate(QDate(2027, 1, 31)), "2027-1-31");
    EXPECT_EQ(shortTime(QTime(0, 0, 0)), "0:00:00");
    EXPECT_EQ(shortTime(QTime(23, 59, 59, 999)), "23:59:59");
    EXPECT_EQ(shortDate(QDate()), "");
}

TEST(DateTimeTest, SecondsSinceMidnightKeepFractions) {
    EXPECT_EQ(secondsSinceMidnight(QTime(0, 0)), 0.0f);
    EXPECT_EQ(secondsSinceMidnight(QTime(9, 5, 7, 250)), 32707.25f);
    EXPECT_EQ(secondsSinceMidnight(QTime(23, 59, 59, 500)), 86399.5f);
}

TEST(DateTimeTest, WeekdayNames) {
    const char16_t* const names[] = {u"星期一", u"星期二", u"星期三", u"星期四",
                                     u"星期五", u"星期六", u"星期日"};
    for (int d = 1; d <= 7; ++d)
        EXPECT_EQ(chineseWeekday(d), QString::fromUtf16(names[d - 1]));
    EXPECT_EQ(chineseWeekday(QDate(2026, 12, 8).dayOfWeek()), QString::fromUtf16(u"星期二"));
    EXPECT_THROW(chineseWeekday(0), RuntimeError);
    EXPECT_THROW(chineseWeekday(8), RuntimeError);
}
