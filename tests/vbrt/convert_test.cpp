#include "support/error_of.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

using namespace vbrt;
using testing_support::errorOf;

TEST(CStrTest, NumbersReadAsTheProgramShowsThem) {
    const struct {
        double x;
        const char* text;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {100, "100"},
        {-2.5, "-2.5"},
        {0.5, "0.5"},
        {-0.5, "-0.5"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {0.1 + 0.2, "0.3"},
        {0.0001, "0.0001"},
        {0.00012345, "0.00012345"},
        {0.00001, "1E-05"},
        {-0.00001, "-1E-05"},
        {1.5e-7, "1.5E-07"},
        {1.5e20, "1.5E+20"},
        {1e15, "1E+15"},
        {1e100, "1E+100"},
        {1.2e-100, "1.2E-100"},
        {999999999999999.0, "999999999999999"},
        {999999999999999.9, "1E+15"},
        {123456789012345678.0, "1.23456789012346E+17"},
        {123456789.125, "123456789.125"},
        {1234567.89012345678, "1234567.89012346"},
        {3.14159265358979, "3.14159265358979"},
        {1e14, "100000000000000"},
        {-32768, "-32768"},
        {0.000099999999999999999, "0.0001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CStr(c.x), QString::fromLatin1(c.text));
    }
}

TEST(CStrTest, BooleansAndIntegers) {
    EXPECT_EQ(CStr(true), "True");
    EXPECT_EQ(CStr(false), "False");
    EXPECT_EQ(CStr(-17), "-17");
    EXPECT_EQ(CStr(1234567890123LL), "1234567890123");
}

TEST(ValTest, LeadingNumberOfAText) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"12.5abc", 12.5},
        {"abc", 0},
        {"", 0},
        {"  -3.2e2x", -320},
        {"\t 42", 42},
        {"1 2", 12},
        {" - 3", -3},
        {"+7", 7},
        {".5", 0.5},
        {"5.", 5},
        {".", 0},
        {"1.2.3", 1.2},
        {"1e", 1},
        {"1e+", 1},
        {"2E3", 2000},
        {"2D3", 2000},
        {"2d-2", 0.02},
        {"1,5", 1},
        {"--3", 0},
        {"&H1F", 31},
        {"&hff", 255},
        {"&HFF0000", 16711680},
        {"&HFFFF", -1},
        {"&H8000", -32768},
        {"&HFFFFFFFF", -1},
        {"&H1Fz", 31},
        {"&O17", 15},
        {"&O8", 0},
        {"&H", 0},
        {"1e-400", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(Val(QString::fromLatin1(c.text)), c.value);
    }
}

