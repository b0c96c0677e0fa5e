#pragma once

#include "ui/edit_commands.h"

#include <QString>
#include <optional>

class QWidget;

namespace alarmpoint {

class Form4;

// The message log in RichTextBox3: appending, the snapshot files, its layouts and its Edit
// menu (mEdit of the window).
//   Timer3  1 s  writes a changed log to record1.txt and record2.txt in turn
// The window keeps the newest kLogChars characters or so; older text goes to the end of
// recordarchive.txt before it leaves the window and its snapshots.
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
    static inline const QString kArchiveFile = QStringLiteral("recordarchive.txt");

    bool logZoomed = false; // the log fills the window
    // Which of the two log snapshots is written next: true record2.txt.
    bool recordToggle = true;

    void appendToLog(const QString& text);
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
    // bound.
    void keepBounded();
    void normalLogLayout(double factor);
    void formatWholeLog();
    void updateEditMenu();
    void sendEditCommand(ui::EditCommand command);
    QWidget* activeTextWidget() const;

    Form4& f_;
    // The log as the last snapshot file has it: an unchanged log is not written again.
    std::optional<quint64> snapshotRevision_;
};

} // namespace alarmpoint
