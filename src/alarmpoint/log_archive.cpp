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

#include <sys/stat.h>

namespace alarmpoint {

namespace {
const QString kNoteFile = QStringLiteral("\\recordarchive.mark");
const QString kReserveFile = QStringLiteral("\\recordarchive.reserve");
// A snapshot of an empty log.
const QByteArray kEmptySnapshot = QByteArrayLiteral("\r\n");
// Far more than a snapshot of the largest log the window keeps.
constexpr qint64 kSnapshotReadLimit = 64 * 1024 * 1024;
// The archive grows for years; it is read only at the places the note names.
constexpr qint64 kArchiveReadLimit = std::numeric_limits<qint64>::max();
// The bytes before an append's start and at its end by which the note knows the append.
constexpr qint64 kEdgeBytes = 64;
// The first bytes of an append, kept as they are: an append torn short begins with them.
constexpr qsizetype kHeadBytes = 32;
// How much of the archive's end is searched for a snapshot the note does not know: more than
// the window ever gives up at once.
constexpr qint64 kRecentArchiveBytes = 16 * 1024 * 1024;

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

// The archive as it stands: which file it is and its size.
struct ArchiveFile {
    bool exists = false;
    quint64 device = 0, inode = 0;
    qint64 size = 0;
};

ArchiveFile archiveFile() {
    struct stat st {};
    if (::stat(QFile::encodeName(LogArchive::archivePath()).constData(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        return {};
    return {true, quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size)};
}

// The archive's bytes from `from` on, `length` of them or as many as it has; none when it
// cannot be read.
QByteArray readArchive(qint64 from, qint64 length) {
    vbrt::ReadResult failed;
    const std::unique_ptr<QFile> archive =
        vbrt::openFile(LogArchive::archivePath(), kArchiveReadLimit, failed);
    if (!archive || !archive->seek(from))
        return {};
    return archive->read(length);
}

// Md5 of the bytes the archive holds just before `at`.
QByteArray edgeBefore(qint64 at) {
    const qint64 from = std::max<qint64>(0, at - kEdgeBytes);
    return fingerprintOf(readArchive(from, at - from));
}
} // namespace

// An append to the archive, as the note keeps it while it is under way.
struct LogArchive::PendingAppend {
    // The file it goes to.
    quint64 device = 0, inode = 0;
    qint64 at = 0, length = 0;
    // Md5 of the bytes before `at`; the append's first bytes; Md5 of its last bytes.
    QByteArray before, head, tail;
    // The whole log goes: every snapshot is archived once it is whole.
    bool whole = false;
};

// The note: the serial of the newest snapshot, an append under way, and the snapshots by
// what they hold, with how many of their leading bytes the archive has before that append and
// once it is whole (the same when none is under way). A snapshot being written is there
// beside what its file held before.
struct LogArchive::Note {
    struct Entry {
        int file = 0; // 1: record1.txt, 2: record2.txt
        quint64 serial = 0;
        qint64 size = 0;
        QByteArray fingerprint;
        qint64 before = 0, after = 0;
    };
    quint64 serial = 0;
    std::optional<PendingAppend> append;
    std::vector<Entry> entries;

    QByteArray encode() const {
        QByteArray text = "serial " + QByteArray::number(serial) + '\n';
        if (append)
            text += "append " + QByteArray::number(append->device) + ' ' +
                    QByteArray::number(append->inode) + ' ' + QByteArray::number(append->at) + ' ' +
                    QByteArray::number(append->length) + ' ' + append->before.toHex() + ' ' +
                    append->tail.toHex() + ' ' + append->head.toHex() + '\n';
        for (const Entry& e : entries)
            text += "snapshot " + QByteArray::number(e.file) + ' ' + QByteArray::number(e.serial) +
                    ' ' + QByteArray::number(e.size) + ' ' + e.fingerprint.toHex() + ' ' +
                    QByteArray::number(e.before) + ' ' + QByteArray::number(e.after) + '\n';
        return text;
    }

    // None for a note in any other form, such as that of an earlier version.
    static std::optional<Note> decode(const QByteArray& text) {
        Note n;
        bool serialSeen = false, ok = true;
        const auto number = [&ok](const QByteArray& word) {
            bool read = false;
            const qint64 value = word.toLongLong(&read);
            ok = ok && read && value >= 0;
            return value;
        };
        const auto unsignedNumber = [&ok](const QByteArray& word) {
            bool read = false;
            const quint64 value = word.toULongLong(&read);
            ok = ok && read;
            return value;
        };
        for (const QByteArray& line : text.split('\n')) {
            const QList<QByteArray> w = line.split(' ');
            if (w.size() == 2 && w[0] == "serial") {
                n.serial = unsignedNumber(w[1]);
                serialSeen = true;
            } else if (w.size() == 8 && w[0] == "append") {
                n.append = PendingAppend{unsignedNumber(w[1]),
                                         unsignedNumber(w[2]),
                                         number(w[3]),
                                         number(w[4]),
                                         QByteArray::fromHex(w[5]),
                                         QByteArray::fromHex(w[7]),
                                         QByteArray::fromHex(w[6])};
            } else if (w.size() == 7 && w[0] == "snapshot") {
                n.entries.push_back({int(number(w[1])), unsignedNumber(w[2]), number(w[3]),
                                     QByteArray::fromHex(w[4]), number(w[5]), number(w[6])});
            }
            if (!ok)
                return std::nullopt;
        }
        if (!serialSeen)
            return std::nullopt;
        return n;
    }

    // The newest entry of the file that names what it holds.
    const Entry* find(int file, QByteArrayView fingerprint, qint64 size) const {
        const Entry* found = nullptr;
        for (const Entry& e : entries)
            if (e.file == file && e.size == size && e.fingerprint == fingerprint &&
                (!found || e.serial > found->serial))
                found = &e;
        return found;
    }
};

// Whether the archive holds the append the note tells of. It is torn only where the file is
// the one it went to, holds what it held before the append's start, and what follows there
// begins as the append did but ends short: a power cut. Anything else (the user edited the
// archive, a job trimmed or replaced it) is not taken for the append, and not cut.
LogArchive::AppendFound LogArchive::findAppend(const PendingAppend& a) {
    const ArchiveFile file = archiveFile();
    if (!file.exists || file.size <= a.at || edgeBefore(a.at) != a.before)
        return AppendFound::NotWhole;
    const qint64 end = a.at + a.length;
    if (file.size >= end) {
        const qint64 from = end - std::min(a.length, kEdgeBytes);
        return fingerprintOf(readArchive(from, end - from)) == a.tail ? AppendFound::Whole
                                                                      : AppendFound::NotWhole;
    }
    const QByteArray begun = readArchive(a.at, std::min<qint64>(kHeadBytes, file.size - a.at));
    const bool ownFile = file.device == a.device && file.inode == a.inode;
    return ownFile && !begun.isEmpty() && a.head.startsWith(begun) ? AppendFound::Torn
                                                                   : AppendFound::NotWhole;
}

qint64 LogArchive::Snapshot::archivedOf(qint64 streamArchived) const {
    qint64 archived = floor;
    if (start)
        archived = std::max(archived, streamArchived - *start);
    return std::clamp<qint64>(archived, 0, size);
}

LogArchive::LogArchive() : note_(notePath()), reserve_(vbrt::appFile(kReserveFile)) {}

QString LogArchive::archivePath() {
    return vbrt::appFile(QStringLiteral("\\") + kArchiveFile);
}

QString LogArchive::snapshotPath(bool second) {
    return vbrt::appFile(second ? QStringLiteral("\\record2.txt")
                                : QStringLiteral("\\record1.txt"));
}

QString LogArchive::notePath() {
    return vbrt::appFile(kNoteFile);
}

std::optional<LogArchive::Unarchived> LogArchive::archiveWhatTheSnapshotsKept() {
    // The program's folder may have changed since this was made (tests).
    note_ = vbrt::SmallRecord(notePath());
    reserve_ = vbrt::RoomReserve(vbrt::appFile(kReserveFile));
    snapshots_ = {};
    serial_ = 0;
    streamArchived_ = 0;
    givenBack_.reset();
    // Made while the disk has room, so that the note can be written once it has none.
    note_.prepare();

    const std::optional<QByteArray> record = note_.read();
    const std::optional<Note> note = record ? Note::decode(*record) : std::nullopt;
    bool appendWhole = true; // with none under way, the entries hold for the archive as it is
    if (note) {
        serial_ = note->serial;
        if (note->append) {
            const AppendFound found = findAppend(*note->append);
            if (found == AppendFound::Torn)
                vbrt::cutFileTo(archivePath(), note->append->at);
            appendWhole = found == AppendFound::Whole;
        }
    }

    std::array<QByteArray, 2> kept;
    std::array<bool, 2> present{}, unknown{};
    for (int k = 0; k < 2; ++k) {
        vbrt::ReadResult read = vbrt::readFile(snapshotPath(k == 1), kSnapshotReadLimit);
        if (!read)
            continue;
        Snapshot& s = snapshots_[size_t(k)];
        s.fingerprint = fingerprintOf(read.bytes);
        s.size = read.bytes.size();
        if (const Note::Entry* e = note ? note->find(k + 1, s.fingerprint, s.size) : nullptr) {
            s.serial = e->serial;
            s.floor = appendWhole ? e->after : e->before;
        } else {
            unknown[size_t(k)] = true;
        }
        present[size_t(k)] = true;
        largestSnapshot_ = std::max(largestSnapshot_, s.size);
        kept[size_t(k)] = std::move(read.bytes);
    }
    keepRoomAside();

    // A snapshot the note does not know was written after the note was last: it is newer than
    // those it knows. Two such are told apart by their times, and, as on file systems with
    // coarse times, by their length.
    const auto newer = [&](int a, int b) {
        if (!present[size_t(b)])
            return true;
        if (unknown[size_t(a)] != unknown[size_t(b)])
            return unknown[size_t(a)];
        if (!unknown[size_t(a)])
            return snapshots_[size_t(a)].serial > snapshots_[size_t(b)].serial;
        const QDateTime ta = QFileInfo(snapshotPath(a == 1)).lastModified();
        const QDateTime tb = QFileInfo(snapshotPath(b == 1)).lastModified();
        return ta != tb ? ta > tb : snapshots_[size_t(a)].size >= snapshots_[size_t(b)].size;
    };
    std::optional<int> newest;
    for (int k = 0; k < 2; ++k)
        if (present[size_t(k)] && (!newest || newer(k, *newest)))
            newest = k;
    if (!newest) {
        writeNote(nullptr, 0, nullptr);
        return std::nullopt;
    }
    const int older = 1 - *newest;
    // From now on the note knows both, the older first.
    for (int k : {older, *newest})
        if (unknown[size_t(k)])
            snapshots_[size_t(k)].serial = ++serial_;
    Snapshot& s = snapshots_[size_t(*newest)];
    if (unknown[size_t(*newest)])
        s.floor = archivedByContent(kept[size_t(*newest)]);
    // The older snapshot holds an earlier state of the same log: what it has beyond the
    // archive, the newer one has too.
    snapshots_[size_t(older)].floor = snapshots_[size_t(older)].size;

    const QByteArray rest = kept[size_t(*newest)].mid(s.archivedOf(0));
    if (holdsNoText(rest)) {
        s.floor = s.size;
        writeNote(nullptr, 0, nullptr);
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

qint64 LogArchive::archivedByContent(const QByteArray& snapshot) {
    const ArchiveFile file = archiveFile();
    const qint64 length = std::min(file.size, snapshot.size() + kRecentArchiveBytes);
    const QByteArray recent = readArchive(file.size - length, length);
    if (recent.isEmpty())
        return 0;
    // Archived whole, and the snapshot could not be emptied after.
    if (recent.contains(snapshot))
        return snapshot.size();
    // The longest start of it, to a line's end, that the archive ends with: what a trim took
    // before the program ended.
    const QByteArrayView bytes(snapshot);
    for (qsizetype end = bytes.lastIndexOf('\n', std::min(bytes.size(), recent.size()) - 1);
         end >= 0; end = end > 0 ? bytes.lastIndexOf('\n', end - 1) : -1)
        if (recent.endsWith(bytes.first(end + 1)))
            return end + 1;
    return 0;
}

// Written ahead of the change it tells of, so that, however the program ends, the note knows
// every snapshot and append that may be on the disk. A snapshot it names no more is one the
// program left behind.
void LogArchive::writeNote(const PendingAppend* append, int pendingFile, const Snapshot* pending) {
    Note n;
    n.serial = serial_;
    if (append)
        n.append = *append;
    const auto add = [&](int k, const Snapshot& s) {
        const qint64 before = s.archivedOf(streamArchived_);
        qint64 after = before;
        if (append)
            after = append->whole ? s.size : s.archivedOf(streamArchived_ + append->length);
        n.entries.push_back({k + 1, s.serial, s.size, s.fingerprint, before, after});
    };
    for (int k = 0; k < 2; ++k)
        if (snapshots_[size_t(k)].serial != 0)
            add(k, snapshots_[size_t(k)]);
    if (pending)
        add(pendingFile, *pending);
    noteRefusal_ = note_.write(n.encode());
}

template <class Write> vbrt::WriteResult LogArchive::usingTheReserve(qint64 bytes, Write write) {
    vbrt::WriteResult r = write();
    if (!r && vbrt::diskWasFull(r) && reserve_.release(bytes))
        r = write();
    if (!r && vbrt::diskWasFull(r) && reserve_.releaseAll())
        r = write();
    return r;
}

vbrt::WriteResult LogArchive::writeSnapshot(bool second, const QByteArray& bytes) {
    const int k = second ? 1 : 0;
    const Snapshot next{++serial_, fingerprintOf(bytes), bytes.size(), 0, streamArchived_};
    writeNote(nullptr, k, &next);
    const vbrt::WriteResult r = usingTheReserve(
        bytes.size(), [&] { return vbrt::replaceFile(snapshotPath(second), bytes); });
    if (!r)
        return r;
    snapshots_[size_t(k)] = next;
    largestSnapshot_ = std::max(largestSnapshot_, qint64(bytes.size()));
    return r;
}

void LogArchive::keepRoomAside() {
    reserve_.growTo(reserveFor(largestSnapshot_));
}

vbrt::WriteResult LogArchive::archiveOldest(const QByteArray& bytes) {
    return appendOnce(bytes, Reach::Oldest);
}

// Once the whole log is archived the disk's room goes first to the archive.
vbrt::WriteResult LogArchive::archiveWhole(const QByteArray& bytes) {
    const vbrt::WriteResult r =
        usingTheReserve(bytes.size(), [&] { return appendOnce(bytes, Reach::Whole); });
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

vbrt::WriteResult LogArchive::appendOnce(const QByteArray& bytes, Reach reach) {
    ArchiveFile file = archiveFile();
    // Made first, so that the note can name the file the append goes to.
    if (!file.exists) {
        if (const vbrt::WriteResult made = vbrt::appendToFile(archivePath(), {}); !made)
            return made;
        file = archiveFile();
    }
    const PendingAppend pending{file.device,
                                file.inode,
                                file.size,
                                bytes.size(),
                                edgeBefore(file.size),
                                bytes.left(kHeadBytes),
                                fingerprintOf(bytes.right(kEdgeBytes)),
                                reach == Reach::Whole};
    // Without the note the append still goes: the next opening then reads off the archive
    // what it has of the snapshots.
    writeNote(&pending, 0, nullptr);
    const vbrt::WriteResult r = vbrt::appendToFile(archivePath(), bytes);
    if (!r)
        return r;
    if (reach == Reach::Oldest) {
        streamArchived_ += bytes.size();
    } else {
        for (Snapshot& s : snapshots_) {
            s.floor = s.size;
            s.start.reset();
        }
    }
    writeNote(nullptr, 0, nullptr);
    return r;
}

// Snapshots that cannot be emptied are no harm: the note says the archive has what they hold.
void LogArchive::emptySnapshots() {
    for (bool second : {true, false})
        writeSnapshot(second, kEmptySnapshot);
}

} // namespace alarmpoint
