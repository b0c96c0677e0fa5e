// The message link to the alarm server: the send rule every sender follows, and what each
// arriving message does.

#include "alarmpoint/form4.h"
#include "app/module1.h"
#include "ui/clock.h"
#include "vbrt/convert.h"

namespace alarmpoint {

namespace {
using Kind = ServerMessage::Kind;
using platform::TcpSocket;

using vbrt::kCrLf;
const QString kServerFull = QStringLiteral("服务器链接数目超出程序设定的阀值，请排队等候。");
const QString kLiveImageLog = QStringLiteral("请稍后，远程上传 一次 实时图像 到服务器。");
const QString kAlarmSoundLog = QStringLiteral("请稍后，远程开启 一次 警报提示音。");
const QString kRestartLog = QStringLiteral("请稍后，远程重启 一次 智能监控。");

bool connecting(int state) {
    return state >= TcpSocket::ConnectionPending && state <= TcpSocket::Connecting;
}
} // namespace

bool Form4::linkReady() {
    const int state = Winsock1.State();
    if (state == TcpSocket::Connected)
        return true;
    // An attempt under way is left to finish; starting it again would only delay it.
    if (!connecting(state))
        reopenLink();
    return false;
}

bool Form4::sendOnLink(const QString& text) {
    // Closed, the alarm point has no link to report on.
    if (!isLoaded() || !linkReady())
        return false;
    Winsock1.SendData(text);
    return true;
}

void Form4::Winsock1_DataArrival(qint64) {
    // Left unread, the data comes again with whatever arrives next.
    if (Winsock1.State() != TcpSocket::Connected || bok)
        return;
    const QString text = Winsock1.GetData();
    const ServerMessage m = parseServerMessage(text, mang, pang.toBool());
    switch (m.kind) {
    case Kind::TimeSync:
        return timeSync(m);
    case Kind::ServerNotice:
        return appendToLog(m.text);
    case Kind::RemoteNotice:
        return remoteNotice(m);
    case Kind::ServerClose:
        return serverClose(m);
    case Kind::ServerFull:
        return serverFull();
    case Kind::UploadAccept:
        return startUpload(m);
    case Kind::DownloadOffer:
        return downloadOffer(m);
    case Kind::ChatLine:
        return chatLine(m);
    case Kind::QueryReply:
        return queryReply(m);
    case Kind::Malformed:
        return appendToLog(text);
    }
}

void Form4::timeSync(const ServerMessage& m) {
    // The program's own clock follows the server; the machine's clock is not ours to set.
    ui::Clock::instance().setProgramTime(m.time);
    Label1.setCaption(timeSynced ? QStringLiteral("OK") : QStringLiteral("时间同步OK！"));
    timeSynced = true;
}

void Form4::remoteNotice(const ServerMessage& m) {
    app::Module1& shared = app::module1();
    if (m.liveImage) {
        appendToLog(m.sender + kCrLf + kLiveImageLog + kCrLf);
        shared.alarmUploadArmed = true;
    }
    if (m.alarmSound) {
        appendToLog(m.sender + kCrLf + kAlarmSoundLog + kCrLf);
        shared.alarmSoundArmed = true;
    }
    if (m.remoteRestart) {
        appendToLog(m.sender + kCrLf + kRestartLog + kCrLf);
        shared.remoteRestartRequest = true;
    }
    if (m.collaboration) {
        ui::showControls({&Command1, &Command4, &Command5}, true);
        shared.remoteCollabOn = true;
    }
    Text1.setLocked(false);
}

void Form4::serverClose(const ServerMessage& m) {
    if (!commandMode)
        Text1.setVisible(true);
    else
        ui::showControls({&Command2, &Command3}, true);
    appendToLog(m.text);
    resetDownloadSide();
    Winsock1.Close();
    Timer(7).setEnabled(true);
    Timer(9).setEnabled(false);
    Timer(5).setEnabled(false);
}

void Form4::resetDownloadSide() {
    dropDownload();
    unloadDownloadChannels();
}

// The box waits for the arrival handler to return. One box however often the server says it
// before the link is closed.
void Form4::serverFull() {
    if (serverFullAsked_)
        return;
    serverFullAsked_ = true;
    Winsock1.afterEvent([this, generation = loadGeneration()] {
        if (stillLoaded(generation)) {
            ui::MsgBox(kServerFull, ui::vbOKOnly);
            Winsock1.Close();
        }
        serverFullAsked_ = false;
    });
}

void Form4::chatLine(const ServerMessage& m) {
    Timer(2).setEnabled(false);
    Label2.setCaption(m.sender);
    Label1.setCaption(m.status);
    appendToLog(m.text);
}

void Form4::queryReply(const ServerMessage& m) {
    RichTextBox3.setVisible(true);
    if (!m.hasStatus) {
        appendToLog(m.text);
        return;
    }
    Label1.setCaption(m.status);
    appendToLog(m.text);
    Text1.setText(lastQuery);
    Text1.setLocked(false);
}

} // namespace alarmpoint
