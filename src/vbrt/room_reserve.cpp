#include "vbrt/room_reserve.h"

#include "vbrt/disk_calls.h"

#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vbrt {

namespace {
// Taken a step at a time, halved down to a page when a step does not fit, so that a disk
// with little room left still gives what it has.
constexpr qint64 kStep = 256 * 1024;
constexpr qint64 kLeastStep = 4096;
// What a file written from the reserve needs beyond its bytes: its last block, its name in
// the folder, the blocks that map it. Should that be short, the writer asks for all there is.
constexpr qint64 kWriteOverhead = 16 * 1024;

// Never waits on what is no plain file: a FIFO opened for writing would block until a reader
// came.
int openPlain(const QString& path, int flags) {
    const int fd = disk::openForWriting(QFile::encodeName(path),
                                        flags | O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        return fd;
    ::close(fd);
    return -1;
}

// The room a file holds is its blocks, not its length: a copy made sparse (cp --sparse, rsync
// -S, tar -S) has the length and none of the room.
qint64 roomOf(const struct stat& st) {
    return std::min<qint64>(st.st_size, qint64(st.st_blocks) * 512);
}
} // namespace

RoomReserve::RoomReserve(const QString& path) : path_(path) {}

qint64 RoomReserve::size() const {
    struct stat st {};
    if (::lstat(QFile::encodeName(path_).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return roomOf(st);
}

void RoomReserve::growTo(qint64 bytes) {
    if (size() >= bytes)
        return;
    const int fd = openPlain(path_, O_CREAT);
    struct stat st {};
    if (fd < 0)
        return;
    ::fstat(fd, &st);
    qint64 length = st.st_size;
    // The holes of a sparse file are taken from its start; a whole one grows at its end.
    qint64 have = roomOf(st) < length ? 0 : length;
    for (qint64 step = kStep; have < bytes && step >= kLeastStep;) {
        const qint64 want = std::min(step, bytes - have);
        if (disk::allocate(fd, have, want)) {
            have += want;
            length = std::max(length, have);
            continue;
        }
        // Whatever a failed step took beyond the size is given back.
        disk::cutBack(fd, length);
        step /= 2;
    }
    ::close(fd);
}

bool RoomReserve::release(qint64 bytes) {
    const qint64 have = size();
    if (have == 0 || bytes <= 0)
        return false;
    const int fd = openPlain(path_, 0);
    if (fd < 0)
        return false;
    const qint64 keep =
        std::max<qint64>(0, have - bytes - kWriteOverhead) / kLeastStep * kLeastStep;
    const bool released = disk::cutBack(fd, keep);
    ::close(fd);
    return released;
}

} // namespace vbrt
