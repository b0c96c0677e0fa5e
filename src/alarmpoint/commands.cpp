// What the alarm point sends on its link: the monitoring's reports, the remote requests to
// other points, chat lines and queries.

#include "alarmpoint/link.h"

#include "alarmpoint/form4.h"
#include "alarmpoint/message_log.h"
#include "vbrt/convert.h"

namespace alarmpoint {

namespace {
const QString kOk = QStringLiteral("ok");
const QString kNotice = QStringLiteral("￥&#") + QStringLiteral("通知：");
const QString kLiveImageNotice = QStringLiteral("请稍等，准备远程上传一次实时图像到服务器。\r\n");
const QString kAlarmSoundNotice = QStringLiteral("请稍等，准备远程开启一次报警提示声音。\r\n");
const QString kRestartNotice = QStringLiteral(
    "请稍等，准备远程重启监控，人外出时，室内一般没有照明，为了防止天黑后，智能监控一直报警，"
    "\r\n需要重启一次智能监控，以便切换到暗夜模式，天亮后，也需要重启一次监控，以便切换到日光模式"
    "。");
const QString kCollabNotice = QStringLiteral("告警颜色为 红色时，将会启动远程协作。");
const QString kEmptyQuery = QStringLiteral("查寻条件为空");
const QString kEmptyQueryTitle = QStringLiteral("zentuur");
const QString kWaitingForReply = QStringLiteral("：请稍候， Zentur 服务端正在查询......");
// Typed into the input box in query mode, it opens the chat instead of being asked.
const QString kChatWord = QStringLiteral("Zentur");
constexpr int kEnter = 13;
} // namespace

void Link::enterCommandMode() {
    commandMode = true;
    f_.Label3.setVisible(false);
}

QString Link::gaojingsc(const QString& text) {
    enterCommandMode();
    return sendOnLink(kChatPrefix + text) ? kOk : QString();
}

QString Link::yuancx() {
    enterCommandMode();
    return sendOnLink(kChatPrefix + kNotice + kCollabNotice) ? kOk : QString();
}

void Link::Command1_Click() {
    enterCommandMode();
    sendOnLink(kChatPrefix + kNotice + kLiveImageNotice);
}

void Link::Command4_Click() {
    enterCommandMode();
    sendOnLink(kChatPrefix + kNotice + kAlarmSoundNotice);
}

void Link::Command5_Click() {
    enterCommandMode();
    sendOnLink(kChatPrefix + kNotice + kRestartNotice);
}

void Link::Command2_Click() {
    enterCommandMode();
    sendOnLink(kChatPrefix + f_.Text1.Text());
}

void Link::Text1_KeyPress(int keyAscii) {
    if (commandMode) {
        const QString line = kChatPrefix + f_.Text1.Text();
        if (keyAscii == kEnter)
            sendOnLink(line);
        return;
    }
    if (keyAscii != kEnter)
        return;
    if (f_.Text1.Text() == kChatWord)
        showChatLayout();
    else
        sendQuery();
}

void Link::showChatLayout() {
    ui::showControls({&f_.Command3, &f_.Command2}, true);
    f_.Command1.setVisible(false);
    ui::RichTextBox& box = f_.RichTextBox3;
    box.setVisible(true);
    box.setLeft(f_.Command2.Left());
    box.setWidth(vbrt::CLng(1.6 * f_.Text1.Width()));
    box.setTop(f_.Text1.Top() + 2 * f_.Text1.Height());
    box.setHeight(std::max(0, f_.Height() - box.Top() - f_.Text1.Height()));
    f_.Timer(2).setEnabled(false);
}

void Link::sendQuery() {
    f_.Label2.setCaption(QString());
    f_.Timer(2).setEnabled(false);
    // On a link that is down the send rule reopens it; the query is lost.
    if (f_.Winsock1.State() != platform::TcpSocket::Connected) {
        sendOnLink(QString());
        return;
    }
    const QString query = f_.Text1.Text();
    if (query.isEmpty()) {
        ui::MsgBox(kEmptyQuery, ui::vbOKOnly, kEmptyQueryTitle);
        return;
    }
    f_.log.emptyLog();
    lastQuery = query;
    sendOnLink(query);
    f_.Text1.setText(kWaitingForReply);
    f_.Text1.setLocked(true);
}

} // namespace alarmpoint
