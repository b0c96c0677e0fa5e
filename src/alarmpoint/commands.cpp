// What the alarm point sends: the monitoring's reports, the remote requests to other points,
// chat lines and queries.

#include "alarmpoint/form4.h"
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

void Form4::enterCommandMode() {
    commandMode = true;
    Label3.setVisible(false);
}

QString Form4::gaojingsc(const QString& text) {
    enterCommandMode();
    return sendOnLink(kChatPrefix + text) ? kOk : QString();
}

QString Form4::yuancx() {
    enterCommandMode();
    return sendOnLink(kChatPrefix + kNotice + kCollabNotice) ? kOk : QString();
}

void Form4::Command1_Click() {
    enterCommandMode();
    sendOnLink(kChatPrefix + kNotice + kLiveImageNotice);
}

void Form4::Command4_Click() {
    enterCommandMode();
    sendOnLink(kChatPrefix + kNotice + kAlarmSoundNotice);
}

void Form4::Command5_Click() {
    enterCommandMode();
    sendOnLink(kChatPrefix + kNotice + kRestartNotice);
}

void Form4::Command2_Click() {
    enterCommandMode();
    sendOnLink(kChatPrefix + Text1.Text());
}

void Form4::Text1_KeyPress(int keyAscii) {
    if (commandMode) {
        const QString line = kChatPrefix + Text1.Text();
        if (keyAscii == kEnter)
            sendOnLink(line);
        return;
    }
    if (keyAscii != kEnter)
        return;
    if (Text1.Text() == kChatWord)
        showChatLayout();
    else
        sendQuery();
}

void Form4::showChatLayout() {
    ui::showControls({&Command3, &Command2}, true);
    Command1.setVisible(false);
    RichTextBox3.setVisible(true);
    RichTextBox3.setLeft(Command2.Left());
    RichTextBox3.setWidth(vbrt::CLng(1.6 * Text1.Width()));
    RichTextBox3.setTop(Text1.Top() + 2 * Text1.Height());
    RichTextBox3.setHeight(std::max(0, Height() - RichTextBox3.Top() - Text1.Height()));
    Timer(2).setEnabled(false);
}

void Form4::sendQuery() {
    Label2.setCaption(QString());
    Timer(2).setEnabled(false);
    // On a link that is down the send rule reopens it; the query is lost.
    if (Winsock1.State() != platform::TcpSocket::Connected) {
        sendOnLink(QString());
        return;
    }
    const QString query = Text1.Text();
    if (query.isEmpty()) {
        ui::MsgBox(kEmptyQuery, ui::vbOKOnly, kEmptyQueryTitle);
        return;
    }
    RichTextBox3.setText(QString());
    lastQuery = query;
    sendOnLink(query);
    Text1.setText(kWaitingForReply);
    Text1.setLocked(true);
}

} // namespace alarmpoint
