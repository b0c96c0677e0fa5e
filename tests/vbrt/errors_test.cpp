#include "vbrt/errors.h"

#include <gtest/gtest.h>

using namespace vbrt;

TEST(ErrorsTest, RaiseCarriesNumberAndDescription) {
    const struct {
        int number;
        const char* description;
    } cases[] = {
        {ErrInvalidCall, "Invalid procedure call or argument"},
        {ErrOverflow, "Overflow"},
        {ErrSubscript, "Subscript out of range"},
        {ErrTypeMismatch, "Type mismatch"},
        {ErrFileNotFound, "File not found"},
        {ErrPathAccess, "Path/File access error"},
        {ErrPathNotFound, "Path not found"},
        {ErrInvalidPicture, "Invalid picture"},
        {ErrDialogCancel, "Cancel was selected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        try {
            vbrt::raise(c.number);
            ADD_FAILURE() << "raise returned";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), c.number);
            EXPECT_EQ(e.description(), QString::fromLatin1(c.description));
            EXPECT_STREQ(e.what(), c.description);
        }
    }
}

TEST(ErrorsTest, SkipOnErrorGoesOnAfterARuntimeErrorOnly) {
    int reached = 0;
    EXPECT_FALSE(skipOnError([&] {
        vbrt::raise(ErrInvalidPicture);
        ++reached;
    }));
    EXPECT_TRUE(skipOnError([&] { ++reached; }));
    EXPECT_EQ(reached, 1);
    EXPECT_THROW(skipOnError([] { throw std::logic_error("bug"); }), std::logic_error);
}
