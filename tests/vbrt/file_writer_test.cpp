#include "vbrt/file_writer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace vbrt;

namespace {

class FileWriterTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // Hidden temporary files included.
    QStringList files() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    QTemporaryDir dir;
};

TEST_F(FileWriterTest, AReplacedFileIsTheNewOneOnlyAfterTheCommit) {
    write("set.txt", "old");
    QFile::setPermissions(path("set.txt"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    ReplaceFile file(path("set.txt"));
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write("new "));
    ASSERT_TRUE(file.write("text"));
    EXPECT_EQ(read("set.txt"), "old") << "nothing shows before the commit";
    EXPECT_EQ(files().size(), 2);
    EXPECT_EQ(file.commit(), WriteResult{});
    EXPECT_EQ(read("set.txt"), "new text");
    EXPECT_EQ(files(), QStringList{"set.txt"});
    // The file keeps the permissions it had (a new one would be readable by others).
    const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_EQ(QFile::permissions(path("set.txt")) & others, QFile::ReadGroup);

    // Cancelled, or given up unfinished: the old file stays and no temporary file is left.
    {
        ReplaceFile cancelled(path("set.txt"));
        ASSERT_TRUE(cancelled.open());
        cancelled.write("half");
    }
    EXPECT_EQ(read("set.txt"), "new text");
    EXPECT_EQ(files(), QStringList{"set.txt"});
}

TEST_F(FileWriterTest, ALinkStaysALinkToTheReplacedFile) {
    write("real.txt", "old");
    ASSERT_TRUE(QFile::link(path("real.txt"), path("link.txt")));
    EXPECT_TRUE(replaceFile(path("link.txt"), "new"));
    EXPECT_TRUE(QFileInfo(path("link.txt")).isSymLink());
    EXPECT_EQ(read("real.txt"), "new");
}

TEST_F(FileWriterTest, FailuresSayWhyAndLeaveEverythingAsItWas) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    write("locked.txt", "mine");
    QFile::setPermissions(path("locked.txt"), QFile::ReadOwner);
    struct Case {
        const char* name;
        QString error;
        bool needsPermissions;
    };
    const Case cases[] = {
        {"folder", QStringLiteral("同名的是一个文件夹"), false},
        {"no/such/folder/x.txt", QStringLiteral("文件夹不存在"), false},
        {"locked.txt", QStringLiteral("没有写入权限"), true},
    };
    for (const Case& c : cases) {
        if (c.needsPermissions && ::geteuid() == 0)
            continue; // root writes anywhere
        EXPECT_EQ(replaceFile(path(c.name), "new"), WriteResult{c.error}) << c.name;
        EXPECT_EQ(appendToFile(path(c.name), "new").ok(), false) << c.name;
    }
    EXPECT_EQ(read("locked.txt"), "mine");
    EXPECT_EQ(files(), QStringList{"locked.txt"});
    EXPECT_EQ(writeFailedMessage("/x/a.txt", {QStringLiteral("磁盘空间不足")}),
              QStringLiteral("无法写入文件：/x/a.txt（磁盘空间不足）"));
}

TEST_F(FileWriterTest, AppendsCreateTheFileAndAddToItsEnd) {
    EXPECT_TRUE(appendToFile(path("log.txt"), "one\r\n"));
    EXPECT_TRUE(appendToFile(path("log.txt"), ""));
    EXPECT_TRUE(appendToFile(path("log.txt"), "two\r\n"));
    EXPECT_EQ(read("log.txt"), "one\r\ntwo\r\n");
}

} // namespace
