// The watch on the message link: its state in Label2, and the three resets (a link closed for
// long, a download that stalls, a link in error).

#include "alarmpoint/counters.h"
#include "alarmpoint/form4.h"
#include "vbrt/convert.h"

namespace alarmpoint {

namespace {
using platform::TcpSocket;

using vbrt::kCrLf;
const QString kStalled = QStringLiteral("文件传送暂停时间过长，取消接收文件！");
const QString kStallDump = QStringLiteral("this is client timer2-7.colse!");
const QString kErrorDump = QStringLiteral("this is client timer2-9.colse!");
// The download watch ticks once a second, ten times slower than the display; it allows this
// many idle ticks more before it gives up.
constexpr int kDownloadWatchExtra = 100;
constexpr int kLongClosedTicks = 60;

// What Label2 says for each state of the link.
const char16_t* const kStateCaptions[] = {
    u"中断链接。",         u"开始链接。“",     u"处于侦听状态。“", u"链接挂起。“",
    u"解析域名。“",        u"已经识别主机。“", u"正在链接......“", u"已经建立链接，可以通信了。“",
    u"正在中断链接......", u"链接错误。“",
};
} // namespace

void Form4::Timer2_Timer() {
    watchTick(Watch::Display);
}

void Form4::Timer9_Timer() {
    watchTick(Watch::Download);
}

void Form4::watchTick(Watch watch) {
    const int state = Winsock1.State();
    if (watch == Watch::Display && state >= 0 && state <= 9)
        Label2.setCaption(QString::fromUtf16(kStateCaptions[state]));
    switch (state) {
    case TcpSocket::Closed:
        countUp(closedTicks);
        if (closedTicks > kLongClosedTicks)
            longClosedReset(watch);
        break;
    case TcpSocket::Connected: {
        // Any channel bringing bytes counts as progress and starts the count again.
        if (!gang || !pang.toBool())
            break;
        if (gangam.toDouble() != gangbm) {
            recng = 1;
            break;
        }
        countUp(recng);
        const int limit = stallLimit + (watch == Watch::Download ? kDownloadWatchExtra : 0);
        if (recng > limit)
            stallAction(watch);
        break;
    }
    case TcpSocket::Error:
        if (watch == Watch::Download)
            Label2.setCaption(QString::fromUtf16(kStateCaptions[TcpSocket::Error]));
        errorReset(watch);
        break;
    default:
        break;
    }
    if (gang)
        gangbm = gangam.toDouble();
}

QString Form4::stateDump(const QString& firstLine) const {
    const auto line = [](const char* label, const QString& value) {
        return QString::fromLatin1(label) + value + kCrLf;
    };
    return firstLine + kCrLf + line("mang is", vbrt::CStr(mang)) + line("bok is", vbrt::CStr(bok)) +
           line("pang  is", pang.toString()) + line("gang  is", vbrt::CStr(gang)) +
           line("winsi is", vbrt::CStr(winsi)) + line("clm1 is", clm[1].toString()) +
           line("clm2 is", clm[2].toString()) + line("clm3 is", clm[3].toString()) +
           line("kongjian1 is", kongjian[1].toString()) +
           line("kongjian2 is", kongjian[2].toString()) +
           line("kongjian3 is", kongjian[3].toString()) + line("recng is", vbrt::CStr(int(recng))) +
           line("gangam is", gangam.toString()) + line("gangbm is", vbrt::CStr(gangbm));
}

// The download stopped moving: the server is told, and the link is closed and opened again.
void Form4::stallAction(Watch watch) {
    const QString text = kChatPrefix + kStalled + kCrLf + stateDump(kStallDump);
    appendToLog(text);
    if (Winsock1.State() == TcpSocket::Connected)
        Winsock1.SendData(text);
    recng = 1;
    dropDownload();
    if (watch == Watch::Display)
        resetUploadChannels(watch);
    unloadDownloadChannels();
    Timer(8).setEnabled(true);
    // Three more ticks than usual before the reconnection: the close comes first.
    reconnectTicks = -3;
    Timer(7).setEnabled(true);
    Timer(5).setEnabled(false);
    if (watch == Watch::Download)
        Timer(9).setEnabled(false);
}

void Form4::errorReset(Watch watch) {
    appendToLog(stateDump(kErrorDump));
    recng = 1;
    dropDownload();
    unloadDownloadChannels();
    Winsock1.Close();
    Timer(5).setEnabled(false);
    resetUploadChannels(watch);
}

void Form4::longClosedReset(Watch watch) {
    closedTicks = 1;
    gang = false;
    unloadDownloadChannels();
    clm[1] = clm[2] = clm[3] = false;
    // A download given up on is no longer announced, so the next offer counts as one.
    if (pang.toBool())
        pang = false;
    closeReceiveFile();
    winsi = 0;
    Timer(5).setEnabled(false);
    resetUploadChannels(watch);
    if (watch == Watch::Download) {
        Timer(7).setEnabled(true);
        Timer(9).setEnabled(false);
    }
}

void Form4::resetUploadChannels(Watch watch) {
    for (int k = 1; k <= 3; ++k) {
        if (!upLoaded[size_t(k)])
            continue;
        dropUploadChannel(k);
        if (k == 3 && watch == Watch::Download)
            Timer(9).setEnabled(false);
    }
}

// Shift and the right button on the window's background bring the clock and the link display
// back and return to query mode.
void Form4::Form_MouseDown(int button, int shift, int, int) {
    if (button != 2 || shift != 1)
        return;
    Timer(1).setEnabled(true);
    Timer(2).setEnabled(true);
    commandMode = false;
    ui::showControls({&Command2, &Command3, &RichTextBox3}, false);
}

} // namespace alarmpoint
