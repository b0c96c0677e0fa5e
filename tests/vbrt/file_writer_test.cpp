#include "vbrt/file_writer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

TEST_F(FileWriterTest, LinksStayLinksToTheFileAtTheirEnd) {
    write("real.txt", "old");
    ASSERT_TRUE(QFile::link("real.txt", path("middle.txt"))); // relative to its folder
    ASSERT_TRUE(QFile::link(path("middle.txt"), path("link.txt")));
    ASSERT_TRUE(QFile::link("new.txt", path("dangling.txt")));
    EXPECT_TRUE(replaceFile(path("link.txt"), "new"));
    EXPECT_TRUE(appendToFile(path("link.txt"), "er"));
    EXPECT_TRUE(replaceFile(path("dangling.txt"), "made"));
    for (const char* link : {"link.txt", "middle.txt", "dangling.txt"})
        EXPECT_TRUE(QFileInfo(path(link)).isSymLink()) << link;
    EXPECT_EQ(read("real.txt"), "newer");
    EXPECT_EQ(read("new.txt"), "made");

    // The longest name a folder takes can be replaced too: the temporary name is short.
    const QString longest(240, u'n');
    EXPECT_TRUE(replaceFile(path(longest), "x"));
    EXPECT_TRUE(replaceFile(path(longest), "y"));
    EXPECT_EQ(read(longest), "y");
}

TEST_F(FileWriterTest, FailuresSayWhyAndLeaveEverythingAsItWas) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    write("locked.txt", "mine");
    QFile::setPermissions(path("locked.txt"), QFile::ReadOwner);
    const QByteArray fifo = QFile::encodeName(path("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0666), 0);
    // A null device of the test's own, where the system lets the test make one.
    const QByteArray device = QFile::encodeName(path("null"));
    const bool haveDevice = ::mknod(device.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    ASSERT_TRUE(QFile::link(path("fifo"), path("to-fifo")));
    ASSERT_TRUE(QFile::link(path("null"), path("to-null")));
    ASSERT_TRUE(QFile::link(path("to-null"), path("to-to-null")));
    ASSERT_TRUE(QFile::link(path("loop-b"), path("loop-a")));
    ASSERT_TRUE(QFile::link(path("loop-a"), path("loop-b")));
    const QString notPlain = QStringLiteral("不是普通文件");
    struct Case {
        const char* name;
        QString error;
        bool needsDevice = false;
    };
    const Case cases[] = {
        {"folder", QStringLiteral("同名的是一个文件夹")},
        {"no/such/folder/x.txt", QStringLiteral("文件夹不存在")},
        // Read-only stays read-only, for root too.
        {"locked.txt", QStringLiteral("没有写入权限")},
        {"fifo", notPlain},
        {"to-fifo", notPlain},
        {"null", notPlain, true},
        {"to-to-null", notPlain, true},
        {"loop-a", QStringLiteral("写入出错：") + QString::fromLocal8Bit(strerror(ELOOP))},
    };
    for (const Case& c : cases) {
        if (c.needsDevice && !haveDevice)
            continue;
        EXPECT_EQ(replaceFile(path(c.name), "new"), WriteResult{c.error}) << c.name;
        EXPECT_EQ(appendToFile(path(c.name), "new"), WriteResult{c.error}) << c.name;
    }
    EXPECT_EQ(read("locked.txt"), "mine");
    struct stat st {};
    EXPECT_TRUE(::lstat(fifo.constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_TRUE(!haveDevice || (::lstat(device.constData(), &st) == 0 && S_ISCHR(st.st_mode)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".tmp"), QStringList{});
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
