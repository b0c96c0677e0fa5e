#include "vbrt/disk_calls.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vbrt::disk {

namespace {
struct Stop {
    std::function<bool()> ask;
    bool stopped = false;
};
Stop& stop() {
    static Stop s;
    return s;
}

// False, with EIO, once a test has stood the process killed.
bool mayChange() {
    if (!stop().stopped)
        return true;
    errno = EIO;
    return false;
}
} // namespace

void stopAtSync(std::function<bool()> ask) {
    stop().ask = std::move(ask);
    stop().stopped = false;
}

QString describe(int err) {
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘空间不足");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入权限");
    case EROFS:
        return QStringLiteral("磁盘是只读的");
    case EISDIR:
        return QStringLiteral("同名的是一个文件夹");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("文件夹不存在");
    case ENAMETOOLONG:
        return QStringLiteral("文件名太长");
    case EEXIST:
        return QStringLiteral("同名的文件已经存在");
    default:
        return QStringLiteral("写入出错：") + QString::fromLocal8Bit(strerror(err));
    }
}

bool writeAll(int fd, QByteArrayView bytes, qint64 offset) {
    if (!mayChange())
        return false;
    const char* p = bytes.data();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n =
            offset < 0 ? ::write(fd, p, size_t(left)) : ::pwrite(fd, p, size_t(left), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
        if (offset >= 0)
            offset += n;
    }
    return true;
}

bool readAll(int fd, qint64 size, QByteArray& out) {
    out.resize(size);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out.data() + done, size_t(size - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool cutBack(int fd, qint64 size) {
    return mayChange() && ::ftruncate(fd, size) == 0;
}

bool syncToDisk(int fd) {
    Stop& s = stop();
    if (!s.stopped && s.ask && s.ask())
        s.stopped = true;
    return mayChange() && (::fsync(fd) == 0 || errno == EINVAL);
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

bool syncFolder(const QByteArray& file) {
    const int fd = ::open(folderOf(file).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = syncToDisk(fd);
    const int err = errno;
    ::close(fd);
    errno = err;
    return synced;
}

int openForWriting(const QByteArray& path, int flags, int mode) {
    if (!mayChange())
        return -1;
    return ::open(path.constData(), flags | O_CLOEXEC, mode);
}

bool renameFile(const QByteArray& from, const QByteArray& to) {
    return mayChange() && ::rename(from.constData(), to.constData()) == 0;
}

bool removeFile(const QByteArray& path) {
    return mayChange() && ::unlink(path.constData()) == 0;
}

bool setMode(int fd, unsigned mode) {
    return mayChange() && ::fchmod(fd, mode_t(mode)) == 0;
}

bool allocate(int fd, qint64 offset, qint64 length) {
    if (!mayChange())
        return false;
    // posix_fallocate gives its error rather than setting errno.
    const int err = ::posix_fallocate(fd, offset, length);
    errno = err;
    return err == 0;
}

} // namespace vbrt::disk
