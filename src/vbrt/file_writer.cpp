#include "vbrt/file_writer.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vbrt {

namespace {
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

// Writes all of `bytes` at `offset` (or at the end, for a negative offset); errno on failure.
bool writeAll(int fd, QByteArrayView bytes, qint64 offset = -1) {
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

// Takes a file back to an earlier size. When even that fails nothing more can be done; the
// caller reports the first failure.
bool cutBack(int fd, qint64 size) {
    return ::ftruncate(fd, size) == 0;
}

// fsync fails with EINVAL on what cannot be synced (a pipe, some special files); that is no
// lost write.
bool syncToDisk(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL;
}
} // namespace

QString writeFailedMessage(const QString& path, const WriteResult& result) {
    return QStringLiteral("无法写入文件：") + path + QStringLiteral("（") + result.error +
           QStringLiteral("）");
}

// ---- ReplaceFile ----

ReplaceFile::ReplaceFile(const QString& path) : path_(path) {}

ReplaceFile::~ReplaceFile() {
    discard();
}

bool ReplaceFile::fail(int err) {
    if (error_.isEmpty())
        error_ = describe(err);
    return false;
}

WriteResult ReplaceFile::open() {
    if (fd_ >= 0)
        return {};
    error_.clear();
    written_ = 0;
    const auto failed = [this](int err) {
        fail(err);
        return WriteResult{error_};
    };
    if (path_.isEmpty())
        return failed(ENOENT);
    // A link stays a link: the file it points to is the one replaced.
    const QFileInfo info(path_);
    target_ = QFile::encodeName(info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath());

    struct stat st {};
    const bool exists = ::stat(target_.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return failed(EISDIR);
    // A file the user made read-only is not replaced behind its back.
    if (exists && ::access(target_.constData(), W_OK) != 0)
        return failed(errno);

    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(target_)).path());
    const QByteArray base = QFile::encodeName(QFileInfo(QFile::decodeName(target_)).fileName());
    int err = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = folder + "/." + base + '.' +
                                QByteArray::number(QRandomGenerator::global()->generate(), 16) +
                                ".tmp";
        fd_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temp_ = name;
            if (exists)
                ::fchmod(fd_, st.st_mode & 07777);
            return {};
        }
        err = errno;
        if (err != EEXIST)
            break;
    }
    if (!exists || (err != EACCES && err != EPERM))
        return failed(err);

    // The folder takes no new files, but the file itself may be written: in place, keeping a
    // copy of what it held to put back.
    fd_ = ::open(target_.constData(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0)
        return failed(errno);
    if (!readAll(fd_, st.st_size, old_)) {
        const int readError = errno ? errno : EIO;
        ::close(fd_);
        fd_ = -1;
        old_.clear();
        return failed(readError);
    }
    inPlace_ = true;
    return {};
}

bool ReplaceFile::write(QByteArrayView bytes) {
    if (fd_ < 0 || !error_.isEmpty())
        return false;
    // In place the old bytes are overwritten rather than cut off first, so that putting them
    // back never needs more room than they had.
    if (!writeAll(fd_, bytes, inPlace_ ? written_ : -1))
        return fail(errno);
    written_ += bytes.size();
    return true;
}

WriteResult ReplaceFile::commit() {
    if (fd_ < 0 && error_.isEmpty())
        fail(EBADF);
    if (error_.isEmpty() && inPlace_ && !cutBack(fd_, written_))
        fail(errno);
    if (error_.isEmpty() && !syncToDisk(fd_))
        fail(errno);
    if (!error_.isEmpty()) {
        discard();
        return {error_};
    }
    if (inPlace_) {
        ::close(fd_);
        fd_ = -1;
        inPlace_ = false;
        old_.clear();
        return {};
    }
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0 || ::rename(temp_.constData(), target_.constData()) != 0) {
        fail(errno);
        discard();
        return {error_};
    }
    temp_.clear();
    return {};
}

void ReplaceFile::cancel() {
    discard();
}

void ReplaceFile::discard() {
    if (inPlace_ && fd_ >= 0) {
        // Put back what the file held. Its room was never given up, so this cannot run out.
        if (!writeAll(fd_, old_, 0) || !cutBack(fd_, old_.size()) || !syncToDisk(fd_))
            fail(errno);
    }
    if (fd_ >= 0)
        ::close(fd_);
    if (!temp_.isEmpty())
        ::unlink(temp_.constData());
    fd_ = -1;
    temp_.clear();
    inPlace_ = false;
    old_.clear();
}

// ---- Whole files and appends ----

WriteResult replaceFile(const QString& path, QByteArrayView bytes) {
    ReplaceFile file(path);
    if (WriteResult opened = file.open(); !opened)
        return opened;
    file.write(bytes);
    return file.commit();
}

WriteResult appendToFile(const QString& path, QByteArrayView bytes) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return {describe(errno)};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return {describe(err)};
    }
    // Once the bytes are synced the close cannot lose them.
    if (writeAll(fd, bytes) && syncToDisk(fd)) {
        ::close(fd);
        return {};
    }
    const int err = errno;
    cutBack(fd, st.st_size);
    ::close(fd);
    return {describe(err)};
}

PieceFile::~PieceFile() {
    close();
}

WriteResult PieceFile::create(const QString& path) {
    close();
    const QByteArray name = QFile::encodeName(path);
    fd_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0)
        return {describe(errno)};
    return {};
}

WriteResult PieceFile::writeAt(qint64 offset, QByteArrayView bytes) {
    if (fd_ < 0)
        return {describe(EBADF)};
    if (!writeAll(fd_, bytes, offset))
        return {describe(errno)};
    return {};
}

void PieceFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace vbrt
