#include "shell/form1.h"

#include "alarmpoint/form4.h"
#include "alarmpoint/message_log.h"
#include "app/module1.h"
#include "app/program.h"
#include "app/records.h"
#include "shell/calculator.h"
#include "shell/form2.h"
#include "shell/form3.h"
#include "shell/forms.h"
#include "shell/video_player.h"
#include "ui/clock.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"
#include "vbrt/datetime.h"
#include "vbrt/file_reader.h"
#include "vbrt/file_writer.h"

#include <QDir>

namespace shell {

using vbrt::RGB;

namespace {
constexpr vbrt::Colour kLauncherColour = RGB(232, 227, 174);
constexpr vbrt::Colour kPanelColour = RGB(158, 239, 158);

// A start in a folder where the program already runs: that copy writes the records there.
const QString kAlreadyRunningHere = QStringLiteral("Tessal Arvendel 已经在这个文件夹中运行：\r\n");
const QString kThisStartEnds = QStringLiteral("\r\n\r\n同一个文件夹里的记录只能由一份程序来写。\r\n"
                                              "这次启动将退出，已在运行的那一份不受影响。");
} // namespace

struct Form1::Subsystems {
    explicit Subsystems(Form1& f) : calculator(f), video(f) {}

    Calculator calculator;
    VideoPlayer video;
};

Form1::Form1()
    : subsystems_(std::make_unique<Subsystems>(*this)), calculator(subsystems_->calculator),
      video(subsystems_->video) {
    Command8.onClick = [this] { Command8_Click(); };
    Command9.onClick = [this] { Command9_Click(); };
    Command10.onClick = [this] { Command10_Click(); };
    Command11.onClick = [this] { Command11_Click(); };
    Command12.onClick = [this] { Command12_Click(); };
    Command13.onClick = [this] { Command13_Click(); };
    Image1.onClick = [this] { Image1_Click(); };

    Command3.wire(
        [this](ui::CommandButton& b, int i) { b.onClick = [this, i] { Command3_Click(i); }; });
    Command4.wire(
        [this](ui::CommandButton& b, int i) { b.onClick = [this, i] { Command4_Click(i); }; });
    Command5.onClick = [this] { Command5_Click(); };
    Command6.wire(
        [this](ui::CommandButton& b, int i) { b.onClick = [this, i] { Command6_Click(i); }; });
    Command7.onClick = [this] { Command7_Click(); };
    Label1.wire([this](ui::Label& l, int i) { l.onClick = [this, i] { Label1_Click(i); }; });
    VScroll1.wire(
        [this](ui::VScrollBar& v, int i) { v.onChange = [this, i] { VScroll1_Change(i); }; });
    Timer1.onTimer = [this] { Timer1_Timer(); };
}

Form1::~Form1() = default;

void Form1::Form_Load() {
    // Before anything in the folder changes: the copy already running there keeps its files.
    if (!vbrt::claimAppFolder()) {
        ui::MsgBox(kAlreadyRunningHere + QDir::toNativeSeparators(vbrt::appPath()) + kThisStartEnds,
                   ui::vbOKOnly | ui::vbExclamation);
        app::End();
        return;
    }
    app::Module1& m = app::module1();

    Command15.setVisible(false);
    Command2.setVisible(false);
    Command5.setVisible(false);
    Command3(0).setVisible(false);
    Command3(1).setVisible(false);
    Command7.setVisible(false);

    HScroll1.setVisible(false);
    Timer3.setEnabled(false);

    m.quitConfirmed = false;
    app::leaveSimulation(m.drawingMode);

    // A run killed while it replaced a file left the new copy beside it.
    vbrt::removeLeftoverTemporaries(vbrt::appPath());
    rotate(vbrt::appFile(QStringLiteral("\\tree.txt")),
           vbrt::appFile(QStringLiteral("\\treebackup.txt")));
    rotate(vbrt::appFile(QStringLiteral("\\treego.txt")),
           vbrt::appFile(QStringLiteral("\\treegobackup.txt")));

    // A missing or unreadable picture leaves the picture empty.
    Image1.setPicture(startUpPicture(QStringLiteral("\\22.bmp")));
    // The run log says what start-up left alone. Its own failure has nobody to tell: no
    // window is up yet.
    const QString now = vbrt::dateTimeText(ui::Clock::instance().now());
    for (const QString& note : std::exchange(startUpNotes_, {}))
        vbrt::appendToFile(vbrt::appFile(QStringLiteral("\\tree.txt")),
                           (now + vbrt::kCrLf + note + vbrt::kCrLf).toUtf8());

    calculator.penColor = Calculator::kStartPen;

    for (ui::CommandButton* b : {&Command1, &Command8, &Command9, &Command10, &Command11,
                                 &Command12, &Command13, &Command14, &Command6(1)})
        b->setBackColor(kLauncherColour);
    for (ui::CommandButton* b :
         {&Command2, &Command3(0), &Command3(1), &Command5, &Command7, &Command15})
        b->setBackColor(kToolColour);
    Command6(0).setBackColor(RGB(146, 197, 198));
    setBackColor(kToolColour);

    for (int i = 0; i <= 17; ++i)
        Label1(i).setBackColor(kToolColour);
    for (int i = 0; i <= 17; ++i) {
        Text1(i).setBackColor(kPanelColour);
        Text1(i).setFontSize(20);
    }

    Label1(13).setVisible(true);
    Label1(14).setVisible(false);

    WindowsMediaPlayer1.setVisible(false);
    WindowsMediaPlayer1.setWidth(Picture1.Width());
    WindowsMediaPlayer1.setHeight(Picture1.Height());
    WindowsMediaPlayer1.setLeft(Picture1.Left());
    WindowsMediaPlayer1.setTop(Picture1.Top());

    HScroll1.setLeft(WindowsMediaPlayer1.Left());
    HScroll1.setTop(WindowsMediaPlayer1.Top() + WindowsMediaPlayer1.Height() + 30);
    HScroll1.setWidth(WindowsMediaPlayer1.Width());
}

void Form1::rotate(const QString& source, const QString& backup) {
    // The source is emptied only once its text is safely in the backup, and its text goes
    // there only when the source can be emptied afterwards: a source that cannot be written
    // is left alone rather than appended again at every start.
    const auto leftAlone = [&](const QString& why) {
        startUpNotes_ << source + QStringLiteral(" 没有移入 ") + backup + QStringLiteral("：") +
                             why;
    };
    const vbrt::ReadResult kept = vbrt::readFile(source, app::kMaxRecordFileBytes);
    if (!kept && kept.kind != vbrt::ReadError::Missing)
        return leftAlone(kept.error);
    vbrt::ReplaceFile emptied(source);
    if (const vbrt::WriteResult opened = emptied.open(); !opened)
        return leftAlone(opened.error);
    QByteArray text = kept.bytes;
    if (!text.isEmpty())
        text.append("\r\n");
    if (const vbrt::WriteResult appended = vbrt::appendToFile(backup, text); !appended)
        return leftAlone(appended.error);
    if (const vbrt::WriteResult committed = emptied.commit(); !committed)
        leftAlone(committed.error);
}

Form1::QuitAnswer Form1::quitQuestion() {
    app::Module1& m = app::module1();
    if (exitWithoutAsking) {
        // Ends at once: no window's unload handler runs.
        app::End();
        return QuitAnswer::EndNow;
    }
    if (m.quitConfirmed)
        return QuitAnswer::Confirmed;
    // Asked once: a second close (or the re-entry of a close handler while the windows go
    // down) asks nothing.
    m.quitConfirmed = true;
    return ui::MsgBox(QStringLiteral("是否退出Tessal Arvendel？"), ui::vbYesNo,
                      QStringLiteral("Tessal Arvendel")) == ui::vbNo
               ? QuitAnswer::Stay
               : QuitAnswer::Yes;
}

void Form1::Form_QueryUnload(int& cancel, int unloadMode) {
    if (unloadMode == ui::FromWindowsShutdown)
        return;
    switch (quitQuestion()) {
    case QuitAnswer::EndNow:
    case QuitAnswer::Stay:
        cancel = 1;
        return;
    case QuitAnswer::Yes:
        if (!alarmPointLogLetGo()) {
            cancel = 1;
            return;
        }
        unload();
        shell::form2().unload();
        shell::form3().unload();
        shell::form4().unload();
        return;
    case QuitAnswer::Confirmed:
        if (!alarmPointLogLetGo())
            cancel = 1;
        return;
    }
}

bool Form1::alarmPointLogLetGo() {
    return !shell::form4().isLoaded() || shell::form4().log.keptOrLetGo();
}

void Form1::Form_Unload(int&) {
    // The alarm point's log first: the windows' closes may wait, and an end that the desktop
    // asked for may not wait for them.
    if (shell::form4().isLoaded())
        shell::form4().keepLogBeforeTheEnd();
    shell::form2().unload();
    shell::form3().unload();
    shell::form4().unload();
    unload();
    app::End();
}

void Form1::endSession() {
    if (requestClose(ui::FromWindowsShutdown))
        return;
    // The main window is closing already (its question on screen, or the other windows going
    // down after it): the rest of the way is the same.
    int cancel = 0;
    Form_Unload(cancel);
}

void Form1::Form_Click() {
    Picture1.setBackColor(kToolColour);
    Picture1.setAutoRedraw(false);
}

} // namespace shell
