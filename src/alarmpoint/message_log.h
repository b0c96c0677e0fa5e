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
class MessageLog {
public:
    explicit MessageLog(Form4& form);
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    bool logZoomed = false; // the log fills the window

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
    void normalLogLayout(double factor);
    void formatWholeLog();
    void updateEditMenu();
    void sendEditCommand(ui::EditCommand command);
    QWidget* activeTextWidget() const;

    Form4& f_;
    // The log text last written to a snapshot file: an unchanged log is not written again.
    std::optional<QString> lastSnapshot_;
};

} // namespace alarmpoint
