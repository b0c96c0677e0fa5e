#include "vbrt/room_reserve.h"

#include "vbrt/disk_calls.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vbrt {

namespace {
// Taken a step at a time, so that a disk that fills midway leaves what fitted.
constexpr qint64 kStep = 256 * 1024;

bool isPlainFile(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}
} // namespace

RoomReserve::RoomReserve(const QString& path) : path_(path) {}

qint64 RoomReserve::size() const {
    const QFileInfo file(path_);
    return file.isFile() && !file.isSymLink() ? file.size() : 0;
}

void RoomReserve::growTo(qint64 bytes) {
    qint64 have = size();
    if (have >= bytes)
        return;
    const QByteArray name = QFile::encodeName(path_);
    const int fd = disk::openForWriting(name, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NOCTTY);
    if (fd < 0)
        return;
    if (isPlainFile(fd)) {
        while (have < bytes) {
            const qint64 step = std::min(kStep, bytes - have);
            if (!disk::allocate(fd, have, step)) {
                // Whatever a failed step took beyond the size is given back.
                disk::cutBack(fd, have);
                break;
            }
            have += step;
        }
    }
    ::close(fd);
}

bool RoomReserve::release() {
    if (size() == 0)
        return false;
    const int fd = disk::openForWriting(QFile::encodeName(path_), O_WRONLY | O_NOFOLLOW | O_NOCTTY);
    if (fd < 0)
        return false;
    const bool released = isPlainFile(fd) && disk::cutBack(fd, 0);
    ::close(fd);
    return released;
}

} // namespace vbrt
