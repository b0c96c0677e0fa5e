#include "dropcalc/rounding.h"
#include "support/error_of.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <gtest/gtest.h>

using testing_support::errorOf;

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
        const QString text = dropcalc::wcText(c.x);
        EXPECT_EQ(text, QString::fromLatin1(c.text)) << c.x;
        EXPECT_TRUE(vbrt::IsNumeric(text)) << c.text;
    }
    EXPECT_DOUBLE_EQ(vbrt::CDbl(dropcalc::wcText(0.0000005)), 0.000001);
}

TEST(DropcalcRounding, NumbersTooLargeToRoundAreAnOverflow) {
    EXPECT_EQ(errorOf([] { dropcalc::wcText(1e305); }), vbrt::ErrOverflow);
}

TEST(Rounding, WcRoundsToSixDecimalsHalvesUpwardsForBothSigns) {
    const struct {
        double x, expected;
    } cases[] = {
        {3.1415926, 3.141593},
        {3.1415924, 3.141592},
        {-3.1415926, -3.141593},
        {-3.1415924, -3.141592},
        {1.23456749, 1.234567},
        {0, 0},
        {2, 2},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(dropcalc::wc(c.x), c.expected) << c.x;
    EXPECT_EQ(dropcalc::wct(3.1415926), 3.141593f);
}

TEST(Rounding, WccRoundsToOneDecimalAndWcsCutsDownwards) {
    EXPECT_DOUBLE_EQ(dropcalc::wcc(2.25), 2.3);
    EXPECT_DOUBLE_EQ(dropcalc::wcc(-2.25), -2.2);
    EXPECT_DOUBLE_EQ(dropcalc::wcc(0.05), 0.1);
    EXPECT_DOUBLE_EQ(dropcalc::wcs(2.46), 2.4);
    EXPECT_DOUBLE_EQ(dropcalc::wcs(-2.46), -2.5);
}

TEST(Rounding, OverflowIsRaisedNotReturnedAsInfinity) {
    EXPECT_EQ(errorOf([] { dropcalc::wc(1e305); }), vbrt::ErrOverflow);
    EXPECT_EQ(errorOf([] { dropcalc::wcs(1.7e308); }), vbrt::ErrOverflow);
    EXPECT_EQ(errorOf([] { dropcalc::wct(1e39); }), vbrt::ErrOverflow);
}
