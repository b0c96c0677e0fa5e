#include "support/error_of.h"
#include "vbrt/errors.h"
#include "vbrt/variant.h"

#include <gtest/gtest.h>

using namespace vbrt;
using testing_support::errorOf;

TEST(VariantTest, ArithmeticResultTypes) {
    const Variant empty;
    const struct {
        const char* what;
        Variant result;
        bool integer;
        const char* text;
    } cases[] = {
        {"int+int", Variant(2) + Variant(3), true, "5"},
        {"int-int", Variant(2) - Variant(3), true, "-1"},
        {"int*int", Variant(200) * Variant(100), true, "20000"},
        {"int+double", Variant(2) + Variant(0.5), false, "2.5"},
        {"double+double", Variant(0.1) + Variant(0.2), false, "0.3"},
        {"double*int", Variant(1.5) * Variant(4), false, "6"},
        {"int/int", Variant(7) / Variant(2), false, "3.5"},
        {"int/int exact", Variant(6) / Variant(2), false, "3"},
        {"true+int", Variant(true) + Variant(5), true, "4"},
        {"true+true", Variant(true) + Variant(true), true, "-2"},
        {"empty+int", empty + Variant(5), true, "5"},
        {"empty*empty", empty * empty, true, "0"},
        {"empty-double", empty - Variant(1.25), false, "-1.25"},
        {"text+int", Variant("1.5") + Variant(1), false, "2.5"},
        {"int*text", Variant(3) * Variant(" 4 "), false, "12"},
        {"text-text", Variant("10") - Variant("4"), false, "6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.result.isInteger(), c.integer);
        EXPECT_EQ(c.result.isDouble(), !c.integer);
        EXPECT_EQ(c.result.toString(), QString::fromLatin1(c.text));
    }
}

TEST(VariantTest, PlusJoinsTexts) {
    EXPECT_EQ((Variant("1") + Variant("2")).toString(), "12");
    EXPECT_TRUE((Variant("ab") + Variant()).isText());
    EXPECT_EQ((Variant() + Variant("ab")).toString(), "ab");
    EXPECT_EQ(concat(Variant(1.5), Variant(true)), "1.5True");
    EXPECT_EQ(concat(Variant(), Variant(-3)), "-3");
}

TEST(VariantTest, IntegerOverflowAndBadOperandsRaise) {
    EXPECT_EQ(errorOf([] { Variant(32767) + Variant(1); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { Variant(-32768) - Variant(1); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { Variant(300) * Variant(300); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { Variant(1e308) * Variant(10.0); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { Variant("abc") + Variant(1); }), ErrTypeMismatch);
    EXPECT_EQ(errorOf([] { Variant(1) / Variant(0); }), ErrDivisionByZero);
    EXPECT_EQ(errorOf([] { Variant(0) / Variant(); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { Variant(32767.0) + Variant(1); }), 0);
}

TEST(VariantTest, WideIntegersBecomeDoubles) {
    const Variant big(100000);
    EXPECT_TRUE(big.isDouble());
    EXPECT_EQ((big + Variant(1)).toString(), "100001");
    EXPECT_TRUE(Variant(-32768).isInteger());
}

TEST(VariantTest, ConversionsOfEachKind) {
    EXPECT_EQ(Variant().toDouble(), 0);
    EXPECT_EQ(Variant(true).toDouble(), -1);
    EXPECT_EQ(Variant("2.5").toDouble(), 2.5);
    EXPECT_EQ(Variant().toString(), "");
    EXPECT_EQ(Variant(false).toString(), "False");
    EXPECT_EQ(Variant(0.00001).toString(), "1E-05");
    EXPECT_FALSE(Variant().toBool());
    EXPECT_TRUE(Variant(-0.5).toBool());
    EXPECT_TRUE(Variant("true").toBool());
    EXPECT_FALSE(Variant("0").toBool());
    EXPECT_EQ(errorOf([] { Variant("x").toBool(); }), ErrTypeMismatch);
}

TEST(VariantTest, Comparisons) {
    const Variant empty;
    const struct {
        const char* what;
        Variant a, b;
        bool equal, less;
    } cases[] = {
        {"empty=0", empty, Variant(0), true, false},
        {"empty=False", empty, Variant(false), true, false},
        {"empty=\"\"", empty, Variant(""), true, false},
        {"empty=empty", empty, empty, true, false},
        {"empty<1", empty, Variant(1), false, true},
        {"empty<\"a\"", empty, Variant("a"), false, true},
        {"True=-1", Variant(true), Variant(-1), true, false},
        {"int=double", Variant(2), Variant(2.0), true, false},
        {"1<1.5", Variant(1), Variant(1.5), false, true},
        {"text=number", Variant("5"), Variant(5), true, false},
        {"number<numeric text", Variant(5), Variant(" 10 "), false, true},
        {"number<other text", Variant(99), Variant("abc"), false, true},
        {"text>number", Variant("abc"), Variant(99), false, false},
        {"texts", Variant("10"), Variant("9"), false, true},
        {"case", Variant("B"), Variant("a"), false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.a == c.b, c.equal);
        EXPECT_EQ(c.b == c.a, c.equal);
        EXPECT_EQ(c.a < c.b, c.less);
    }
}
