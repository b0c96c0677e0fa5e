#include "vbrt/file_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vbrt {

namespace {
ReadResult failure(ReadError kind, int err = 0) {
    switch (kind) {
    case ReadError::Missing:
        return {{}, kind, QStringLiteral("文件不存在")};
    case ReadError::NotAPlainFile:
        return {{}, kind, notAPlainFile()};
    case ReadError::TooLarge:
        return {{}, kind, QStringLiteral("文件太大")};
    default:
        break;
    }
    if (err == EACCES || err == EPERM)
        return {{}, ReadError::Failed, QStringLiteral("没有读取权限")};
    return {{},
            ReadError::Failed,
            QStringLiteral("读取出错：") + QString::fromLocal8Bit(strerror(err))};
}

ReadResult refusal(const struct stat& st, qint64 limit) {
    if (!S_ISREG(st.st_mode))
        return failure(ReadError::NotAPlainFile);
    if (st.st_size > limit)
        return failure(ReadError::TooLarge);
    return {};
}

// The descriptor of a regular file of at most `limit` bytes, or -1 with the reason. The file
// is looked at before it is opened, so that opening cannot wait (a FIFO) or act (a device);
// and again once it is open, in case something else took its place in between.
int openRegular(const QString& path, qint64 limit, ReadResult& failed) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0) {
        failed = failure(name.isEmpty() || errno == ENOENT || errno == ENOTDIR ? ReadError::Missing
                                                                               : ReadError::Failed,
                         errno);
        return -1;
    }
    if (failed = refusal(st, limit); !failed.ok())
        return -1;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        failed = failure(ReadError::Failed, errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0)
        failed = failure(ReadError::Failed, errno);
    else
        failed = refusal(st, limit);
    if (!failed.ok()) {
        ::close(fd);
        return -1;
    }
    return fd;
}
} // namespace

QString notAPlainFile() {
    return QStringLiteral("不是普通文件");
}

QString readFailedMessage(const QString& path, const QString& why, const QString& lead) {
    return lead + path + QStringLiteral("（") + why + QStringLiteral("）");
}

ReadResult readFile(const QString& path, qint64 limit) {
    ReadResult result;
    const int fd = openRegular(path, limit, result);
    if (fd < 0)
        return result;
    // Read to the end rather than to the size seen: a file still growing is read as far as
    // the limit and refused beyond it.
    QByteArray& bytes = result.bytes;
    struct stat st {};
    // One byte more than the file holds, so that its end is seen without growing the buffer.
    bytes.resize(qsizetype((::fstat(fd, &st) == 0 ? std::min<qint64>(st.st_size, limit) : 0) + 1));
    qint64 done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (done > limit) {
                result = failure(ReadError::TooLarge);
                break;
            }
            bytes.resize(qsizetype(std::min<qint64>(std::max<qint64>(2 * done, 4096), limit + 1)));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result = failure(ReadError::Failed, errno);
            break;
        }
        if (n == 0) {
            bytes.truncate(qsizetype(done));
            break;
        }
        done += n;
    }
    ::close(fd);
    return result;
}

std::unique_ptr<QFile> openFile(const QString& path, qint64 limit, ReadResult& failed) {
    const int fd = openRegular(path, limit, failed);
    if (fd < 0)
        return nullptr;
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        failed = failure(ReadError::Failed, EIO);
        return nullptr;
    }
    return file;
}

} // namespace vbrt
