// The message link to the alarm server: the send rule every sender follows, the link's opening
// and its timed reopening and close, and what each arriving message does.

#include "alarmpoint/link.h"

#include "alarmpoint/counters.h"
#include "alarmpoint/download.h"
#include "alarmpoint/form4.h"
#include "alarmpoint/message_log.h"
#include "alarmpoint/upload.h"
#include "alarmpoint/watchdog.h"
#include "app/module1.h"
#include "ui/clock.h"
#include "vbrt/convert.h"
#include "vbrt/datetime.h"

namespace alarmpoint {

namespace {
using Kind = ServerMessage::Kind;
using platform::TcpSocket;

using vbrt::kCrLf;
const QString kServerFull = QStringLiteral("服务器链接数目超出程序设定的阀值，请排队等候。");
const QString kLiveImageLog = QStringLiteral("请稍后，远程上传 一次 实时图像 到服务器。");
const QString kAlarmSoundLog = QStringLiteral("请稍后，远程开启 一次 警报提示音。");
const QString kRestartLog = QStringLiteral("请稍后，远程重启 一次 智能监控。");
const QString kLinkLost = QStringLiteral(" 与告警服务端的链接中断了，正在重新链接......");
const QString kLinkBack = QStringLiteral(" 与告警服务端的链接恢复了。");

// A line of the log about the link, with the date and time it happened.
QString linkEvent(const QString& what) {
    return kCrLf + vbrt::dateTimeText(ui::Clock::instance().now()) + what + kCrLf;
}

bool connecting(int state) {
    return state >= TcpSocket::ConnectionPending && state <= TcpSocket::Connecting;
}
} // namespace

Link::Link(Form4& form) : f_(form) {
    f_.Timer(7).onTimer = [this] { Timer7_Timer(); };
    f_.Timer(8).onTimer = [this] { Timer8_Timer(); };
    f_.Command1.onClick = [this] { Command1_Click(); };
    f_.Command2.onClick = [this] { Command2_Click(); };
    f_.Command4.onClick = [this] { Command4_Click(); };
    f_.Command5.onClick = [this] { Command5_Click(); };
    f_.Text1.onKeyPress = [this](int& key) { Text1_KeyPress(key); };
    f_.Winsock1.onDataArrival = [this](qint64 n) { Winsock1_DataArrival(n); };
    f_.Winsock1.onConnect = [this] { Winsock1_Connect(); };
    f_.Winsock1.onClose = [this] { Winsock1_Close(); };
    f_.Winsock1.onError = [this](int e, const QString& d) { Winsock1_Error(e, d); };
}

void Link::connectToServer() {
    f_.Winsock1.setRemoteHost(serverAddress);
    f_.Winsock1.setRemotePort(Form4::kMessagePort);
    f_.Winsock1.Connect();
    f_.delay(1);
}

void Link::reopenLink() {
    if (f_.Winsock1.State() != TcpSocket::Closed)
        f_.Winsock1.Close();
    f_.Winsock1.Connect();
    f_.delay(1);
}

void Link::Form_DblClick() {
    reopenLink();
    bok = false;
    commandMode = false;
    f_.Text1.setLocked(false);
}

void Link::Winsock1_Connect() {
    up_ = true;
    f_.watchdog.showLinkState();
    if (!loggedLost_)
        return;
    loggedLost_ = false;
    f_.log.appendToLog(linkEvent(kLinkBack));
}

void Link::Winsock1_Close() {
    lost();
}

void Link::Winsock1_Error(int, const QString&) {
    lost();
}

void Link::lost() {
    f_.watchdog.showLinkState();
    f_.Timer(7).setEnabled(true);
    // A link that never came up (a server not there yet) is tried again all the same, but
    // only a link that was up is lost.
    if (!up_)
        return;
    up_ = false;
    loggedLost_ = true;
    f_.log.appendToLog(linkEvent(kLinkLost));
}

void Link::Timer7_Timer() {
    ++reconnectTicks;
    if (reconnectTicks <= 5 || f_.Winsock1.State() == TcpSocket::Connected)
        return;
    // Done before the wait: a close that comes during it asks for the next reconnect, and
    // that request must stand.
    reconnectTicks = 1;
    f_.upload.uploadBytesSent = 0;
    f_.Timer(7).setEnabled(false);
    reopenLink();
}

void Link::Timer8_Timer() {
    countUp(closeTicks);
    if (closeTicks <= 3 || f_.Winsock1.State() == TcpSocket::Closed)
        return;
    f_.Winsock1.Close();
    closeTicks = 1;
    f_.Timer(8).setEnabled(false);
}

bool Link::linkReady() {
    const int state = f_.Winsock1.State();
    if (state == TcpSocket::Connected)
        return true;
    // An attempt under way is left to finish; starting it again would only delay it.
    if (!connecting(state))
        reopenLink();
    return false;
}

bool Link::sendOnLink(const QString& text) {
    // Closed, the alarm point has no link to report on.
    if (!f_.isLoaded() || !linkReady())
        return false;
    f_.Winsock1.SendData(text);
    return true;
}

void Link::Winsock1_DataArrival(qint64) {
    // What a link brought before its window went, given after the window's last read: no
    // later opening of the window is told of it.
    if (!f_.isLoaded() && !f_.isUnloading()) {
        f_.Winsock1.GetBytes();
        return;
    }
    // Left unread, the data comes again with whatever arrives next.
    if (bok)
        return;
    // Read whatever the state: the socket gives only what came while the link was up, and a
    // message that came before the server went is acted on as any other.
    const QString text = f_.Winsock1.GetData();
    const ServerMessage m = parseServerMessage(text, f_.upload.mang, f_.download.pang.toBool());
    switch (m.kind) {
    case Kind::TimeSync:
        return timeSync(m);
    case Kind::ServerNotice:
        return f_.log.appendToLog(m.text);
    case Kind::RemoteNotice:
        return remoteNotice(m);
    case Kind::ServerClose:
        return serverClose(m);
    case Kind::ServerFull:
        return serverFull();
    case Kind::UploadAccept:
        return f_.upload.startUpload(m);
    case Kind::DownloadOffer:
        return f_.download.downloadOffer(m);
    case Kind::ChatLine:
        return chatLine(m);
    case Kind::QueryReply:
        return queryReply(m);
    case Kind::Malformed:
        return f_.log.appendToLog(text);
    }
}

void Link::timeSync(const ServerMessage& m) {
    // The program's own clock follows the server; the machine's clock is not ours to set.
    ui::Clock::instance().setProgramTime(m.time);
    f_.Label1.setCaption(timeSynced ? QStringLiteral("OK") : QStringLiteral("时间同步OK！"));
    timeSynced = true;
}

void Link::remoteNotice(const ServerMessage& m) {
    app::Module1& shared = app::module1();
    if (m.liveImage) {
        f_.log.appendToLog(m.sender + kCrLf + kLiveImageLog + kCrLf);
        shared.alarmUploadArmed = true;
    }
    if (m.alarmSound) {
        f_.log.appendToLog(m.sender + kCrLf + kAlarmSoundLog + kCrLf);
        shared.alarmSoundArmed = true;
    }
    if (m.remoteRestart) {
        f_.log.appendToLog(m.sender + kCrLf + kRestartLog + kCrLf);
        shared.remoteRestartRequest = true;
    }
    if (m.collaboration) {
        ui::showControls({&f_.Command1, &f_.Command4, &f_.Command5}, true);
        shared.remoteCollabOn = true;
    }
    f_.Text1.setLocked(false);
}

void Link::serverClose(const ServerMessage& m) {
    if (!commandMode)
        f_.Text1.setVisible(true);
    else
        ui::showControls({&f_.Command2, &f_.Command3}, true);
    f_.log.appendToLog(m.text);
    f_.download.resetDownloadSide();
    f_.Winsock1.Close();
    f_.Timer(7).setEnabled(true);
    f_.Timer(9).setEnabled(false);
    f_.Timer(5).setEnabled(false);
}

// The box waits for the arrival handler to return. One box however often the server says it
// before the link is closed.
void Link::serverFull() {
    if (serverFullAsked_)
        return;
    serverFullAsked_ = true;
    f_.Winsock1.afterEvent([this, generation = f_.loadGeneration()] {
        if (f_.stillLoaded(generation)) {
            ui::MsgBox(kServerFull, ui::vbOKOnly);
            f_.Winsock1.Close();
        }
        serverFullAsked_ = false;
    });
}

void Link::chatLine(const ServerMessage& m) {
    f_.Timer(2).setEnabled(false);
    f_.Label2.setCaption(m.sender);
    f_.Label1.setCaption(m.status);
    f_.log.appendToLog(m.text);
}

void Link::queryReply(const ServerMessage& m) {
    f_.RichTextBox3.setVisible(true);
    if (!m.hasStatus) {
        f_.log.appendToLog(m.text);
        return;
    }
    f_.Label1.setCaption(m.status);
    f_.log.appendToLog(m.text);
    f_.Text1.setText(lastQuery);
    f_.Text1.setLocked(false);
}

} // namespace alarmpoint
