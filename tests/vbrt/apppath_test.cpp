#include "vbrt/apppath.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

using namespace vbrt;

namespace {
class AppPathTest : public ::testing::Test {
protected:
    void TearDown() override { setAppPath(QString()); }
};
} // namespace

TEST_F(AppPathTest, DefaultsToTheExecutablesFolder) {
    EXPECT_EQ(appPath(), QCoreApplication::applicationDirPath());
    setAppPath("/tmp/x");
    setAppPath(QString());
    EXPECT_EQ(appPath(), QCoreApplication::applicationDirPath());
}

TEST_F(AppPathTest, BackslashNamesJoinWithSlashes) {
    setAppPath("/tmp/prog/");
    EXPECT_EQ(appPath(), "/tmp/prog");
    const struct {
        const char* name;
        const char* path;
    } cases[] = {
        {"\\CAMaRA\\0.txt", "/tmp/prog/CAMaRA/0.txt"},
        {"\\a.bmp", "/tmp/prog/a.bmp"},
        {"a.bmp", "/tmp/prog/a.bmp"},
        {"sub\\b.wav", "/tmp/prog/sub/b.wav"},
        {"\\", "/tmp/prog/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(appFile(QString::fromLatin1(c.name)), QString::fromLatin1(c.path));
    }
}

TEST_F(AppPathTest, RootFolderGetsNoDoubleSlash) {
    setAppPath("/");
    EXPECT_EQ(appFile("\\x.txt"), "/x.txt");
}
