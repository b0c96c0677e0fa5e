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
// Nothing is archived twice, however the program ends. Before each append a note beside the
// archive (recordarchive.mark) says what the append is and how many of the leading bytes of
// each snapshot the archive holds once it is whole, and as many before it. The next opening
// finds out from the archive whether the append is whole, and archives what the newest
// snapshot holds beyond that: after a close, a kill or a power cut at any moment, a trim that
// left the snapshots as they were, or snapshots that cannot be emptied.
//
// The log is written on a full disk too: room set aside beside the archive while the disk had
// it (recordarchive.reserve, twice the largest snapshot) is given up when a snapshot or the
// archive of the whole log cannot otherwise be written, and set aside again, as far as the
// disk allows, after each snapshot.
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

    // What the snapshots hold that the archive could not take.
    struct Unarchived {
        QByteArray bytes;
        vbrt::WriteResult refusal;
    };
    // At the window's opening, before any snapshot: what the newest snapshot holds beyond what
    // the archive has goes to the archive. When the archive refuses it, it is given back to
    // be put in the log; `keptIn` then says where it went.
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
    // The user changed the log's text: where the snapshots' bytes stand in it is no longer
    // known, and the archive's later appends count for them no more.
    void logEditedByUser();

private:
    struct Snapshot {
        // Md5 of what the file holds; empty when it holds nothing known.
        QByteArray fingerprint;
        qint64 size = 0;
        // Leading bytes that the archive has, whatever the log does.
        qint64 floor = 0;
        // Where its first byte stands in the stream of bytes the archive took from the front
        // of the log; none once that is unknown.
        std::optional<qint64> start;

        qint64 archivedOf(qint64 streamArchived) const;
    };
    enum class Reach { Oldest, Whole };

    vbrt::WriteResult append(const QByteArray& bytes, Reach reach);
    vbrt::WriteResult appendOnce(const QByteArray& bytes, Reach reach);
    void emptySnapshots();

    vbrt::SmallRecord mark_;
    vbrt::RoomReserve reserve_;
    std::array<Snapshot, 2> snapshots_; // record1.txt, record2.txt
    // The bytes the archive took from the front of the log this session.
    qint64 streamArchived_ = 0;
    qint64 largestSnapshot_ = 0;
    // The snapshot whose text was given back at the opening, and its leading bytes archived.
    std::optional<int> givenBack_;
};

} // namespace alarmpoint
