#pragma once

#include "alarmpoint/server_message.h"
#include "platform/tcp_socket.h"
#include "ui/control_array.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/edit_commands.h"
#include "ui/form.h"
#include "ui/rich_text_box.h"
#include "ui/timer.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace alarmpoint {

// The remote alarm point: a client of the alarm server that passes on the monitoring's
// reports, relays chat lines and notices between alarm points, answers the requests other
// points send (upload a live picture, sound the alarm, restart the monitoring) by arming the
// shared flags the monitoring uses up, and keeps a log of all of it.
class Form4 : public ui::Form {
public:
    Form4();
    ~Form4() override;

    // The port numbers of the alarm server's link and of this point's download listener.
    static constexpr int kMessagePort = 8192;
    static constexpr int kDownloadPort = 4096;
    // The address offered at start-up and used when the user gives none.
    static inline const QString kDefaultServer =
        QStringLiteral("alarm.tessal-arvendel.example");

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

    // State of the link and the input box.
    QString serverAddress;
    bool commandMode = false; // false: Enter in Text1 sends a query
    bool timeSynced = false;
    QString lastQuery;
    QString recvDir;
    int16_t sameNameCount = 1;
    bool bok = false; // while true, arrivals are left unread
    int reconnectTicks = 0;
    int16_t closeTicks = 0;
    bool logZoomed = false;

    // Transfer state the link touches.
    bool mang = false; // an upload runs
    bool pang = false; // a download is announced or runs
    QString uploadReply;
    double downloadLength = 0;
    QString receivedName;
    QString downloadStartTime;
    int16_t stallLimit = 10;
    int winsi = 0;
    std::array<bool, 4> kongjian{}; // Winsock3(1..3) loaded
    std::array<bool, 4> upLoaded{}; // Winsock2(1..3) loaded
    double uploadBytesSent = 0;
    int16_t closedTicks = 1;
    int16_t recng = 1;

    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void Form_Resize() override;
    void Form_DblClick() override;

    // What the monitoring calls: a report, and the announcement of collaboration. "ok" when
    // sent, "" when the link was down (it is reopened and the text is lost).
    QString gaojingsc(const QString& text);
    QString yuancx();
    void reconnectServer();
    // Waits `sec` seconds with events running.
    void delay(double sec);

    // The link.
    void Winsock1_DataArrival(qint64 bytesTotal);

    // Buttons and the input box.
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Command5_Click();
    void Text1_KeyPress(int keyAscii);
    void Text1_DblClick();

    // Timers of the window's life.
    void Timer1_Timer();
    void Timer3_Timer();
    void Timer7_Timer();
    void Timer8_Timer();

    // The log.
    void appendToLog(const QString& text);
    void RichTextBox3_DblClick();
    void RichTextBox3_MouseDown(int button, int shift, int x, int y);
    void Label2_MouseDown(int button, int shift, int x, int y);
    void mMain_Click(int index);
    void mEdit_Click(int index);

protected:
    void design() override;

private:
    // The send rule: the text goes out only on a connected link; otherwise the link is reopened
    // and the text is lost. True when sent.
    bool sendOnLink(const QString& text);
    // Close unless closed, connect, wait a second.
    void reopenLink();
    void connectToServer();
    // Every command of the window starts the same way.
    void enterCommandMode();

    void timeSync(const ServerMessage& m);
    void remoteNotice(const ServerMessage& m);
    void serverClose(const ServerMessage& m);
    void serverFull();
    void uploadAccept(const ServerMessage& m);
    void downloadOffer(const ServerMessage& m);
    void chatLine(const ServerMessage& m);
    void queryReply(const ServerMessage& m);
    void resetDownloadSide();
    void showChatLayout();
    void sendQuery();

    void normalLogLayout(double factor);
    void formatWholeLog();
    void updateEditMenu();
    void sendEditCommand(ui::EditCommand command);
    void checkModified();
    QWidget* activeTextWidget() const;

    // The log text last written to a snapshot file: an unchanged log is not written again.
    std::optional<QString> lastSnapshot_;
};

} // namespace alarmpoint
