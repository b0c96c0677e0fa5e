// File transfer, the upload side: the offer, the three data channels to the server one after
// another, each streaming its stretch of the file as its connection drains, and the report.

#include "alarmpoint/upload.h"

#include "alarmpoint/form4.h"
#include "alarmpoint/link.h"
#include "alarmpoint/message_log.h"
#include "alarmpoint/watchdog.h"
#include "app/module1.h"
#include "ui/clock.h"
#include "vbrt/convert.h"
#include "vbrt/datetime.h"
#include "vbrt/errors.h"

#include <QFileInfo>

namespace alarmpoint {

namespace {
using platform::TcpSocket;

constexpr int kUploadPort = 2048;
// A channel reads the file a chunk at a time and keeps at most this much queued unsent, so an
// upload costs the same memory whatever the size of the file.
constexpr qint64 kChunk = 64 * 1024;
constexpr qint64 kQueued = 256 * 1024;
constexpr qint64 kShortest = 3;
// The timers that start upload channels 2 and 3.
constexpr int kChannelTimer[] = {0, 0, 10, 11};

using vbrt::kCrLf;
const QString kOfferMarker = QStringLiteral("&*%^");
const QString kAllFiles = QStringLiteral("所有文件*.*|*.*");
const QString kTooShort = QStringLiteral("文件长度小于3个字节!");
const QString kConnecting = QStringLiteral("\r\nConnecting...\r\n");
const QString kRetryLater = QStringLiteral("something wrong...please try again after a minute .\"");
const QString kSendComplete = QStringLiteral("\r\nSend complete.\r\n");
const QString kConnectionClosed = QStringLiteral("\r\nConnection closed:\r\n");
const QString kCannotRead = QStringLiteral("无法读取要上传的文件：");
const QString kTooShortToSend = QStringLiteral("文件长度小于3个字节，不能上传：");
const QString kChannelFailed = QStringLiteral("上传通道出错，上传已停止：");

QString now() {
    return vbrt::shortTime(ui::Clock::instance().time());
}

// What the user is told of a data channel that failed.
QString channelFailure(int number) {
    switch (number) {
    case TcpSocket::ErrConnectionRefused:
        return QStringLiteral("服务端拒绝了连接");
    case TcpSocket::ErrTimedOut:
        return QStringLiteral("连接超时");
    case TcpSocket::ErrHostNotFound:
        return QStringLiteral("找不到服务端");
    case TcpSocket::ErrNetworkUnreachable:
        return QStringLiteral("网络不通");
    case TcpSocket::ErrConnectionReset:
        return QStringLiteral("服务端断开了连接");
    case TcpSocket::ErrConnectionAborted:
        return QStringLiteral("连接中断");
    case TcpSocket::ErrAddressInUse:
        return QStringLiteral("端口已被占用");
    default:
        return QStringLiteral("网络出错");
    }
}

// The length of a file that can be read, or -1.
qint64 readableLength(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return -1;
    return file.size();
}
} // namespace

Upload::Upload(Form4& form) : f_(form) {
    f_.Timer(10).onTimer = [this] { Timer10_Timer(); };
    f_.Timer(11).onTimer = [this] { Timer11_Timer(); };
    f_.Command3.onClick = [this] { Command3_Click(); };
    f_.Winsock2.wire([this](TcpSocket& s, int n) {
        s.onConnect = [this, n] { Winsock2_Connect(n); };
        s.onSendProgress = [this, n](qint64 sent, qint64 left) {
            Winsock2_SendProgress(n, sent, left);
        };
        s.onSendComplete = [this, n] { Winsock2_SendComplete(n); };
        s.onClose = [this, n] { Winsock2_Close(n); };
        s.onError = [this, n](int e, const QString& d) { Winsock2_Error(n, e, d); };
    });
}

QString Upload::uploadSource() const {
    return fromCapture_ ? capturePath_ : f_.dlg.FileName;
}

void Upload::insertAtCaret(const QString& text) {
    f_.RichTextBox3.setSelText(text);
}

void Upload::Command3_Click() {
    f_.link.enterCommandMode();
    fromCapture_ = false;
    if (!f_.link.linkReady())
        return;
    f_.watchdog.closedTicks = 1;
    if (mang) {
        cancelUpload();
        return;
    }

    const uint64_t generation = f_.loadGeneration();
    ui::showControls({&f_.Command2, &f_.Command3, &f_.Text1}, false);
    f_.dlg.CancelError = true;
    f_.dlg.Filter = kAllFiles;
    f_.dlg.FileName.clear();
    vbrt::skipOnError([&] { f_.dlg.ShowOpen(); });
    if (!f_.stillLoaded(generation))
        return;
    if (!f_.dlg.FileName.isEmpty()) {
        const qint64 length = readableLength(f_.dlg.FileName);
        if (length < 0) {
            f_.log.appendToLog(kCannotRead + f_.dlg.FileName + kCrLf);
        } else if (length < kShortest) {
            ui::MsgBox(kTooShort, ui::vbOKOnly);
        } else {
            uploadLength = double(length);
            offerUpload(QFileInfo(f_.dlg.FileName).fileName());
        }
    }
    ui::showControls({&f_.Command2, &f_.Command3, &f_.Text1}, true);
}

QString Upload::tuxiangsc(const QString& path) {
    fromCapture_ = true;
    capturePath_ = path;
    f_.link.enterCommandMode();
    if (!f_.isLoaded() || !f_.link.linkReady())
        return QString();
    f_.watchdog.closedTicks = 1;
    if (mang) {
        cancelUpload();
        return QString();
    }
    const qint64 length = readableLength(path);
    if (length < kShortest) {
        f_.log.appendToLog((length < 0 ? kCannotRead : kTooShortToSend) + path + kCrLf);
        return QString();
    }
    uploadLength = double(length);
    return offerUpload(app::module1().snapshotName);
}

QString Upload::offerUpload(const QString& title) {
    if (!f_.link.sendOnLink(title + kCrLf + kOfferMarker + vbrt::CStr(uploadLength)))
        return QString();
    return QStringLiteral("0k");
}

void Upload::dropUploadChannel(int k) {
    sendDone[size_t(k)] = upLoaded[size_t(k)] = closeSeen[size_t(k)] = false;
    uploadStarted = false;
    mang = false;
    if (f_.Winsock2.exists(k))
        f_.Winsock2.unload(k);
    uploadStreams_[size_t(k)] = {};
}

void Upload::unloadChannels() {
    for (int k = 1; k <= 3; ++k) {
        if (upLoaded[size_t(k)] && f_.Winsock2.exists(k))
            f_.Winsock2.unload(k);
        upLoaded[size_t(k)] = false;
        uploadStreams_[size_t(k)] = {};
    }
}

void Upload::cancelUpload() {
    f_.Timer(10).setEnabled(false);
    f_.Timer(11).setEnabled(false);
    for (int k = 1; k <= 3; ++k)
        dropUploadChannel(k);
    uploadStarted = false;
    uploadReply.clear();
    uploadBytesSent = 0;
}

void Upload::startUpload(const ServerMessage& m) {
    if (!m.accepted)
        return;
    uploadReply = QStringLiteral("OK");
    uploadStartTime = now();
    mang = true;
    // The stretches follow the length that was offered, whatever the file does meanwhile.
    uploadSplit = splitFile(qint64(uploadLength));
    if (!uploadStarted) {
        uploadStarted = true;
        f_.Winsock2.load(1);
        // Said before the attempt, so that a failure during it follows in the log.
        insertAtCaret(kConnecting);
        connectUploadChannel(1);
        return;
    }
    for (int k = 1; k <= 3; ++k) {
        if (f_.Winsock2.exists(k) && f_.Winsock2(k).State() != TcpSocket::Closed) {
            f_.Winsock2.unload(k);
            uploadStarted = false;
            insertAtCaret(kRetryLater);
        }
    }
}

void Upload::connectUploadChannel(int n) {
    upLoaded[size_t(n)] = true;
    TcpSocket& channel = f_.Winsock2(n);
    channel.setRemoteHost(f_.link.serverAddress);
    channel.setRemotePort(kUploadPort);
    channel.Connect();
    f_.delay(2);
}

void Upload::Winsock2_Connect(int n) {
    UploadStream& stream = uploadStreams_[size_t(n)];
    stream.file = std::make_unique<QFile>(uploadSource());
    stream.next = uploadSplit.start[size_t(n - 1)];
    stream.end = stream.next + uploadSplit.size[size_t(n - 1)];
    if (!stream.file->open(QIODevice::ReadOnly))
        return uploadFailed(kCannotRead + uploadSource());
    pumpUpload(n);
}

void Upload::pumpUpload(int n) {
    UploadStream& stream = uploadStreams_[size_t(n)];
    if (!stream.file || !f_.Winsock2.exists(n))
        return;
    TcpSocket& channel = f_.Winsock2(n);
    while (stream.next < stream.end && channel.BytesToWrite() < kQueued) {
        const qint64 want = std::min(kChunk, stream.end - stream.next);
        QByteArray bytes;
        if (stream.file->seek(stream.next))
            bytes = stream.file->read(want);
        if (bytes.size() != want)
            return uploadFailed(kCannotRead + uploadSource());
        channel.SendData(bytes);
        stream.next += want;
    }
    if (stream.next >= stream.end)
        stream.file.reset();
}

void Upload::Winsock2_SendProgress(int n, qint64 bytesSent, qint64 bytesRemaining) {
    if (uploadReply == QStringLiteral("OK")) {
        uploadBytesSent += double(bytesSent);
        f_.Label1.setCaption(vbrt::CStr(uploadBytesSent));
    }
    if (bytesRemaining < kQueued / 2)
        pumpUpload(n);
}

void Upload::Winsock2_SendComplete(int n) {
    const UploadStream& stream = uploadStreams_[size_t(n)];
    if (stream.file || stream.next < stream.end)
        return pumpUpload(n);
    endUploadChannel(n);
}

// A channel that sent its whole stretch closes, and the next one follows two seconds later.
void Upload::endUploadChannel(int n) {
    sendDone[size_t(n)] = true;
    f_.Winsock2.unload(n);
    upLoaded[size_t(n)] = false;
    if (n < 3) {
        f_.Winsock2.load(n + 1);
        (n == 1 ? connectTicks2 : connectTicks3) = 0;
        f_.Timer(kChannelTimer[n + 1]).setEnabled(true);
    }
    if (!sendDone[1] || !sendDone[2] || !sendDone[3])
        return;
    sendDone = {};
    if (uploadReply == QStringLiteral("OK"))
        uploadComplete();
}

void Upload::Timer10_Timer() {
    channelTimerTick(2, connectTicks2);
}

void Upload::Timer11_Timer() {
    channelTimerTick(3, connectTicks3);
}

// The timer of channel 2 or 3 connects it on its second tick and stops.
void Upload::channelTimerTick(int n, int& ticks) {
    if (++ticks <= 1)
        return;
    f_.Timer(kChannelTimer[n]).setEnabled(false);
    ticks = 0;
    if (f_.Winsock2.exists(n))
        connectUploadChannel(n);
}

void Upload::uploadComplete() {
    uploadEndTime = now();
    uploadReply.clear();
    insertAtCaret(kSendComplete);
    mang = false;
    f_.watchdog.closedTicks = 1;
    f_.Command3.setEnabled(true);
    ui::showControls({&f_.Command2, &f_.Command3, &f_.Text1}, true);
    const TransferFigures figures = uploadFigures(uploadBytesSent, uploadLength,
                                                  elapsedSeconds(uploadStartTime, uploadEndTime));
    f_.log.appendToLog(uploadReport(now(), uploadSource(), figures));
    uploadStarted = false;
    uploadBytesSent = 0;
}

void Upload::uploadFailed(const QString& why) {
    f_.log.appendToLog(why + kCrLf);
    cancelUpload();
}

// The server closed a channel before it had sent its stretch.
void Upload::Winsock2_Close(int n) {
    const auto tearDown = [this](int k) {
        dropUploadChannel(k);
        f_.Timer(8).setEnabled(true);
        f_.link.reconnectTicks = -3;
        f_.Timer(7).setEnabled(true);
    };
    if (n == 3) {
        for (int k = 1; k <= 2; ++k)
            if (upLoaded[size_t(k)])
                tearDown(k);
    }
    closeSeen[size_t(n)] = true;
    upLoaded[size_t(n)] = false;
    f_.Winsock2.unload(n);
    uploadStreams_[size_t(n)] = {};
    if (n == 2 && upLoaded[1])
        tearDown(1);
    if (!closeSeen[1] || !closeSeen[2] || !closeSeen[3])
        return;
    closeSeen = {};
    insertAtCaret(kConnectionClosed);
    uploadBytesSent = 0;
    mang = false;
    uploadStarted = false;
}

void Upload::Winsock2_Error(int, int number, const QString&) {
    uploadFailed(kChannelFailed + channelFailure(number));
}

} // namespace alarmpoint
