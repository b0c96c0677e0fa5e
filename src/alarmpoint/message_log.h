#pragma once

#include "ui/edit_commands.h"
#include "vbrt/file_writer.h"

#include <QString>
#include <optional>

class QWidget;

namespace alarmpoint {

class Form4;

// The message log in RichTextBox3: appending, the snapshot files, its layouts and its Edit
// menu (mEdit of the window).
//   Timer3  1 s  writes a changed log to record1.txt and record2.txt in turn; a long log
//                waits longer between snapshots, never more than kSnapshotWaitLimit
// Whatever leaves the window goes to the end of recordarchive.txt first: the oldest text once
// the log passes kLogChars, the whole log when a query empties it, when the window closes and
// when the program ends. Each time, both snapshots are written anew with what stays, so they
// never hold text the archive has: recordarchive.txt followed by the newer snapshot holds
// everything the window showed, in order, once. A program that ended without closing the
// window (killed, or the power gone) leaves its log in the snapshots, and the next opening
// archives it before the first snapshot overwrites it.
class MessageLog {
public:
    explicit MessageLog(Form4& form);
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // A window that runs for weeks takes whatever the server sends: past this many characters
    // the oldest go, a quarter of the bound at a time, so that the window's memory, the
    // snapshot's cost every second and the time to answer a click stay what they are at this
    // size (a few tens of milliseconds, a hundred megabytes or so).
    static constexpr int kLogChars = 2'000'000;
    static inline const QString kArchiveFile = QStringLiteral("recordarchive.txt");
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
    // The whole log to the archive, as its snapshot has it; nothing when it is empty or was
    // archived as it is.
    vbrt::WriteResult archiveWholeLog();
    // The window gives the log up (it closes, or the program ends): to the archive, or, when
    // the archive cannot take it, to both snapshots for the next opening.
    vbrt::WriteResult giveUpLog();
    vbrt::WriteResult archive(QByteArrayView bytes);
    static QString archivePath();
    // record2.txt when `second`, else record1.txt.
    static QString snapshotPath(bool second);
    // Both snapshots hold `bytes` (the log as it stands, when none are given).
    void writeBothSnapshots(std::optional<QByteArray> bytes = std::nullopt);
    void normalLogLayout(double factor);
    void formatWholeLog();
    void updateEditMenu();
    void sendEditCommand(ui::EditCommand command);
    QWidget* activeTextWidget() const;

    Form4& f_;
    // The log as the last snapshot file has it: an unchanged log is not written again.
    std::optional<quint64> snapshotRevision_;
    // Ticks since the last snapshot was written.
    int ticksSinceSnapshot_ = 0;
    // The log as the archive last took it whole.
    std::optional<quint64> archivedRevision_;
    // The size of the log when the archive last refused its oldest text, and why.
    std::optional<int> archiveRefusedAt_;
    vbrt::WriteResult archiveRefusal_;
};

} // namespace alarmpoint
