#include "vbrt/file_writer.h"

#include "vbrt/disk_calls.h"
#include "vbrt/file_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vbrt {

using namespace disk;

namespace {
// Whether the open file is the regular file looked at before it was opened.
bool isSameRegularFile(int fd, const struct stat& seen) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == seen.st_dev &&
           st.st_ino == seen.st_ino;
}

// The file a write goes to: at the end of the path's links, each relative one taken from the
// folder of the link that holds it.
struct Target {
    QByteArray path;
    struct stat st {};
    bool exists = false;
    // Why nothing may be written there; empty when it may.
    QString error;
};

// The name of a replace's temporary file: short, so that the longest name the folder takes
// can still be replaced, and hidden.
const QString kTemporaryPrefix = QStringLiteral(".~");
const QString kTemporarySuffix = QStringLiteral(".tmp");

QByteArray temporaryName(const QByteArray& folder) {
    return folder + '/' + QFile::encodeName(kTemporaryPrefix) +
           QByteArray::number(QRandomGenerator::global()->generate(), 16) +
           QFile::encodeName(kTemporarySuffix);
}

bool isTemporaryName(const QString& name) {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(kTemporaryPrefix) + QStringLiteral("[0-9a-f]{1,8}") +
        QRegularExpression::escape(kTemporarySuffix)));
    return pattern.match(name).hasMatch();
}

Target targetOf(const QString& path) {
    constexpr int kMostLinks = 40; // as the system follows them
    Target t;
    t.path = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    for (int links = 0;; ++links) {
        if (::lstat(t.path.constData(), &t.st) != 0) {
            if (errno != ENOENT)
                t.error = describe(errno);
            return t;
        }
        if (!S_ISLNK(t.st.st_mode))
            break;
        if (links == kMostLinks) {
            t.error = describe(ELOOP);
            return t;
        }
        QByteArray to(qsizetype(t.st.st_size > 0 ? t.st.st_size : PATH_MAX), '\0');
        const ssize_t n = ::readlink(t.path.constData(), to.data(), size_t(to.size()));
        if (n < 0) {
            t.error = describe(errno);
            return t;
        }
        to.truncate(n);
        t.path = to.startsWith('/') ? to : folderOf(t.path) + '/' + to;
    }
    t.exists = true;
    if (S_ISDIR(t.st.st_mode))
        t.error = describe(EISDIR);
    else if (!S_ISREG(t.st.st_mode))
        t.error = notAPlainFile();
    // A file the user made read-only is not replaced or added to behind their back, not even
    // by root, for whom the system would allow it.
    else if ((t.st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        t.error = describe(EACCES);
    else if (::access(t.path.constData(), W_OK) != 0)
        t.error = describe(errno);
    return t;
}
} // namespace

QString writeFailedMessage(const QString& path, const WriteResult& result) {
    return QStringLiteral("无法写入文件：") + path + QStringLiteral("（") + result.error +
           QStringLiteral("）");
}

bool diskWasFull(const WriteResult& result) {
    return result.error == describe(ENOSPC);
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
    // Every link on the way stays a link: the file at the end of them is the one replaced.
    const Target target = targetOf(path_);
    if (!target.error.isEmpty()) {
        error_ = target.error;
        return {error_};
    }
    target_ = target.path;
    const bool exists = target.exists;
    const struct stat& st = target.st;
    const QByteArray folder = folderOf(target_);
    int err = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryName(folder);
        fd_ = openForWriting(name, O_WRONLY | O_CREAT | O_EXCL);
        if (fd_ >= 0) {
            temp_ = name;
            if (exists)
                setMode(fd_, st.st_mode & 07777);
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
    fd_ = openForWriting(target_, O_RDWR | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0)
        return failed(errno);
    if (!isSameRegularFile(fd_, st)) {
        ::close(fd_);
        fd_ = -1;
        error_ = notAPlainFile();
        return {error_};
    }
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
    // Whatever took the target's place meanwhile is no more replaced than it would have been.
    if (struct stat now{}; ::lstat(target_.constData(), &now) == 0 && !S_ISREG(now.st_mode)) {
        error_ = S_ISDIR(now.st_mode) ? describe(EISDIR) : notAPlainFile();
        discard();
        return {error_};
    }
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0 || !renameFile(temp_, target_)) {
        fail(errno);
        discard();
        return {error_};
    }
    temp_.clear();
    // The rename is only safe on the disk once the folder that records it is. Should that
    // fail, the new file is in place but may not survive a power cut: it is reported.
    if (!syncFolder(target_))
        fail(errno);
    return {error_};
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
        removeFile(temp_);
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
    const Target target = path.isEmpty() ? Target{{}, {}, false, describe(ENOENT)} : targetOf(path);
    if (!target.error.isEmpty())
        return {target.error};
    const int fd =
        openForWriting(target.path, O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return {describe(errno)};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return {describe(err)};
    }
    if (!S_ISREG(st.st_mode) || (target.exists && !isSameRegularFile(fd, target.st))) {
        ::close(fd);
        return {notAPlainFile()};
    }
    // Once the bytes are synced the close cannot lose them; a file this append made is only
    // there for good once its folder is synced too.
    if (writeAll(fd, bytes) && syncToDisk(fd) && (target.exists || syncFolder(target.path))) {
        ::close(fd);
        return {};
    }
    const int err = errno;
    cutBack(fd, st.st_size);
    ::close(fd);
    return {describe(err)};
}

WriteResult cutFileTo(const QString& path, qint64 size) {
    const Target target = targetOf(path);
    if (!target.error.isEmpty())
        return {target.error};
    if (!target.exists || target.st.st_size <= size)
        return {};
    const int fd = openForWriting(target.path, O_WRONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return {describe(errno)};
    const bool cut = isSameRegularFile(fd, target.st) && cutBack(fd, size) && syncToDisk(fd);
    const int err = errno;
    ::close(fd);
    return cut ? WriteResult{} : WriteResult{describe(err)};
}

void removeLeftoverTemporaries(const QString& folder) {
    const QDir dir(folder);
    const QStringList names = dir.entryList(
        {kTemporaryPrefix + QLatin1Char('*') + kTemporarySuffix}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        struct stat st {};
        if (isTemporaryName(name) && ::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode))
            removeFile(path);
    }
}

PieceFile::~PieceFile() {
    close();
}

WriteResult PieceFile::create(const QString& path) {
    close();
    const QByteArray name = QFile::encodeName(path);
    fd_ = openForWriting(name, O_WRONLY | O_CREAT | O_EXCL);
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
