#pragma once

#include "platform/tcp_socket.h"
#include "ui/control_array.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/rich_text_box.h"
#include "ui/timer.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <memory>

namespace alarmpoint {

class Download;
class Link;
class MessageLog;
class Upload;
class Watchdog;

// The remote alarm point: a client of the alarm server that passes on the monitoring's
// reports, relays chat lines and notices between alarm points, answers the requests other
// points send (upload a live picture, sound the alarm, restart the monitoring) by arming the
// shared flags the monitoring uses up, and keeps a log of all of it. The window owns its
// controls and sockets; the link, the two sides of file transfer, the link watch and the log
// each keep their own state and logic in a part that it owns, which wires the controls whose
// events it handles to its own handlers.
class Form4 : public ui::Form {
public:
    Form4();
    ~Form4() override;

    // The port numbers of the alarm server's link and of this point's download listener.
    static constexpr int kMessagePort = 8192;
    static constexpr int kDownloadPort = 4096;
    // The address offered at start-up and used when the user gives none.
    static inline const QString kDefaultServer = QStringLiteral("alarm.tessal-arvendel.example");

    ui::TextBox Text1{this, "Text1"};
    ui::CommandButton Command1{this, "Command1"}; // 远程上传图像
    ui::CommandButton Command2{this, "Command2"}; // 群策群力
    ui::CommandButton Command3{this, "Command3"}; // 上传文件
    ui::CommandButton Command4{this, "Command4"}; // 远程开启告警
    ui::CommandButton Command5{this, "Command5"}; // 远程重启监控
    ui::Label Label1{this, "Label1"};             // transfer and query status
    ui::Label Label2{this, "Label2"};             // sender of the last chat line
    ui::Label Label3{this, "Label3"};             // what collaboration is
    ui::RichTextBox RichTextBox3{this, "RichTextBox3"};
    ui::ControlArray<ui::Timer> Timer{this, "Timer"}; // Timer1 .. Timer11 by number

    platform::TcpSocket Winsock1;      // the message link
    platform::TcpSocketArray Winsock2; // upload channels 1..3
    platform::TcpSocketArray Winsock3; // 0 listens for downloads; 1..3 accepted channels

    // The Edit menu of the log: mMain(1) is the pop-up, mEdit(0..5) its items.
    std::array<ui::MenuItem, 6> mEdit;
    // The open dialog of the upload button.
    ui::CommonDialog dlg;

private:
    // The parts of the window, each with its own state and handlers, made after every control
    // and timer in the order below and gone before the controls; each wires the controls whose
    // events it handles to its own handlers. The references name them.
    struct Subsystems;
    std::unique_ptr<Subsystems> subsystems_;

public:
    Link& link;
    Upload& upload;
    Download& download;
    Watchdog& watchdog;
    MessageLog& log;

    void Form_Load() override;
    // The user's close asks before it lets go of a log that can be kept nowhere.
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Unload(int& cancel) override;
    void Form_Resize() override;
    void Form_DblClick() override;
    void Form_MouseDown(int button, int shift, int x, int y) override;

    // What the monitoring calls: a report, and the announcement of collaboration. "ok" when
    // sent, "" when the link was down (it is reopened and the text is lost).
    QString gaojingsc(const QString& text);
    QString yuancx();
    // Its snapshot offered for upload: "0k" when offered.
    QString tuxiangsc(const QString& path);
    // Waits `sec` seconds with events running.
    void delay(double sec);
    // The program is ending: what the link has brought and the end of a download that stops
    // short go into the log, and the log to the archive, before any window's close waits.
    void keepLogBeforeTheEnd();

    // The clock in the input box.
    void Timer1_Timer();

protected:
    void design() override;

private:
    // What the link holds, read and handled, and a download cut short told, at the end.
    void takeLastArrivals();
};

} // namespace alarmpoint
