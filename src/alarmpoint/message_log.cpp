// The message log: appending, the snapshot files, its layouts and its Edit menu.

#include "alarmpoint/message_log.h"

#include "alarmpoint/form4.h"
#include "app/module1.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"
#include "vbrt/file_writer.h"

#include <QApplication>

namespace alarmpoint {

namespace {
// The size every character of the log takes after a change of layout, in points.
constexpr double kLayoutFontSize = 15;
const QString kModified = QStringLiteral("Text has been modified\rContinue?");
const QString kNotArchived = QStringLiteral("告警记录没有存档，");
const QString kNoSnapshot = QStringLiteral("告警记录的快照没有保存，");
const QString kNoNote = QStringLiteral("告警记录的存档标记没有保存，");
const QString kWouldBeLost =
    QStringLiteral("告警记录既不能存档，也不能写入快照，关闭后就会丢失。\r\n");
const QString kCloseAnyway = QStringLiteral("\r\n\r\n是否仍然关闭？");

using vbrt::kCrLf;

int twips(double x) {
    return vbrt::CLng(x);
}
} // namespace

MessageLog::MessageLog(Form4& form) : f_(form) {
    f_.Timer(3).onTimer = [this] { Timer3_Timer(); };
    f_.Text1.onDblClick = [this] { Text1_DblClick(); };
    f_.RichTextBox3.onDblClick = [this] { RichTextBox3_DblClick(); };
    f_.RichTextBox3.onMouseDown = [this](int b, int s, int x, int y) {
        RichTextBox3_MouseDown(b, s, x, y);
    };
    f_.Label2.onMouseDown = [this](int b, int s, int x, int y) { Label2_MouseDown(b, s, x, y); };
}

void MessageLog::noteUserEdits() {
    if (f_.RichTextBox3.Revision() != ownRevision_)
        archive_.logEditedByUser();
}

template <class Change> void MessageLog::changeLog(Change change) {
    ui::RichTextBox& box = f_.RichTextBox3;
    noteUserEdits();
    change(box);
    ownRevision_ = box.Revision();
}

void MessageLog::appendToLog(const QString& text) {
    changeLog([&](ui::RichTextBox& box) { box.appendText(text); });
    keepBounded();
}

QString MessageLog::archivePath() {
    return LogArchive::archivePath();
}

QString MessageLog::archiveRefused(const vbrt::WriteResult& r) {
    return kNotArchived + vbrt::writeFailedMessage(archivePath(), r);
}

void MessageLog::archiveWhatTheSnapshotsKept() {
    ownRevision_ = f_.RichTextBox3.Revision();
    snapshotRefusalTold_ = false;
    noteRefusalTold_ = false;
    const std::optional<LogArchive::Unarchived> kept = archive_.archiveWhatTheSnapshotsKept();
    if (!kept)
        return tellNoteRefusal();
    // Kept in the log, and so in its snapshots, until the archive takes it.
    QString text = vbrt::fromAnsi(kept->bytes);
    if (text.endsWith(kCrLf))
        text.chop(kCrLf.size());
    changeLog([&](ui::RichTextBox& box) {
        const qint64 at = vbrt::toAnsi(box.Text()).size();
        box.appendText(text + kCrLf + archiveRefused(kept->refusal) + kCrLf);
        archive_.keptTextIsInTheLogFrom(at);
    });
    keepBounded();
    tellNoteRefusal();
}

void MessageLog::keepBounded() {
    ui::RichTextBox& box = f_.RichTextBox3;
    if (box.characterCount() <= kLogChars) {
        archiveRefusedAt_.reset();
        return;
    }
    const bool tryArchive =
        !archiveRefusedAt_ || box.characterCount() >= *archiveRefusedAt_ + kArchiveRetryChars;
    if (tryArchive && archiveOldest())
        return;
    if (box.characterCount() <= 2 * kLogChars)
        return;
    // The archive may take it again since it was last asked: asked once more before any drop.
    if (!tryArchive && archiveOldest())
        return;
    // Past twice the bound the oldest text goes unarchived, and a line says how much. The
    // snapshots no longer follow the log from the archive's end.
    archive_.logEditedByUser();
    changeLog([&](ui::RichTextBox& box) {
        const QString lost = box.takeFirst(box.characterCount() - 2 * kLogChars + kLogChars / 4);
        box.appendText(kCrLf + QStringLiteral("%1 个字符的较早记录移出了窗口，").arg(lost.size()) +
                       vbrt::writeFailedMessage(archivePath(), archiveRefusal_) + kCrLf);
    });
    archiveRefusedAt_ = box.characterCount();
}

bool MessageLog::archiveOldest() {
    ui::RichTextBox& box = f_.RichTextBox3;
    const int excess = box.characterCount() - kLogChars * 3 / 4;
    archiveRefusal_ = archive_.archiveOldest(vbrt::toAnsi(box.firstText(excess)));
    if (archiveRefusal_) {
        changeLog([&](ui::RichTextBox& box) { box.dropFirst(excess); });
        archiveRefusedAt_.reset();
        return true;
    }
    // Said once, when the archive starts refusing.
    if (!archiveRefusedAt_)
        changeLog([&](ui::RichTextBox& box) {
            box.appendText(kCrLf + archiveRefused(archiveRefusal_) + kCrLf);
        });
    archiveRefusedAt_ = box.characterCount();
    return false;
}

vbrt::WriteResult MessageLog::archiveWholeLog() {
    ui::RichTextBox& box = f_.RichTextBox3;
    if (box.TextLength() == 0)
        return {};
    const QByteArray whole = logBytes();
    if (!archive_.snapshotHolds(whole))
        writeSnapshot(whole);
    const vbrt::WriteResult r = archive_.archiveWhole(whole);
    if (r)
        changeLog([](ui::RichTextBox& box) { box.setText(QString()); });
    return r;
}

QByteArray MessageLog::logBytes() const {
    // In the code page the user's other tools read.
    return vbrt::toAnsi(f_.RichTextBox3.Text() + kCrLf);
}

QString MessageLog::writeSnapshot(const QByteArray& bytes) {
    ui::RichTextBox& box = f_.RichTextBox3;
    noteUserEdits();
    ownRevision_ = box.Revision();
    QStringList refusals;
    for (const bool second : {recordToggle, !recordToggle}) {
        if (const vbrt::WriteResult r = archive_.writeSnapshot(second, bytes); !r) {
            refusals << vbrt::writeFailedMessage(LogArchive::snapshotPath(second), r);
            continue;
        }
        snapshotRevision_ = box.Revision();
        ticksSinceSnapshot_ = 0;
        recordToggle = !second;
        return {};
    }
    return refusals.join(QStringLiteral("；"));
}

MessageLog::Kept MessageLog::giveUpLog() {
    giveUpRefusal_ = archiveWholeLog();
    if (giveUpRefusal_)
        return Kept::Archived;
    return writeSnapshot(logBytes()).isEmpty() ? Kept::InSnapshot : Kept::Nowhere;
}

void MessageLog::emptyLog() {
    if (const vbrt::WriteResult r = archiveWholeLog(); !r)
        changeLog([&](ui::RichTextBox& box) { box.appendText(kCrLf + archiveRefused(r) + kCrLf); });
}

bool MessageLog::keptOrLetGo() {
    if (giveUpLog() != Kept::Nowhere)
        return true;
    return ui::MsgBox(kWouldBeLost + vbrt::writeFailedMessage(archivePath(), giveUpRefusal_) +
                          kCloseAnyway,
                      ui::vbYesNo | ui::vbExclamation) == ui::vbYes;
}

void MessageLog::archiveOnClose() {
    // The log waits in a snapshot for the next opening; the user hears why.
    if (giveUpLog() == Kept::InSnapshot)
        ui::MsgBox(archiveRefused(giveUpRefusal_), ui::vbOKOnly);
}

void MessageLog::Timer3_Timer() {
    snapshotWhenDue();
    // At every tick, whether a snapshot was written or not: what the disk frees, another
    // program may take.
    archive_.keepRoomAside();
    tellNoteRefusal();
}

// A log of a few thousand characters is written a second after it changed; a long one waits
// a second for every kSnapshotCharsPerSecond characters, written or not: a disk that stays
// full costs no more than one that takes every snapshot. A snapshot that cannot be written is
// said once in the log, until one is written again.
void MessageLog::snapshotWhenDue() {
    ui::RichTextBox& box = f_.RichTextBox3;
    ++ticksSinceSnapshot_;
    if (snapshotRevision_ == box.Revision())
        return;
    const int wait =
        std::clamp(box.characterCount() / kSnapshotCharsPerSecond, 1, kSnapshotWaitLimit);
    if (ticksSinceSnapshot_ < wait)
        return;
    ticksSinceSnapshot_ = 0;
    if (const QString refused = writeSnapshot(logBytes()); !refused.isEmpty()) {
        if (snapshotRefusalTold_)
            return;
        snapshotRefusalTold_ = true;
        appendToLog(kCrLf + kNoSnapshot + refused + kCrLf);
        return;
    }
    snapshotRefusalTold_ = false;
}

// Without the note the next opening reads off the archive's end what it has of the
// snapshots, which a log that says the same again can mislead: the user hears of it once,
// until the note is written again.
void MessageLog::tellNoteRefusal() {
    const vbrt::WriteResult& r = archive_.noteRefusal();
    if (r) {
        noteRefusalTold_ = false;
        return;
    }
    if (noteRefusalTold_)
        return;
    noteRefusalTold_ = true;
    appendToLog(kCrLf + kNoNote + vbrt::writeFailedMessage(LogArchive::notePath(), r) + kCrLf);
}

void MessageLog::Form_Resize() {
    const double h = f_.Height();
    f_.Label2.setLeft(100);
    f_.RichTextBox3.setWidth(twips(f_.Text1.Width() * 1.5));
    f_.RichTextBox3.setHeight(twips(h * 0.5));
    f_.RichTextBox3.setTop(twips(h - h * 5.5 / 8 + 100));
    f_.Label3.setTop(twips(h - h * 1.4 / 8));
}

// The user's selection is put back afterwards: a right click must not offer to cut the whole
// log because its layout changed.
void MessageLog::formatWholeLog() {
    changeLog([](ui::RichTextBox& box) {
        const int start = box.SelStart(), length = box.SelLength();
        box.setSelStart(0);
        box.setSelLength(box.TextLength());
        box.setSelFontSize(kLayoutFontSize);
        box.setSelStart(start);
        box.setSelLength(length);
    });
}

void MessageLog::normalLogLayout(double factor) {
    ui::RichTextBox& box = f_.RichTextBox3;
    box.setLeft(twips(f_.Text1.Left() + 0.15 * f_.Text1.Width()));
    box.setWidth(twips(f_.Text1.Width() * factor));
    box.setTop(twips(f_.Command1.Top() + 1.15 * f_.Command1.Height()));
    box.setHeight(std::max(0, f_.Height() - box.Top() - f_.Text1.Height()));
}

void MessageLog::RichTextBox3_DblClick() {
    f_.Label3.setVisible(false);
    if (!logZoomed) {
        logZoomed = true;
        ui::showControls(
            {&f_.Text1, &f_.Command2, &f_.Command3, &f_.Command1, &f_.Command4, &f_.Command5},
            false);
        formatWholeLog();
        const double w = f_.Width(), h = f_.Height();
        f_.RichTextBox3.Move(twips(w * 0.01), twips(h * 0.01), twips(w * 0.98), twips(h * 0.9));
        return;
    }
    logZoomed = false;
    ui::showControls({&f_.Text1, &f_.Command2, &f_.Command3}, true);
    ui::showControls({&f_.Command1, &f_.Command4, &f_.Command5}, app::module1().remoteCollabOn);
    formatWholeLog();
    normalLogLayout(1.5);
}

void MessageLog::Text1_DblClick() {
    f_.Text1.setText(QString());
    f_.Text1.setLocked(false);
    f_.Timer(1).setEnabled(false);
    f_.Label2.Move(1560, 5160);
    formatWholeLog();
    normalLogLayout(1.6);
}

void MessageLog::Label2_MouseDown(int button, int, int, int) {
    if (button == 1 || button == 4)
        f_.Label2.Move(0, f_.Label2.Top() - 2400);
    if (button == 2)
        f_.Label2.Move(0, f_.Label2.Top() + 2400);
}

// ---- Edit menu

void MessageLog::RichTextBox3_MouseDown(int button, int, int, int) {
    if (button != 2)
        return;
    mMain_Click(1);
    std::vector<ui::MenuItem> items(f_.mEdit.begin(), f_.mEdit.end());
    if (const std::optional<int> chosen = ui::dialogs().popupMenu(items))
        mEdit_Click(*chosen);
}

void MessageLog::mMain_Click(int index) {
    if (index == 1)
        updateEditMenu();
}

QWidget* MessageLog::activeTextWidget() const {
    QWidget* w = f_.window() ? f_.window()->focusWidget() : nullptr;
    return ui::isTextWidget(w) ? w : nullptr;
}

void MessageLog::updateEditMenu() {
    QWidget* w = activeTextWidget();
    const bool selection = w && ui::selectionLength(w) != 0;
    f_.mEdit[0].enabled = w && ui::canUndo(w);
    f_.mEdit[2].enabled = selection;
    f_.mEdit[3].enabled = selection;
    f_.mEdit[4].enabled = w && ui::clipboardHasText();
    f_.mEdit[5].enabled = selection;
}

void MessageLog::mEdit_Click(int index) {
    switch (index) {
    case 0:
        return sendEditCommand(ui::EditCommand::Undo);
    case 2:
        return sendEditCommand(ui::EditCommand::Cut);
    case 3:
        return sendEditCommand(ui::EditCommand::Copy);
    case 4:
        return sendEditCommand(ui::EditCommand::Paste);
    case 5:
        return sendEditCommand(ui::EditCommand::Clear);
    default:
        return;
    }
}

void MessageLog::sendEditCommand(ui::EditCommand command) {
    if (QWidget* w = activeTextWidget())
        ui::sendEditCommand(w, command);
    else
        QApplication::beep();
}

void MessageLog::checkModified() {
    if (f_.Text1.Modified())
        ui::MsgBox(kModified, ui::vbYesNo, QStringLiteral("Warning"));
}

} // namespace alarmpoint
