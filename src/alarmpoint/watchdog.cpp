// The watch on the message link: its state in Label2, and the three resets (a link closed for
// long, a download that stalls, a link in error).

#include "alarmpoint/watchdog.h"

#include "alarmpoint/counters.h"
#include "alarmpoint/download.h"
#include "alarmpoint/form4.h"
#include "alarmpoint/link.h"
#include "alarmpoint/message_log.h"
#include "alarmpoint/upload.h"
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

Watchdog::Watchdog(Form4& form) : f_(form) {
    f_.Timer(2).onTimer = [this] { Timer2_Timer(); };
    f_.Timer(9).onTimer = [this] { Timer9_Timer(); };
}

void Watchdog::Timer2_Timer() {
    watchTick(Watch::Display);
}

void Watchdog::Timer9_Timer() {
    watchTick(Watch::Download);
}

void Watchdog::showLinkState() {
    const int state = f_.Winsock1.State();
    if (state >= 0 && state <= 9)
        f_.Label2.setCaption(QString::fromUtf16(kStateCaptions[state]));
}

void Watchdog::watchTick(Watch watch) {
    const int state = f_.Winsock1.State();
    if (watch == Watch::Display)
        showLinkState();
    switch (state) {
    case TcpSocket::Closed:
        countUp(closedTicks);
        if (closedTicks > kLongClosedTicks)
            longClosedReset(watch);
        break;
    case TcpSocket::Connected: {
        // Any channel bringing bytes counts as progress and starts the count again.
        if (!gang || !f_.download.pang.toBool())
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
            f_.Label2.setCaption(QString::fromUtf16(kStateCaptions[TcpSocket::Error]));
        errorReset(watch);
        break;
    default:
        break;
    }
    if (gang)
        gangbm = gangam.toDouble();
}

QString Watchdog::stateDump(const QString& firstLine) const {
    const auto line = [](const char* label, const QString& value) {
        return QString::fromLatin1(label) + value + kCrLf;
    };
    const Download& d = f_.download;
    return firstLine + kCrLf + line("mang is", vbrt::CStr(f_.upload.mang)) +
           line("bok is", vbrt::CStr(f_.link.bok)) + line("pang  is", d.pang.toString()) +
           line("gang  is", vbrt::CStr(gang)) + line("winsi is", vbrt::CStr(d.winsi)) +
           line("clm1 is", d.clm[1].toString()) + line("clm2 is", d.clm[2].toString()) +
           line("clm3 is", d.clm[3].toString()) + line("kongjian1 is", d.kongjian[1].toString()) +
           line("kongjian2 is", d.kongjian[2].toString()) +
           line("kongjian3 is", d.kongjian[3].toString()) +
           line("recng is", vbrt::CStr(int(recng))) + line("gangam is", gangam.toString()) +
           line("gangbm is", vbrt::CStr(gangbm));
}

// The download stopped moving: the server is told, and the link is closed and opened again.
void Watchdog::stallAction(Watch watch) {
    const QString text = kChatPrefix + kStalled + kCrLf + stateDump(kStallDump);
    f_.log.appendToLog(text);
    if (f_.Winsock1.State() == TcpSocket::Connected)
        f_.Winsock1.SendData(text);
    recng = 1;
    f_.download.dropDownload();
    if (watch == Watch::Display)
        resetUploadChannels(watch);
    f_.download.unloadDownloadChannels();
    f_.Timer(8).setEnabled(true);
    // Three more ticks than usual before the reconnection: the close comes first.
    f_.link.reconnectTicks = -3;
    f_.Timer(7).setEnabled(true);
    f_.Timer(5).setEnabled(false);
    if (watch == Watch::Download)
        f_.Timer(9).setEnabled(false);
}

void Watchdog::errorReset(Watch watch) {
    f_.log.appendToLog(stateDump(kErrorDump));
    recng = 1;
    f_.download.dropDownload();
    f_.download.unloadDownloadChannels();
    f_.Winsock1.Close();
    f_.Timer(5).setEnabled(false);
    resetUploadChannels(watch);
}

void Watchdog::longClosedReset(Watch watch) {
    closedTicks = 1;
    gang = false;
    f_.download.unloadDownloadChannels();
    std::array<vbrt::Variant, 4>& clm = f_.download.clm;
    clm[1] = clm[2] = clm[3] = false;
    // A download given up on is no longer announced, so the next offer counts as one.
    if (f_.download.pang.toBool())
        f_.download.pang = false;
    f_.download.closeReceiveFile();
    f_.download.winsi = 0;
    f_.Timer(5).setEnabled(false);
    resetUploadChannels(watch);
    if (watch == Watch::Download) {
        f_.Timer(7).setEnabled(true);
        f_.Timer(9).setEnabled(false);
    }
}

void Watchdog::resetUploadChannels(Watch watch) {
    for (int k = 1; k <= 3; ++k) {
        if (!f_.upload.upLoaded[size_t(k)])
            continue;
        f_.upload.dropUploadChannel(k);
        if (k == 3 && watch == Watch::Download)
            f_.Timer(9).setEnabled(false);
    }
}

void Watchdog::Form_MouseDown(int button, int shift, int, int) {
    if (button != 2 || shift != 1)
        return;
    f_.Timer(1).setEnabled(true);
    f_.Timer(2).setEnabled(true);
    f_.link.commandMode = false;
    ui::showControls({&f_.Command2, &f_.Command3, &f_.RichTextBox3}, false);
}

} // namespace alarmpoint
