// The message log on the disk: the archive, the snapshots, the note of what the archive has
// and the room set aside for a full disk.

#include "alarmpoint/log_archive.h"

#include "vbrt/apppath.h"
#include "vbrt/file_reader.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <limits>
#include <vector>

namespace alarmpoint {

namespace {
const QString kMarkFile = QStringLiteral("\\recordarchive.mark");
const QString kReserveFile = QStringLiteral("\\recordarchive.reserve");
// A snapshot of an empty log.
const QByteArray kEmptySnapshot = QByteArrayLiteral("\r\n");
// Far more than a snapshot of the largest log the window keeps.
constexpr qint64 kSnapshotReadLimit = 64 * 1024 * 1024;
// The archive grows for years; it is read only where an append ends.
constexpr qint64 kArchiveReadLimit = std::numeric_limits<qint64>::max();
// The last bytes of an append that the note keeps, to find it whole in the archive.
constexpr qsizetype kTailBytes = 64;

QByteArray fingerprintOf(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
}

bool holdsNoText(QByteArrayView bytes) {
    return bytes.isEmpty() || bytes == kEmptySnapshot;
}

// On a full disk the two snapshots and the room set aside are all the log has: a snapshot
// written needs room for itself beside the two, as the archive of the whole log does. Twice
// the largest snapshot lets the log grow by a third after the disk filled.
qint64 reserveFor(qint64 largestSnapshot) {
    return 2 * largestSnapshot + LogArchive::kLeastReserve;
}

// The note written before each append to the archive: where the append begins, its length and
// its last bytes; and for each snapshot, by what it holds, how many of its leading bytes the
// archive has before the append and once it is whole.
struct Mark {
    struct Snapshot {
        QByteArray fingerprint;
        qint64 size = 0, before = 0, after = 0;
    };
    qint64 at = 0, length = 0;
    QByteArray tail;
    std::vector<Snapshot> snapshots;

    QByteArray encode() const {
        QByteArray text = "append " + QByteArray::number(at) + ' ' + QByteArray::number(length) +
                          ' ' + tail.toHex() + '\n';
        for (const Snapshot& s : snapshots)
            text += "snapshot " + s.fingerprint.toHex() + ' ' + QByteArray::number(s.size) + ' ' +
                    QByteArray::number(s.before) + ' ' + QByteArray::number(s.after) + '\n';
        return text;
    }

    static std::optional<Mark> decode(const QByteArray& text) {
        Mark m;
        bool appendSeen = false;
        for (const QByteArray& line : text.split('\n')) {
            const QList<QByteArray> w = line.split(' ');
            bool ok[4] = {true, true, true, true};
            if (w.size() == 4 && w[0] == "append") {
                m.at = w[1].toLongLong(&ok[0]);
                m.length = w[2].toLongLong(&ok[1]);
                m.tail = QByteArray::fromHex(w[3]);
                appendSeen = true;
            } else if (w.size() == 5 && w[0] == "snapshot") {
                m.snapshots.push_back({QByteArray::fromHex(w[1]), w[2].toLongLong(&ok[0]),
                                       w[3].toLongLong(&ok[1]), w[4].toLongLong(&ok[2])});
            }
            if (!(ok[0] && ok[1] && ok[2]))
                return std::nullopt;
        }
        if (!appendSeen)
            return std::nullopt;
        return m;
    }

