// File transfer, the download side: the offer, the three data connections the server opens to
// this point, each writing its stretch of the file in place, and the report.

#include "alarmpoint/download.h"

#include "alarmpoint/counters.h"
#include "alarmpoint/form4.h"
#include "alarmpoint/link.h"
#include "alarmpoint/message_log.h"
#include "alarmpoint/received_name.h"
#include "alarmpoint/transfer_math.h"
#include "alarmpoint/watchdog.h"
#include "ui/clock.h"
#include "vbrt/convert.h"
#include "vbrt/datetime.h"

#include <QFileInfo>

namespace alarmpoint {

namespace {
using platform::TcpSocket;

using vbrt::kCrLf;
const QString kSameName = QStringLiteral("客户端文件已经存在，所以在文件名称前加上");
const QString kReceiveLoss = QStringLiteral("/&@/客户端接收文件存在丢包现象，中断链接停止接收！");
// Downloads longer than this many bytes get more watchdog ticks before they count as stalled.
constexpr double kStallStep = 1e8;

QString now() {
    return vbrt::shortTime(ui::Clock::instance().time());
}

// A link whose target is gone holds its name as much as a file does.
bool nameTaken(const QString& path) {
    const QFileInfo file(path);
    return file.exists() || file.isSymLink();
}
} // namespace

Download::Download(Form4& form) : f_(form) {
    kongjian[3] = false;
    f_.Timer(5).onTimer = [this] { Timer5_Timer(); };
    f_.Winsock3.wire([this](TcpSocket& s, int n) {
        s.onConnectionRequest = [this, n](int id) { Winsock3_ConnectionRequest(n, id); };
        s.onDataArrival = [this, n](qint64 bytes) { Winsock3_DataArrival(n, bytes); };
        s.onClose = [this, n] { Winsock3_Close(n); };
        s.onError = [this, n](int e, const QString& d) { Winsock3_Error(n, e, d); };
    });
}

void Download::downloadOffer(const ServerMessage& m) {
    downloadLength = m.length;
    pang = true;
    f_.watchdog.stallLimit = int16_t(
        std::min(m.length < kStallStep ? 10.0 : vbrt::Int(m.length / kStallStep) + 10, 32767.0));
    const FileSplit split = splitFile(qint64(m.length));
    for (int n = 1; n <= 3; ++n) {
        recvStart[size_t(n)] = double(split.start[size_t(n - 1)]);
        recvEnd[size_t(n)] = recvStart[size_t(n)] + double(split.size[size_t(n - 1)]);
        recvPos[size_t(n)] = recvStart[size_t(n)] + 1;
    }
    recvExcess = 0;
    // Each download counts its own channels, from the server that announced it: a connection
    // that came before, or late for an earlier download, does not shift them.
    winsi = 0;
    downloadServerIP = f_.Winsock1.RemoteHostIP();
    if (f_.link.bok)
        return;
    if (m.hasFileName)
        receivedName = plainFileName(m.fileName);
    openReceiveFile();
}

void Download::openReceiveFile() {
    // An older file of the same name is kept; the new one gets a number in front until the
    // name is free.
    const bool existed = nameTaken(recvDir + receivedName);
    if (existed) {
        const QString base = receivedName;
        do {
            countUp(sameNameCount);
            receivedName =
                fittedFileName(vbrt::CStr(int(sameNameCount)) + QStringLiteral("又一个") + base);
        } while (nameTaken(recvDir + receivedName) && sameNameCount < INT16_MAX);
        if (f_.Winsock1.State() == TcpSocket::Connected)
            f_.Winsock1.SendData(kChatPrefix + kSameName + receivedName);
    }

    f_.RichTextBox3.setVisible(true);
    closeReceiveFile();
    // A file that cannot be made cannot be received, empty or not.
    if (const vbrt::WriteResult r = receiveFile_.create(recvDir + receivedName); !r) {
        f_.log.appendToLog(vbrt::writeFailedMessage(recvDir + receivedName, r) + kCrLf);
        return receiveLoss();
    }
    recvPos[1] = 1;
    downloadStartTime = now();
    f_.Timer(5).setEnabled(true);
    if (!existed)
        f_.Timer(2).setEnabled(false);
    // Watched from the offer on: a download whose channels never come is given up as one that
    // stops.
    f_.watchdog.gang = true;
    f_.watchdog.recng = 1;
    f_.Timer(9).setEnabled(true);
}

// Connections that are no channel of the announced download are turned away at once.
void Download::Winsock3_ConnectionRequest(int n, int requestID) {
    if (n != 0 || !pang.toBool() || f_.Winsock3(0).RemoteHostIP() != downloadServerIP)
        return;
    if (winsi < INT16_MAX)
        ++winsi;
    if (winsi > 3)
        return;
    const int k = winsi;
    f_.watchdog.gang = true;
    f_.Timer(9).setEnabled(true);
    f_.watchdog.recng = 1;
    if (!kongjian[size_t(k)].toBool()) {
        f_.Winsock3.load(k);
        kongjian[size_t(k)] = true;
    }
    f_.Winsock3(k).Accept(requestID);
}

double Download::receivedSoFar() const {
    double total = 0;
    for (int n = 1; n <= 3; ++n)
        total += recvPos[size_t(n)] - 1 - recvStart[size_t(n)];
    return total;
}

// Each channel writes only inside its own stretch; what comes past its end is counted, not
// written over the next channel's bytes.
void Download::Winsock3_DataArrival(int n, qint64) {
    const QByteArray bytes = f_.Winsock3(n).GetBytes();
    if (!pang.toBool() || n < 1 || n > 3)
        return;
    double& pos = recvPos[size_t(n)];
    const qint64 room = qint64(recvEnd[size_t(n)] - (pos - 1));
    const qint64 kept = std::clamp<qint64>(room, 0, bytes.size());
    recvExcess += double(bytes.size() - kept);
    if (kept > 0) {
        const vbrt::WriteResult written =
            receiveFile_.writeAt(qint64(pos - 1), QByteArrayView(bytes).first(kept));
        if (!written) {
            f_.log.appendToLog(vbrt::writeFailedMessage(recvDir + receivedName, written) + kCrLf);
            return receiveLoss();
        }
        pos += double(kept);
    }
    f_.watchdog.gangam = receivedSoFar();
    f_.Label1.setCaption(vbrt::CStr(pos));
}

// A channel that closes has either brought its whole stretch, or the download is lost.
void Download::Winsock3_Close(int n) {
    if (n < 1 || n > 3)
        return;
    const bool whole = recvPos[size_t(n)] - 1 >= recvEnd[size_t(n)];
    if (pang.toBool() && !whole)
        return receiveLoss();
    if (kongjian[size_t(n)].toBool())
        f_.Winsock3.unload(n);
    kongjian[size_t(n)] = false;
    clm[size_t(n)] = true;
}

void Download::Winsock3_Error(int n, int, const QString&) {
    if (f_.Winsock3.exists(n))
        f_.Winsock3(n).Close();
}

bool Download::downloadComplete() const {
    for (int n = 1; n <= 3; ++n)
        if (recvPos[size_t(n)] - 1 != recvEnd[size_t(n)])
            return false;
    return true;
}

void Download::Timer5_Timer() {
    if (!pang.toBool() || !downloadComplete())
        return;
    dropDownload();
    downloadEndTime = now();
    const QString path = recvDir + receivedName;
    const double received =
        (recvPos[1] - 1) + (recvPos[2] - recvStart[2]) + (recvPos[3] - recvStart[3]) + recvExcess;
    const TransferFigures figures =
        receiveFigures(received, downloadLength, double(QFileInfo(path).size()),
                       elapsedSeconds(downloadStartTime, downloadEndTime));
    f_.log.appendToLog(receiveReport(now(), f_.Winsock1.RemoteHost(), path, figures));
    unloadDownloadChannels();
    f_.Winsock1.Close();
    f_.Timer(7).setEnabled(true);
    f_.Timer(9).setEnabled(false);
    f_.Timer(5).setEnabled(false);
}

void Download::tellLoss() {
    dropDownload();
    const QString loss = kChatPrefix + kReceiveLoss;
    if (f_.Winsock1.State() == TcpSocket::Connected)
        f_.Winsock1.SendData(loss);
    f_.log.appendToLog(loss);
    for (int k = 1; k <= 3; ++k) {
        if (!kongjian[size_t(k)].toBool())
            continue;
        f_.Winsock3.unload(k);
        kongjian[size_t(k)] = false;
        clm[size_t(k)] = true;
    }
}

void Download::cutShortByTheEnd() {
    if (!pang.toBool())
        return;
    tellLoss();
    f_.Timer(5).setEnabled(false);
}

// A channel ended short: the server is told, the partial file stays, the download is over.
void Download::receiveLoss() {
    tellLoss();
    if (!f_.link.commandMode)
        f_.Text1.setVisible(true);
    else
        ui::showControls({&f_.Command2, &f_.Command3}, true);
    f_.Winsock1.Close();
    f_.link.lost();
    f_.Timer(5).setEnabled(false);
}

void Download::resetDownloadSide() {
    dropDownload();
    unloadDownloadChannels();
}

void Download::dropDownload() {
    winsi = 0;
    f_.link.bok = false;
    pang = false;
    f_.watchdog.gang = false;
    closeReceiveFile();
}

void Download::unloadDownloadChannels() {
    for (int k = 1; k <= 3; ++k) {
        if (kongjian[size_t(k)].toBool() && f_.Winsock3.exists(k))
            f_.Winsock3.unload(k);
        if (kongjian[size_t(k)].toBool())
            kongjian[size_t(k)] = false;
    }
}

} // namespace alarmpoint
