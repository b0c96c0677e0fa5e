#include "vbrt/small_record.h"

#include "vbrt/disk_calls.h"
#include "vbrt/file_reader.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vbrt {

using namespace disk;

namespace {
// A slot: "TSR1", the record's number and length, the checksum of the three, the record.
constexpr qsizetype kSlotBytes = 1024;
constexpr qsizetype kHeaderBytes = 4 + 8 + 4 + 16;
static_assert(kHeaderBytes + SmallRecord::kMaxBytes <= kSlotBytes);
constexpr char kMagic[4] = {'T', 'S', 'R', '1'};

QByteArray checksum(quint64 number, QByteArrayView record) {
    QCryptographicHash hash(QCryptographicHash::Md5);
    char n[8];
    qToLittleEndian(number, n);
    hash.addData(QByteArrayView(n, 8));
    hash.addData(record);
    return hash.result();
}

QByteArray slot(quint64 number, QByteArrayView record) {
    QByteArray s(kSlotBytes, '\0');
    char* p = s.data();
    std::memcpy(p, kMagic, 4);
    qToLittleEndian(number, p + 4);
    qToLittleEndian(quint32(record.size()), p + 12);
    const QByteArray sum = checksum(number, record);
    std::memcpy(p + 16, sum.constData(), 16);
    std::memcpy(p + kHeaderBytes, record.data(), size_t(record.size()));
    return s;
}

struct Slot {
    quint64 number = 0;
    QByteArray record;
};

// The slot's record when it is whole.
std::optional<Slot> readSlot(QByteArrayView s) {
    if (s.size() < kHeaderBytes || std::memcmp(s.data(), kMagic, 4) != 0)
        return std::nullopt;
    const quint64 number = qFromLittleEndian<quint64>(s.data() + 4);
    const quint32 length = qFromLittleEndian<quint32>(s.data() + 12);
    if (length > SmallRecord::kMaxBytes || kHeaderBytes + qsizetype(length) > s.size())
        return std::nullopt;
    const QByteArrayView record = s.sliced(kHeaderBytes, length);
    if (checksum(number, record) != s.sliced(16, 16))
        return std::nullopt;
    return Slot{number, record.toByteArray()};
}
} // namespace

SmallRecord::SmallRecord(const QString& path) : path_(path) {}

std::optional<QByteArray> SmallRecord::read() {
    const ReadResult file = readFile(path_, 2 * kSlotBytes);
    if (!file)
        return std::nullopt;
    std::optional<Slot> newest;
    for (qsizetype at = 0; at < 2 * kSlotBytes; at += kSlotBytes) {
        const std::optional<Slot> s =
            readSlot(QByteArrayView(file.bytes)
                         .sliced(std::min(at, file.bytes.size()),
                                 std::clamp<qsizetype>(file.bytes.size() - at, 0, kSlotBytes)));
        if (s && (!newest || s->number > newest->number))
            newest = s;
    }
    if (!newest)
        return std::nullopt;
    last_ = std::max(last_, newest->number);
    return newest->record;
}

WriteResult SmallRecord::prepare() {
    const QByteArray name = QFile::encodeName(path_);
    const int fd = openForWriting(name, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY);
    if (fd < 0)
        return errno == EEXIST ? WriteResult{} : WriteResult{describe(errno)};
    const bool made = writeAll(fd, QByteArray(2 * kSlotBytes, '\0'), 0) && syncToDisk(fd);
    const int err = errno;
    ::close(fd);
    if (made && syncFolder(name))
        return {};
    const int failed = made ? errno : err;
    removeFile(name);
    return {describe(failed)};
}

WriteResult SmallRecord::write(QByteArrayView record) {
    Q_ASSERT(record.size() <= kMaxBytes);
    if (last_ == 0)
        read();
    const QByteArray name = QFile::encodeName(path_);
    constexpr int kFlags = O_WRONLY | O_NONBLOCK | O_NOCTTY;
    int fd = openForWriting(name, kFlags);
    if (fd < 0 && errno == ENOENT) {
        if (const WriteResult made = prepare(); !made)
            return made;
        fd = openForWriting(name, kFlags);
    }
    if (fd < 0)
        return {describe(errno)};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {notAPlainFile()};
    }
    const quint64 number = last_ + 1;
    const bool written =
        writeAll(fd, slot(number, record), qint64(number % 2) * kSlotBytes) && syncToDisk(fd);
    const int err = errno;
    ::close(fd);
    if (!written)
        return {describe(err)};
    last_ = number;
    return {};
}

} // namespace vbrt
