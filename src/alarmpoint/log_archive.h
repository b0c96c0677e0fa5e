#pragma once

#include "vbrt/file_writer.h"
#include "vbrt/room_reserve.h"
#include "vbrt/small_record.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace alarmpoint {

// Where the message log lies on the disk: recordarchive.txt, to whose end goes whatever leaves
// the window, and the two snapshots record1.txt and record2.txt of the log as it stands.
//
// Nothing is archived twice, however the program ends, and nothing of the user's is taken
// from the archive. A note beside it (recordarchive.mark) is written before each append and
// each snapshot, and after each append: it numbers the snapshots in the order they were
// written, says by what each holds how many of its leading bytes the archive has, and, while
// an append is under way, where it begins, the bytes before that place, the file it goes to
// and the snapshot that holds its bytes; and the archive's size. The next opening takes back
// only an append whose every byte on the disk is shown to be its own (torn by a power cut, or
// zeros where the file system set the size before the data came), and archives what the
// newest snapshot holds beyond what the archive has: after a close, a kill or a power cut at
// any moment, a trim that left the snapshots as they were, or snapshots that cannot be
// emptied. A snapshot the note does not know (it could not be written, or a program before it
// wrote none) is newer than those it knows, and what the archive has of it is read off the
// archive's end; so it is of the newest when the archive changed after the note was last
// written, since the note may then have missed an append it could not tell of.
//
// The log is written on a full disk too: room set aside beside the archive while the disk had
// it (recordarchive.reserve, twice the largest snapshot) is given up, as much as a snapshot or
// the archive of the whole log needs, when it cannot otherwise be written, and taken again, as
// far as the disk allows, at every tick while it is short.
//
// The bytes are the log's text in the code page of the snapshots, the oldest text first: the
// snapshot of the log follows the bytes the archive took from its front, so the first byte of
// a snapshot stands at a known place of that stream until the user edits the log.
class LogArchive {
public:
    static inline const QString kArchiveFile = QStringLiteral("recordarchive.txt");
    // Room set aside beyond the largest snapshot, and for snapshots of the smallest logs.
    static constexpr qint64 kLeastReserve = 64 * 1024;

    LogArchive();

    static QString archivePath();
    // record2.txt when `second`, else record1.txt.
    static QString snapshotPath(bool second);
    static QString notePath();

    // What the snapshots hold that the archive could not take.
    struct Unarchived {
        QByteArray bytes;
        vbrt::WriteResult refusal;
    };
    // At the window's opening, before any snapshot: what the newest snapshot holds beyond what
    // the archive has goes to the archive. When the archive refuses it, it is given back to
    // be put in the log; `keptTextIsInTheLogFrom` then says where it went.
    std::optional<Unarchived> archiveWhatTheSnapshotsKept();
    // The text given back by archiveWhatTheSnapshotsKept now stands in the log from its byte
    // `at` on.
    void keptTextIsInTheLogFrom(qint64 at);

    // The log as it stands to one snapshot file.
    vbrt::WriteResult writeSnapshot(bool second, const QByteArray& bytes);
    // Sets room aside for the largest snapshot yet, as far as the disk has it.
    void keepRoomAside();
    // The oldest text of the log to the archive; the log lets it go once this succeeds.
    vbrt::WriteResult archiveOldest(const QByteArray& bytes);
    // The whole log to the archive (a query, a close, the end): once this succeeds, all the
    // snapshots hold is archived, and they are emptied as far as they can be.
    vbrt::WriteResult archiveWhole(const QByteArray& bytes);
    // Whether the newest snapshot holds all these bytes where the log's oldest text stands in
    // it. An append is known for the program's own byte for byte as far as a snapshot holds
    // it: a torn append of the whole log is taken back only where one holds all of it.
    bool snapshotHolds(QByteArrayView bytes) const;
    // The user changed the log's text: where the snapshots' bytes stand in it is no longer
    // known, and the archive's later appends count for them no more.
    void logEditedByUser();
    // Why the note could not be written the last time; empty when it was.
    const vbrt::WriteResult& noteRefusal() const { return noteRefusal_; }

private:
    struct Snapshot {
        // Its place in the order snapshots are written; 0 when there is none.
        quint64 serial = 0;
        // Md5 of what the file holds.
        QByteArray fingerprint;
        qint64 size = 0;
        // Leading bytes that the archive has, whatever the log does.
        qint64 floor = 0;
        // Where its first byte stands in the stream of bytes the archive took from the front
        // of the log; none once that is unknown.
        std::optional<qint64> start;

        qint64 archivedOf(qint64 streamArchived) const;
    };
    struct Note;
    // Where a snapshot holds an append's first bytes: its file (1: record1.txt, 2:
    // record2.txt), where they begin in it, how many it holds, and what the whole file holds.
    struct Source {
        int file = 0;
        qint64 offset = 0, length = 0;
        QByteArray fingerprint;
    };
    struct PendingAppend;
    enum class Reach { Oldest, Whole };
    enum class AppendFound { Whole, Torn, NotWhole };

    // Whether the archive holds the append under way that the note tells of; `held` is its
    // first bytes as the snapshot it came from holds them.
    static AppendFound findAppend(const PendingAppend& append, QByteArrayView held);
    std::optional<Source> sourceOf(QByteArrayView bytes) const;

    vbrt::WriteResult archiveWhole(const QByteArray& bytes, const std::optional<Source>& source);
    vbrt::WriteResult appendOnce(const QByteArray& bytes, Reach reach,
                                 const std::optional<Source>& source);
    // A write that a full disk refused is tried again with the room it needs from the
    // reserve, and then with all the reserve has.
    template <class Write> vbrt::WriteResult usingTheReserve(qint64 bytes, Write write);
    void emptySnapshots();
    // What the archive has of a snapshot the note does not know, read off the archive's end.
    static qint64 archivedByContent(const QByteArray& snapshot);
    // The note of what the archive and the snapshots hold now, with what is under way.
    void writeNote(const PendingAppend* append, int pendingFile, const Snapshot* pending);

    vbrt::SmallRecord note_;
    vbrt::RoomReserve reserve_;
    std::array<Snapshot, 2> snapshots_; // record1.txt, record2.txt
    // The serial of the newest snapshot written or begun, over every session.
    quint64 serial_ = 0;
    // The bytes the archive took from the front of the log this session.
    qint64 streamArchived_ = 0;
    qint64 largestSnapshot_ = 0;
    // The snapshot written last this session, and what it holds.
    std::optional<int> newest_;
    QByteArray newestBytes_;
    // The snapshot whose text was given back at the opening, and its leading bytes archived.
    std::optional<int> givenBack_;
    vbrt::WriteResult noteRefusal_;
};

} // namespace alarmpoint
