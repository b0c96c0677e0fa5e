#include "vbrt/file_reader.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace vbrt;

namespace {

// Whatever stands in a file's place, the reader comes back at once: with the bytes of a
// regular file within the limit, or with what stood there.
TEST(FileReaderTest, ReadsOnlyRegularFilesWithinTheirLimit) {
    QTemporaryDir dir;
    const auto path = [&](const char* name) { return dir.filePath(name); };
    const auto encoded = [&](const char* name) { return QFile::encodeName(path(name)); };
    {
        QFile f(path("ten.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("0123456789");
    }
    ASSERT_TRUE(QFile::link(path("ten.txt"), path("link.txt")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    ASSERT_EQ(::mkfifo(encoded("fifo").constData(), 0666), 0);
    // A zero device of the test's own, which would never end, where the system lets the test
    // make one.
    const bool haveDevice =
        ::mknod(encoded("zero").constData(), S_IFCHR | 0666, makedev(1, 5)) == 0;
    ASSERT_TRUE(QFile::link(path("zero"), path("to-zero")));

    struct Case {
        const char* name;
        qint64 limit;
        ReadError kind;
        QString error;
        bool needsDevice = false;
    };
    const QString notPlain = QStringLiteral("不是普通文件");
    const Case cases[] = {
        {"ten.txt", 10, ReadError::None, {}},
        {"link.txt", 100, ReadError::None, {}},
        {"ten.txt", 9, ReadError::TooLarge, QStringLiteral("文件太大")},
        {"none.txt", 10, ReadError::Missing, QStringLiteral("文件不存在")},
        {"folder", 10, ReadError::NotAPlainFile, notPlain},
        {"fifo", 10, ReadError::NotAPlainFile, notPlain},
        {"to-zero", 1 << 20, ReadError::NotAPlainFile, notPlain, true},
    };
    for (const Case& c : cases) {
        if (c.needsDevice && !haveDevice)
            continue;
        const ReadResult read = readFile(path(c.name), c.limit);
        EXPECT_EQ(read.kind, c.kind) << c.name;
        EXPECT_EQ(read.error, c.error) << c.name;
        EXPECT_EQ(read.bytes, c.kind == ReadError::None ? "0123456789" : "") << c.name;
        ReadResult failed;
        const std::unique_ptr<QFile> file = openFile(path(c.name), c.limit, failed);
        EXPECT_EQ(file ? QString::fromLatin1(file->readAll()) : failed.error,
                  c.error.isEmpty() ? QStringLiteral("0123456789") : c.error)
            << c.name;
    }
    EXPECT_EQ(readFailedMessage("/x/a.txt", readFile("/x/a.txt", 1).error),
              QStringLiteral("无法读取文件：/x/a.txt（文件不存在）"));
}

} // namespace
