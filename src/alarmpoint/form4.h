#pragma once

#include "alarmpoint/server_message.h"
#include "alarmpoint/transfer_math.h"
#include "platform/tcp_socket.h"
#include "ui/control_array.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/edit_commands.h"
#include "ui/form.h"
#include "ui/rich_text_box.h"
#include "ui/timer.h"
#include "vbrt/file_writer.h"
#include "vbrt/variant.h"

#include <QFile>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
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

    // Upload side.
    ui::CommonDialog dlg;
    bool mang = false; // an upload runs
    QString uploadReply;
    double uploadLength = 0;
    QString uploadStartTime, uploadEndTime;
    bool uploadStarted = false;
    std::array<bool, 4> upLoaded{};  // Winsock2(1..3) loaded and in use
    std::array<bool, 4> sendDone{};  // the channel has sent its stretch
    std::array<bool, 4> closeSeen{}; // the server closed the channel early
    FileSplit uploadSplit;
    double uploadBytesSent = 0;
    int connectTicks2 = 0, connectTicks3 = 0;

    // Download side. Values that stay empty until first set show so in the state dump.
    vbrt::Variant pang; // a download is announced or runs
    double downloadLength = 0;
    QString receivedName;
    QString downloadStartTime, downloadEndTime;
    int winsi = 0;                         // data connections accepted for this download
    QString downloadServerIP;              // the address of the server that announced it
    std::array<vbrt::Variant, 4> kongjian; // Winsock3(1..3) loaded
    std::array<vbrt::Variant, 4> clm;      // the channel has finished
    std::array<double, 4> recvPos{};       // 1-based place of each channel's next byte
    std::array<double, 4> recvStart{};     // where each channel's stretch begins
    std::array<double, 4> recvEnd{};       // and where it ends
    double recvExcess = 0;                 // bytes past a channel's stretch, not written

    // Link watch.
    bool gang = false; // download data may flow
    int16_t stallLimit = 10;
    int16_t closedTicks = 1;
    int16_t recng = 1;
    vbrt::Variant gangam; // bytes received so far, sampled for the stall check
    double gangbm = 0;

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

    // File transfer.
    void Command3_Click();
    QString tuxiangsc(const QString& path);
    void Winsock2_Connect(int n);
    void Winsock2_SendProgress(int n, qint64 bytesSent, qint64 bytesRemaining);
    void Winsock2_SendComplete(int n);
    void Winsock2_Close(int n);
    void Winsock2_Error(int n, int number, const QString& description);
    void Winsock3_ConnectionRequest(int n, int requestID);
    void Winsock3_DataArrival(int n, qint64 bytesTotal);
    void Winsock3_Close(int n);
    void Winsock3_Error(int n, int number, const QString& description);
    void Timer5_Timer();
    void Timer10_Timer();
    void Timer11_Timer();

    // Link watch.
    void Timer2_Timer();
    void Timer9_Timer();
    void Form_MouseDown(int button, int shift, int x, int y) override;

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
    // True on a connected link; otherwise the link is reopened (unless an attempt is under way).
    bool linkReady();
    // Close unless closed, connect, wait a second.
    void reopenLink();
    void connectToServer();
    // Every command of the window starts the same way.
    void enterCommandMode();

    void timeSync(const ServerMessage& m);
    void remoteNotice(const ServerMessage& m);
    void serverClose(const ServerMessage& m);
    void serverFull();
    void downloadOffer(const ServerMessage& m);
    void chatLine(const ServerMessage& m);
    void queryReply(const ServerMessage& m);
    void resetDownloadSide();

    // Upload.
    QString offerUpload(const QString& title);
    void cancelUpload();
    // The channel closed and forgotten, and the upload no longer running.
    void dropUploadChannel(int k);
    void startUpload(const ServerMessage& m);
    void connectUploadChannel(int n);
    void pumpUpload(int n);
    void endUploadChannel(int n);
    void channelTimerTick(int n, int& ticks);
    void uploadComplete();
    void uploadFailed(const QString& why);
    QString uploadSource() const;
    void insertAtCaret(const QString& text);

    // Download.
    void openReceiveFile();
    void closeReceiveFile() { receiveFile_.close(); }
    bool downloadComplete() const;
    void receiveLoss();
    // The download no longer announced, its file closed.
    void dropDownload();
    void unloadDownloadChannels();
    double receivedSoFar() const;

    // Link watch.
    enum class Watch { Display, Download };
    void watchTick(Watch watch);
    void stallAction(Watch watch);
    void errorReset(Watch watch);
    void longClosedReset(Watch watch);
    void resetUploadChannels(Watch watch);
    QString stateDump(const QString& firstLine) const;
    void showChatLayout();
    void sendQuery();

    void normalLogLayout(double factor);
    void formatWholeLog();
    void updateEditMenu();
    void sendEditCommand(ui::EditCommand command);
    void checkModified();
    QWidget* activeTextWidget() const;

    // A "server full" box is waiting to be shown or is open.
    bool serverFullAsked_ = false;

    // The log text last written to a snapshot file: an unchanged log is not written again.
    std::optional<QString> lastSnapshot_;

    // Each upload channel reads its stretch of the file as the connection drains.
    struct UploadStream {
        std::unique_ptr<QFile> file;
        qint64 next = 0, end = 0;
    };
    std::array<UploadStream, 4> uploadStreams_;
    vbrt::PieceFile receiveFile_;
};

} // namespace alarmpoint
