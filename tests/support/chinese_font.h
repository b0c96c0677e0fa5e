#pragma once

#include <QFontDatabase>
#include <QStringList>
#include <gtest/gtest.h>

namespace testing_support {

// Whether a face with Chinese glyphs is installed: without one, a test of Chinese captions says
// so rather than failing on the boxes a missing glyph leaves.
inline ::testing::AssertionResult aChineseFontIsInstalled() {
    if (!QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "no Chinese font is installed: scripts/setup installs fonts-wqy-microhei";
}

} // namespace testing_support
