#include "dropcalc/rounding.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <gtest/gtest.h>

TEST(DropcalcRounding, SixDecimalsAsTextThatReadsBack) {
    struct Case {
        double x;
        const char* text;
    };
    const Case cases[] = {
        {3.1415926, "3.141593"},
        {3.1415924, "3.141592"},
        {-3.1415926, "-3.141593"},
        {-3.1415924, "-3.141592"},
        {1.23456749, "1.234567"},
        {0.5, "0.5"},
        {-0.25, "-0.25"},
        {2, "2"},
        {0, "0"},
        {0.0000005, "1E-06"},
        {24.999999951, "25"},
        {100.0 / 3, "33.333333"},
        {1.25, "1.25"},
        {2.0000006, "2.000001"},
        {2.0000004, "2"},
        {-2.0000006, "-2.000001"},
        {-2.0000004, "-2"},
        {1.0 / 3, "0.333333"},
    };
    for (const Case& c : cases) {
        const QString text = dropcalc::wc(c.x);
        EXPECT_EQ(text, QString::fromLatin1(c.text)) << c.x;
        EXPECT_TRUE(vbrt::IsNumeric(text)) << c.text;
    }
    EXPECT_DOUBLE_EQ(vbrt::CDbl(dropcalc::wc(0.0000005)), 0.000001);
}

TEST(DropcalcRounding, NumbersTooLargeToRoundAreAnOverflow) {
    try {
        dropcalc::wc(1e305);
        FAIL() << "no error";
    } catch (const vbrt::RuntimeError& e) {
        EXPECT_EQ(e.number(), vbrt::ErrOverflow);
    }
}
