// The message log on the disk: the archive, the snapshots, the note of what the archive has
// and the room set aside for a full disk.

#include "alarmpoint/log_archive.h"

#include "vbrt/apppath.h"
#include "vbrt/file_reader.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
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
// How much of the archive's end is searched for a snapshot the note does not know: more than
// the window ever gives up at once.
constexpr qint64 kRecentArchiveBytes = 16 * 1024 * 1024;

QByteArray fingerprintOf(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
}

bool holdsNoText(QByteArrayView bytes) {
    return bytes.isEmpty() || bytes == kEmptySnapshot;
}

// The log's text in a snapshot, without the line end every snapshot closes with.
QByteArrayView textOf(QByteArrayView snapshot) {
    return snapshot.endsWith(kEmptySnapshot) ? snapshot.chopped(kEmptySnapshot.size()) : snapshot;
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
    // Md5 of the bytes before `at`; Md5 of the append's last bytes.
    QByteArray before, tail;
    // The snapshot that holds the append's first bytes, by which a torn append is known for
    // the program's own byte for byte as far as it holds them; none when no snapshot does.
    std::optional<Source> source;
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
    // The archive's size when the note was written; none in a note of the version before.
    std::optional<qint64> archiveSize;
    std::optional<PendingAppend> append;
    std::vector<Entry> entries;

    QByteArray encode() const {
        QByteArray text = "serial " + QByteArray::number(serial) + '\n';
        if (archiveSize)
            text += "archive " + QByteArray::number(*archiveSize) + '\n';
        if (append) {
            const Source source = append->source.value_or(Source{});
            text += "append " + QByteArray::number(append->device) + ' ' +
                    QByteArray::number(append->inode) + ' ' + QByteArray::number(append->at) + ' ' +
                    QByteArray::number(append->length) + ' ' + append->before.toHex() + ' ' +
                    append->tail.toHex() + ' ' + QByteArray::number(source.file) + ' ' +
                    QByteArray::number(source.offset) + ' ' + QByteArray::number(source.length) +
                    ' ' + source.fingerprint.toHex() + '\n';
        }
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
            } else if (w.size() == 2 && w[0] == "archive") {
                n.archiveSize = number(w[1]);
            } else if ((w.size() == 8 || w.size() == 11) && w[0] == "append") {
                // Eight words: a note of the version before, which named no snapshot.
                PendingAppend& a = n.append.emplace();
                a.device = unsignedNumber(w[1]);
                a.inode = unsignedNumber(w[2]);
                a.at = number(w[3]);
                a.length = number(w[4]);
                a.before = QByteArray::fromHex(w[5]);
                a.tail = QByteArray::fromHex(w[6]);
                if (w.size() == 11 && number(w[7]) != 0)
                    a.source = Source{int(number(w[7])), number(w[8]), number(w[9]),
                                      QByteArray::fromHex(w[10])};
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

// Whether the archive holds the append the note tells of, whole or torn by a power cut. Torn
// only where every byte from the append's start to the file's end is the program's own: the
// append's bytes as far as they reached the disk, and zeros where the file system had set the
// size before the data came. The append's bytes are read from the snapshot they came from, as
// far as it holds them; beyond that only zeros are known to be the program's. Anything else (a
// line the user added or deleted, a job that trimmed or replaced the archive) is not taken for
// the append, and not cut.
LogArchive::AppendFound LogArchive::findAppend(const PendingAppend& a, QByteArrayView held) {
    const ArchiveFile file = archiveFile();
    if (!file.exists || file.size <= a.at || edgeBefore(a.at) != a.before)
        return AppendFound::NotWhole;
    const qint64 end = a.at + a.length;
    const QByteArray found = readArchive(a.at, std::min(file.size, end) - a.at);
    if (file.size >= end) {
        const bool whole =
            held.size() == a.length
                ? found == held
                : found.startsWith(held) && fingerprintOf(found.right(kEdgeBytes)) == a.tail;
        if (whole)
            return AppendFound::Whole;
        if (file.size > end)
            return AppendFound::NotWhole;
    }
    const bool ownFile = file.device == a.device && file.inode == a.inode;
    if (!ownFile || found.size() != std::min(file.size, end) - a.at)
        return AppendFound::NotWhole;
    for (qsizetype i = 0; i < found.size(); ++i)
        if (found[i] != '\0' && (i >= held.size() || found[i] != held[i]))
            return AppendFound::NotWhole;
    return AppendFound::Torn;
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
    newest_.reset();
    newestBytes_.clear();
    // Made while the disk has room, so that the note can be written once it has none.
    note_.prepare();

    const std::optional<QByteArray> record = note_.read();
    const std::optional<Note> note = record ? Note::decode(*record) : std::nullopt;
    // The archive's size once what the note tells of was done.
    std::optional<qint64> notedSize;
    if (note) {
        serial_ = note->serial;
        notedSize = note->archiveSize;
    }

    std::array<QByteArray, 2> kept;
    std::array<bool, 2> present{}, unknown{};
    for (int k = 0; k < 2; ++k) {
        vbrt::ReadResult read = vbrt::readFile(snapshotPath(k == 1), kSnapshotReadLimit);
        if (!read)
            continue;
        snapshots_[size_t(k)].fingerprint = fingerprintOf(read.bytes);
        snapshots_[size_t(k)].size = read.bytes.size();
        present[size_t(k)] = true;
        largestSnapshot_ = std::max(largestSnapshot_, qint64(read.bytes.size()));
        kept[size_t(k)] = std::move(read.bytes);
    }

    bool appendWhole = true; // with none under way, the entries hold for the archive as it is
    if (note && note->append) {
        const PendingAppend& a = *note->append;
        QByteArrayView held;
        for (int k = 0; k < 2 && a.source; ++k)
            if (present[size_t(k)] && a.source->file == k + 1 &&
                a.source->fingerprint == snapshots_[size_t(k)].fingerprint &&
                a.source->length <= a.length &&
                a.source->offset + a.source->length <= kept[size_t(k)].size())
                held = QByteArrayView(kept[size_t(k)]).sliced(a.source->offset, a.source->length);
        const AppendFound found = findAppend(a, held);
        if (found == AppendFound::Torn)
            vbrt::cutFileTo(archivePath(), a.at);
        appendWhole = found == AppendFound::Whole;
        if (notedSize && appendWhole)
            *notedSize += a.length;
    }
    for (int k = 0; k < 2; ++k) {
        Snapshot& s = snapshots_[size_t(k)];
        const Note::Entry* e =
            note && present[size_t(k)] ? note->find(k + 1, s.fingerprint, s.size) : nullptr;
        unknown[size_t(k)] = present[size_t(k)] && !e;
        if (!e)
            continue;
        s.serial = e->serial;
        s.floor = appendWhole ? e->after : e->before;
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
    // The archive changed after the note was last written: by someone else, or by an append of
    // the program's whose note could not be written, which the note does not know of. What
    // the archive's end holds of the snapshot is archived all the same.
    const bool archiveChanged = notedSize && archiveFile().size != *notedSize;
    if (unknown[size_t(*newest)] || archiveChanged)
        s.floor = std::max(s.floor, archivedByContent(kept[size_t(*newest)]));
    // The older snapshot holds an earlier state of the same log: what it has beyond the
    // archive, the newer one has too.
    snapshots_[size_t(older)].floor = snapshots_[size_t(older)].size;

    const QByteArray rest = kept[size_t(*newest)].mid(s.archivedOf(0));
    if (holdsNoText(rest)) {
        s.floor = s.size;
        writeNote(nullptr, 0, nullptr);
        return std::nullopt;
    }
    const vbrt::WriteResult r =
        archiveWhole(rest, Source{*newest + 1, s.archivedOf(0), rest.size(), s.fingerprint});
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
    // Archived whole, and the snapshot could not be emptied after; or taken by a trim, which
    // takes the log's text without the line end a snapshot closes with.
    if (recent.contains(textOf(snapshot)))
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
    n.archiveSize = archiveFile().size;
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
    newest_ = k;
    newestBytes_ = bytes;
    largestSnapshot_ = std::max(largestSnapshot_, qint64(bytes.size()));
    return r;
}

std::optional<LogArchive::Source> LogArchive::sourceOf(QByteArrayView bytes) const {
    if (!newest_)
        return std::nullopt;
    const Snapshot& s = snapshots_[size_t(*newest_)];
    // The log's oldest text stands there in it, as far as the log has not changed since.
    const qint64 at = s.start ? streamArchived_ - *s.start : -1;
    if (at < 0 || at > newestBytes_.size())
        return std::nullopt;
    const QByteArrayView held = QByteArrayView(newestBytes_).sliced(at);
    const qint64 length =
        std::mismatch(bytes.begin(), bytes.begin() + std::min(bytes.size(), held.size()),
                      held.begin())
            .first -
        bytes.begin();
    if (length == 0)
        return std::nullopt;
    return Source{*newest_ + 1, at, length, s.fingerprint};
}

bool LogArchive::snapshotHolds(QByteArrayView bytes) const {
    const std::optional<Source> source = sourceOf(bytes);
    return source && source->length == bytes.size();
}

void LogArchive::keepRoomAside() {
    reserve_.growTo(reserveFor(largestSnapshot_));
}

vbrt::WriteResult LogArchive::archiveOldest(const QByteArray& bytes) {
    return appendOnce(bytes, Reach::Oldest, sourceOf(bytes));
}

vbrt::WriteResult LogArchive::archiveWhole(const QByteArray& bytes) {
    return archiveWhole(bytes, sourceOf(bytes));
}

// Once the whole log is archived the disk's room goes first to the archive.
vbrt::WriteResult LogArchive::archiveWhole(const QByteArray& bytes,
                                           const std::optional<Source>& source) {
    const vbrt::WriteResult r =
        usingTheReserve(bytes.size(), [&] { return appendOnce(bytes, Reach::Whole, source); });
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

vbrt::WriteResult LogArchive::appendOnce(const QByteArray& bytes, Reach reach,
                                         const std::optional<Source>& source) {
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
                                fingerprintOf(bytes.right(kEdgeBytes)),
                                source,
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