    const Snapshot* find(QByteArrayView fingerprint, qint64 size) const {
        for (const Snapshot& s : snapshots)
            if (s.fingerprint == fingerprint && s.size == size)
                return &s;
        return nullptr;
    }
};

qint64 archiveSize() {
    const QFileInfo file(LogArchive::archivePath());
    return file.isFile() ? file.size() : 0;
}

enum class AppendFound { Whole, Missing, Torn };

// Whether the archive holds the append the note tells of. An append that ends short of its
// length was torn by a power cut; an archive that holds other bytes where it ends has been
// changed since, and is taken as not holding it.
AppendFound findAppend(const Mark& m) {
    const qint64 size = archiveSize();
    if (size < m.at + m.length)
        return size > m.at ? AppendFound::Torn : AppendFound::Missing;
    vbrt::ReadResult failed;
    const std::unique_ptr<QFile> archive =
        vbrt::openFile(LogArchive::archivePath(), kArchiveReadLimit, failed);
    if (!archive || !archive->seek(m.at + m.length - m.tail.size()))
        return AppendFound::Missing;
    return archive->read(m.tail.size()) == m.tail ? AppendFound::Whole : AppendFound::Missing;
}
} // namespace

qint64 LogArchive::Snapshot::archivedOf(qint64 streamArchived) const {
    qint64 archived = floor;
    if (start)
        archived = std::max(archived, streamArchived - *start);
    return std::clamp<qint64>(archived, 0, size);
}

LogArchive::LogArchive() : mark_(vbrt::appFile(kMarkFile)), reserve_(vbrt::appFile(kReserveFile)) {}

QString LogArchive::archivePath() {
    return vbrt::appFile(QStringLiteral("\\") + kArchiveFile);
}

QString LogArchive::snapshotPath(bool second) {
    return vbrt::appFile(second ? QStringLiteral("\\record2.txt")
                                : QStringLiteral("\\record1.txt"));
}

std::optional<LogArchive::Unarchived> LogArchive::archiveWhatTheSnapshotsKept() {
    // The program's folder may have changed since this was made (tests).
    mark_ = vbrt::SmallRecord(vbrt::appFile(kMarkFile));
    reserve_ = vbrt::RoomReserve(vbrt::appFile(kReserveFile));
    snapshots_ = {};
    streamArchived_ = 0;
    givenBack_.reset();
    // Made while the disk has room, so that the note can be written once it has none.
    mark_.prepare();

    const std::optional<QByteArray> note = mark_.read();
    const std::optional<Mark> mark = note ? Mark::decode(*note) : std::nullopt;
    const AppendFound found = mark ? findAppend(*mark) : AppendFound::Missing;
    if (found == AppendFound::Torn)
        vbrt::cutFileTo(archivePath(), mark->at);

    std::optional<int> newest;
    QDateTime newestTime;
    std::array<QByteArray, 2> kept;
    for (int k = 0; k < 2; ++k) {
        const QString path = snapshotPath(k == 1);
        vbrt::ReadResult read = vbrt::readFile(path, kSnapshotReadLimit);
        if (!read)
            continue;
        Snapshot& s = snapshots_[size_t(k)];
        s.fingerprint = fingerprintOf(read.bytes);
        s.size = read.bytes.size();
        if (const Mark::Snapshot* m = mark ? mark->find(s.fingerprint, s.size) : nullptr)
            s.floor = found == AppendFound::Whole ? m->after : m->before;
        largestSnapshot_ = std::max(largestSnapshot_, s.size);
        kept[size_t(k)] = std::move(read.bytes);
        const QDateTime modified = QFileInfo(path).lastModified();
        if (!newest || modified > newestTime) {
            newest = k;
            newestTime = modified;
        }
    }
    keepRoomAside();
    if (!newest)
        return std::nullopt;
    const QByteArray rest = kept[size_t(*newest)].mid(snapshots_[size_t(*newest)].archivedOf(0));
    // The older snapshot holds an earlier state of the same log: what it has beyond the
    // archive, the newer one has too.
    Snapshot& older = snapshots_[size_t(1 - *newest)];
    older.floor = older.size;
    if (holdsNoText(rest)) {
        snapshots_[size_t(*newest)].floor = snapshots_[size_t(*newest)].size;
        return std::nullopt;
    }
    const vbrt::WriteResult r = archiveWhole(rest);
    if (r)
        return std::nullopt;
    givenBack_ = *newest;
    return Unarchived{rest, r};
}

void LogArchive::keptTextIsInTheLogFrom(qint64 at) {
    if (!givenBack_)
        return;
    Snapshot& s = snapshots_[size_t(*givenBack_)];
    s.start = streamArchived_ + at - s.floor;
    givenBack_.reset();
}

vbrt::WriteResult LogArchive::writeSnapshot(bool second, const QByteArray& bytes) {
    const QString path = snapshotPath(second);
    vbrt::WriteResult r = vbrt::replaceFile(path, bytes);
    if (!r && vbrt::diskWasFull(r) && reserve_.release())
        r = vbrt::replaceFile(path, bytes);
    if (!r)
        return r;
    snapshots_[second ? 1 : 0] = {fingerprintOf(bytes), bytes.size(), 0, streamArchived_};
    largestSnapshot_ = std::max(largestSnapshot_, qint64(bytes.size()));
    return r;
}

void LogArchive::keepRoomAside() {
    reserve_.growTo(reserveFor(largestSnapshot_));
}

vbrt::WriteResult LogArchive::archiveOldest(const QByteArray& bytes) {
    return append(bytes, Reach::Oldest);
}

vbrt::WriteResult LogArchive::archiveWhole(const QByteArray& bytes) {
    const vbrt::WriteResult r = append(bytes, Reach::Whole);
    if (r)
        emptySnapshots();
    return r;
}

void LogArchive::logEditedByUser() {
    for (Snapshot& s : snapshots_) {
        s.floor = s.archivedOf(streamArchived_);
        s.start.reset();
    }
}

// Once the whole log is archived the disk's room goes first to the archive.
vbrt::WriteResult LogArchive::append(const QByteArray& bytes, Reach reach) {
    vbrt::WriteResult r = appendOnce(bytes, reach);
    if (!r && reach == Reach::Whole && vbrt::diskWasFull(r) && reserve_.release())
        r = appendOnce(bytes, reach);
    return r;
}

vbrt::WriteResult LogArchive::appendOnce(const QByteArray& bytes, Reach reach) {
    const qint64 length = bytes.size();
    Mark mark{archiveSize(), length, bytes.right(kTailBytes), {}};
    for (const Snapshot& s : snapshots_) {
        if (s.fingerprint.isEmpty())
            continue;
        const qint64 before = s.archivedOf(streamArchived_);
        const qint64 after =
            reach == Reach::Whole ? s.size : s.archivedOf(streamArchived_ + length);
        mark.snapshots.push_back({s.fingerprint, s.size, before, after});
    }
    // Without the note the append still goes: only a kill right after it would archive twice.
    mark_.write(mark.encode());
    const vbrt::WriteResult r = vbrt::appendToFile(archivePath(), bytes);
    if (!r)
        return r;
    if (reach == Reach::Oldest) {
        streamArchived_ += length;
        return r;
    }
    for (Snapshot& s : snapshots_) {
        s.floor = s.size;
        s.start.reset();
    }
    return r;
}

// Snapshots that cannot be emptied are no harm: the note says the archive has what they hold.
void LogArchive::emptySnapshots() {
    for (bool second : {true, false})
        writeSnapshot(second, kEmptySnapshot);
}

} // namespace alarmpoint