TEST(ValTest, TooLargeNumbersOverflow) {
    EXPECT_EQ(errorOf([] { Val("1e400"); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { Val("&H100000000"); }), ErrOverflow);
}

TEST(IsNumericTest, WhatCountsAsANumber) {
    const struct {
        const char* text;
        bool numeric;
    } cases[] = {
        {"1e5", true},     {".5", true},     {"5.", true},     {"-3", true},   {" 12 ", true},
        {"+1.5E-3", true}, {"0", true},      {"&H1F", true},   {"&o17", true}, {"", false},
        {" ", false},      {".", false},     {"e5", false},    {"1e", false},  {"12abc", false},
        {"1,5", false},    {"1 2", false},   {"--1", false},   {"1e+", false}, {"&H", false},
        {"&HG", false},    {"1.2.3", false}, {"1e400", false}, {"abc", false}, {"-", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsNumeric(QString::fromLatin1(c.text)), c.numeric);
    }
}

TEST(CDblTest, ReadsNumbersAndRejectsTheRest) {
    EXPECT_DOUBLE_EQ(CDbl(" 12 "), 12);
    EXPECT_DOUBLE_EQ(CDbl("1e5"), 100000);
    EXPECT_DOUBLE_EQ(CDbl("-.25"), -0.25);
    EXPECT_DOUBLE_EQ(CDbl("&H1F"), 31);
    EXPECT_DOUBLE_EQ(CDbl("0.1"), 0.1);
    for (const char* bad : {"", " ", ".", "e5", "1e", "12abc", "1,5"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(errorOf([&] { CDbl(QString::fromLatin1(bad)); }), ErrTypeMismatch);
    }
    EXPECT_EQ(errorOf([] { CDbl("1e400"); }), ErrOverflow);
}

TEST(RoundingTest, IntFloorsAndFixTruncates) {
    const struct {
        double x, intOf, fixOf;
    } cases[] = {
        {2.5, 2, 2}, {-2.5, -3, -2}, {-0.1, -1, 0}, {7, 7, 7}, {-7, -7, -7}, {3.999, 3, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(Int(c.x), c.intOf);
        EXPECT_EQ(Fix(c.x), c.fixOf);
    }
}

TEST(RoundingTest, CIntAndCLngRoundHalvesToEven) {
    const struct {
        double x;
        int expected;
    } cases[] = {
        {2.5, 2},  {3.5, 4},         {-2.5, -2},         {-3.5, -4},
        {0.5, 0},  {1.5, 2},         {2.4999, 2},        {2.5001, 3},
        {-0.4, 0}, {32767.4, 32767}, {-32768.5, -32768}, {-32767.6, -32768},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(CInt(c.x), c.expected);
        EXPECT_EQ(CLng(c.x), c.expected);
    }
    EXPECT_EQ(CLng(2147483647.4), 2147483647);
    EXPECT_EQ(CLng(-2147483648.5), -2147483647 - 1);
    EXPECT_EQ(CInt(QString("  41.5 ")), 42);
    EXPECT_EQ(CLng(QString("-100000.5")), -100000);
}

TEST(RoundingTest, OutOfRangeValuesOverflow) {
    EXPECT_EQ(errorOf([] { CInt(32767.5); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { CInt(-32768.6); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { CInt(1e10); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { CInt(NAN); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { CLng(2147483647.5); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { CLng(-2147483649.0); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { CInt(QString("abc")); }), ErrTypeMismatch);
    EXPECT_EQ(errorOf([] { CLng(QString("")); }), ErrTypeMismatch);
}

TEST(RoundingTest, CSngKeepsFloatRange) {
    EXPECT_EQ(CSng(1.5), 1.5f);
    EXPECT_EQ(CSng(-double(FLT_MAX)), -FLT_MAX);
    EXPECT_EQ(errorOf([] { CSng(1e39); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { CSng(-1e39); }), ErrOverflow);
}

TEST(HexTest, UpperCaseTwosComplement) {
    const struct {
        double x;
        const char* text;
    } cases[] = {
        {-1, "FFFFFFFF"}, {0, "0"},       {16711680, "FF0000"},        {255, "FF"},
        {254.5, "FE"},    {255.5, "100"}, {-2147483648.0, "80000000"}, {65535, "FFFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Hex(c.x), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(errorOf([] { Hex(4294967295.0); }), ErrOverflow);
}

TEST(TextTest, MidLeftRightCountFromOne) {
    const QString s = QStringLiteral("摄像头ABC");
    EXPECT_EQ(Mid(s, 1, 3), QStringLiteral("摄像头"));
    EXPECT_EQ(Mid(s, 4), "ABC");
    EXPECT_EQ(Mid(s, 5, 100), "BC");
    EXPECT_EQ(Mid(s, 6, 0), "");
    EXPECT_EQ(Mid(s, 7), "");
    EXPECT_EQ(Mid(s, 99, 2), "");
    EXPECT_EQ(Left(s, 2), QStringLiteral("摄像"));
    EXPECT_EQ(Left(s, 0), "");
    EXPECT_EQ(Left(s, 50), s);
    EXPECT_EQ(Right(s, 2), "BC");
    EXPECT_EQ(Right(s, 50), s);
    EXPECT_EQ(Len(s), 6);
    EXPECT_EQ(Len(""), 0);
}

TEST(TextTest, InvalidArgumentsRaise) {
    EXPECT_EQ(errorOf([] { Mid("abc", 0); }), ErrInvalidCall);
    EXPECT_EQ(errorOf([] { Mid("abc", 1, -2); }), ErrInvalidCall);
    EXPECT_EQ(errorOf([] { Left("abc", -1); }), ErrInvalidCall);
    EXPECT_EQ(errorOf([] { Right("abc", -1); }), ErrInvalidCall);
    EXPECT_EQ(errorOf([] { InStr(0, "abc", "a"); }), ErrInvalidCall);
}

TEST(TextTest, InStrGivesOneBasedPositions) {
    const struct {
        int start;
        const char* s;
        const char* find;
        int pos;
    } cases[] = {
        {1, "a,b,c", ",", 2}, {3, "a,b,c", ",", 4}, {5, "a,b,c", ",", 0}, {1, "abc", "x", 0},
        {1, "abc", "abc", 1}, {1, "abc", "", 1},    {3, "abc", "", 3},    {4, "abc", "", 4},
        {5, "abc", "", 0},    {1, "", "", 0},       {1, "", "a", 0},      {9, "abc", "c", 0},
        {1, "aA", "A", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.s) + " / " + c.find);
        EXPECT_EQ(InStr(c.start, QString::fromLatin1(c.s), QString::fromLatin1(c.find)), c.pos);
    }
    EXPECT_EQ(InStr("2026-12-8", "-"), 5);
}
