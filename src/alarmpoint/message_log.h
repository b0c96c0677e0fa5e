#pragma once

#include "alarmpoint/log_archive.h"
#include "ui/edit_commands.h"
#include "vbrt/file_writer.h"

#include <QString>
#include <optional>

class QWidget;

namespace alarmpoint {

class Form4;

// The message log in RichTextBox3: appending, keeping it on the disk (LogArchive), its
// layouts and its Edit menu (mEdit of the window).
//   Timer3  1 s  writes a changed log to record1.txt and record2.txt in turn; a long log
//                waits longer between snapshots, never more than kSnapshotWaitLimit
// Whatever leaves the window goes to the end of recordarchive.txt first: the oldest text once
// the log passes kLogChars, the whole log when a query empties it, when the window closes and
// when the program ends. A program that ended without closing the window (killed, or the power
// gone) leaves its log in the snapshots, and the next opening archives what the archive lacks
// of it before the first snapshot overwrites it.
class MessageLog {
public:
    explicit MessageLog(Form4& form);
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // A window that runs for weeks takes whatever the server sends: past this many characters
    // the oldest go, a quarter of the bound at a time, so that the window's memory, the
    // snapshot's cost every second and the time to answer a click stay what they are at this
    // size (a few tens of milliseconds, a hundred megabytes or so).
    static constexpr int kLogChars = 2'000'000;
    static inline const QString kArchiveFile = LogArchive::kArchiveFile;
    // A snapshot rewrites the whole log: a long one is written once every so many seconds of
    // this many characters, so that a server that talks all day costs the disk at most a few
    // hundred megabytes an hour, and no snapshot is ever more than a minute behind.
    static constexpr int kSnapshotCharsPerSecond = 50'000;
    static constexpr int kSnapshotWaitLimit = 60;
    // While the archive cannot be written the log keeps its text, up to twice its bound, and
    // tries the archive again each time it has grown by this much.
    static constexpr int kArchiveRetryChars = kLogChars / 8;

    bool logZoomed = false; // the log fills the window
    // Which of the two log snapshots is written next: true record2.txt.
    bool recordToggle = true;

    // At the window's opening, before any snapshot: what the snapshots hold of the log of an
    // end that ran no close goes to the archive, or, when the archive cannot take it, back
    // into the log.
    void archiveWhatTheSnapshotsKept();
    void appendToLog(const QString& text);
    // A query's new start: the log is archived and emptied. A log that cannot be archived
    // stays, and says why.
    void emptyLog();
    // Where the log went when the window gave it up.
    enum class Kept { Archived, InSnapshot, Nowhere };
    // The window gives the log up (it closes, or the program ends): to the archive, and out of
    // the window; or, when the archive cannot take it, to a snapshot for the next opening.
    Kept giveUpLog();
    // Before the window closes at the user's wish: true when the log is kept, or when the
    // user, told that it cannot be, still wants to close.
    bool keptOrLetGo();
    // The window is closing: the log to the archive, or a message that it could not go there.
    void archiveOnClose();
    void Timer3_Timer();
    void Form_Resize();
    void RichTextBox3_DblClick();
    void RichTextBox3_MouseDown(int button, int shift, int x, int y);
    void Text1_DblClick();
    void Label2_MouseDown(int button, int shift, int x, int y);
    void mMain_Click(int index);
    void mEdit_Click(int index);
    // A changed input box asks whether to go on.
    void checkModified();

private:
    // The oldest text to recordarchive.txt and out of the window, once the log is past its
    // bound; while the archive refuses it, the text stays up to twice the bound.
    void keepBounded();
    // The oldest quarter of the log and more to the archive and out of the window; false,
    // with the text left in place, when the archive refused it.
    bool archiveOldest();
    // The whole log to the archive and out of the window; nothing when it is empty. It goes
    // to a snapshot first unless the newest holds it already, so that an append of it that a
    // power cut tears is known for the program's own and taken back.
    vbrt::WriteResult archiveWholeLog();
    // The log as it stands, as its snapshots hold it.
    QByteArray logBytes() const;
    // The log's bytes to the snapshot next in turn, or to the other one when that file
    // refuses them; what the files said, in the user's words, when neither took them.
    QString writeSnapshot(const QByteArray& bytes);
    void snapshotWhenDue();
    void tellNoteRefusal();
    // The user changed the log since the program's last change to it.
    void noteUserEdits();
    static QString archivePath();
    // The line that says the archive refused the log, and why.
    static QString archiveRefused(const vbrt::WriteResult& r);
    // A change the program makes to the log. A change of the user's since its last one means
    // that the snapshots no longer follow the log.
    template <class Change> void changeLog(Change change);
    void normalLogLayout(double factor);
    void formatWholeLog();
    void updateEditMenu();
    void sendEditCommand(ui::EditCommand command);
    QWidget* activeTextWidget() const;

    Form4& f_;
    LogArchive archive_;
    // The log as the last snapshot file has it: an unchanged log is not written again.
    std::optional<quint64> snapshotRevision_;
    // Ticks since the last snapshot was written.
    int ticksSinceSnapshot_ = 0;
    // The log after the program's last change to it.
    quint64 ownRevision_ = 0;
    // A snapshot could not be written, and the log says so.
    bool snapshotRefusalTold_ = false;
    // The note beside the archive could not be written, and the log says so.
    bool noteRefusalTold_ = false;
    // The size of the log when the archive last refused its oldest text, and why.
    std::optional<int> archiveRefusedAt_;
    vbrt::WriteResult archiveRefusal_;
    // Why the archive refused the log the window last gave up.
    vbrt::WriteResult giveUpRefusal_;
};

} // namespace alarmpoint
