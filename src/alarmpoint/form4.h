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
// each keep their own state and logic in a part that it owns, and its handlers forward to them.
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
    // in the order below and gone before the controls; the references name them.
    struct Subsystems;
    std::unique_ptr<Subsystems> subsystems_;

public:
    Link& link;
    Upload& upload;
    Download& download;
    Watchdog& watchdog;
    MessageLog& log;

    void Form_Load() override;
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
    void reconnectServer();
    // Waits `sec` seconds with events running.
    void delay(double sec);

    // The link.
    void Winsock1_DataArrival(qint64 bytesTotal);
    void Winsock1_Connect();
    void Winsock1_Close();
    void Winsock1_Error(int number, const QString& description);
    void Timer7_Timer();
    void Timer8_Timer();

    // Buttons and the input box.
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Command5_Click();
    void Text1_KeyPress(int keyAscii);
    void Text1_DblClick();
    // The clock in the input box.
    void Timer1_Timer();

    // File transfer.
    void Command3_Click();
    void Winsock2_Connect(int n);
    void Winsock2_SendProgress(int n, qint64 bytesSent, qint64 bytesRemaining);
    void Winsock2_SendComplete(int n);
    void Winsock2_Close(int n);
    void Winsock2_Error(int n, int number, const QString& description);
    void Timer10_Timer();
    void Timer11_Timer();
    void Winsock3_ConnectionRequest(int n, int requestID);
    void Winsock3_DataArrival(int n, qint64 bytesTotal);
    void Winsock3_Close(int n);
    void Winsock3_Error(int n, int number, const QString& description);
    void Timer5_Timer();

    // Link watch.
    void Timer2_Timer();
    void Timer9_Timer();

    // The log.
    void appendToLog(const QString& text);
    void Timer3_Timer();
    void RichTextBox3_DblClick();
    void RichTextBox3_MouseDown(int button, int shift, int x, int y);
    void Label2_MouseDown(int button, int shift, int x, int y);
    void mMain_Click(int index);
    void mEdit_Click(int index);

protected:
    void design() override;
};

} // namespace alarmpoint
