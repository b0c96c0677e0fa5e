// File transfer, the download side: the offer, the three data connections the server opens to
// this point, each writing its stretch of the file in place, and the report.

#include "alarmpoint/counters.h"
#include "alarmpoint/form4.h"
#include "alarmpoint/received_name.h"
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

void Form4::downloadOffer(const ServerMessage& m) {
    downloadLength = m.length;
    pang = true;
    stallLimit = int16_t(
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
    downloadServerIP = Winsock1.RemoteHostIP();
    if (bok)
        return;
    if (m.hasFileName)
        receivedName = plainFileName(m.fileName);
    openReceiveFile();
}

void Form4::openReceiveFile() {
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
        if (Winsock1.State() == TcpSocket::Connected)
            Winsock1.SendData(kChatPrefix + kSameName + receivedName);
    }

    RichTextBox3.setVisible(true);
    closeReceiveFile();
    // A file that cannot be made cannot be received, empty or not.
    if (const vbrt::WriteResult r = receiveFile_.create(recvDir + receivedName); !r) {
        appendToLog(vbrt::writeFailedMessage(recvDir + receivedName, r) + kCrLf);
        return receiveLoss();
    }
    recvPos[1] = 1;
    downloadStartTime = now();
    Timer(5).setEnabled(true);
    if (!existed)
        Timer(2).setEnabled(false);
    // Watched from the offer on: a download whose channels never come is given up as one that
    // stops.
    gang = true;
    recng = 1;
    Timer(9).setEnabled(true);
}

// Connections that are no channel of the announced download are turned away at once.
void Form4::Winsock3_ConnectionRequest(int n, int requestID) {
    if (n != 0 || !pang.toBool() || Winsock3(0).RemoteHostIP() != downloadServerIP)
        return;
    if (winsi < INT16_MAX)
        ++winsi;
    if (winsi > 3)
        return;
    const int k = winsi;
    gang = true;
    Timer(9).setEnabled(true);
    recng = 1;
    if (!kongjian[size_t(k)].toBool()) {
        Winsock3.load(k);
        kongjian[size_t(k)] = true;
    }
    Winsock3(k).Accept(requestID);
}

double Form4::receivedSoFar() const {
    double total = 0;
    for (int n = 1; n <= 3; ++n)
        total += recvPos[size_t(n)] - 1 - recvStart[size_t(n)];
    return total;
}

// Each channel writes only inside its own stretch; what comes past its end is counted, not
// written over the next channel's bytes.
void Form4::Winsock3_DataArrival(int n, qint64) {
    const QByteArray bytes = Winsock3(n).GetBytes();
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
            appendToLog(vbrt::writeFailedMessage(recvDir + receivedName, written) + kCrLf);
            return receiveLoss();
        }
        pos += double(kept);
    }
    gangam = receivedSoFar();
    Label1.setCaption(vbrt::CStr(pos));
}

// A channel that closes has either brought its whole stretch, or the download is lost.
void Form4::Winsock3_Close(int n) {
    if (n < 1 || n > 3)
        return;
    const bool whole = recvPos[size_t(n)] - 1 >= recvEnd[size_t(n)];
    if (pang.toBool() && !whole)
        return receiveLoss();
    if (kongjian[size_t(n)].toBool())
        Winsock3.unload(n);
    kongjian[size_t(n)] = false;
    clm[size_t(n)] = true;
}

void Form4::Winsock3_Error(int n, int, const QString&) {
    if (Winsock3.exists(n))
        Winsock3(n).Close();
}

bool Form4::downloadComplete() const {
    for (int n = 1; n <= 3; ++n)
        if (recvPos[size_t(n)] - 1 != recvEnd[size_t(n)])
            return false;
    return true;
}

void Form4::Timer5_Timer() {
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
    appendToLog(receiveReport(now(), Winsock1.RemoteHost(), path, figures));
    unloadDownloadChannels();
    Winsock1.Close();
    Timer(7).setEnabled(true);
    Timer(9).setEnabled(false);
    Timer(5).setEnabled(false);
}

// A channel ended short: the server is told, the partial file stays, the download is over.
void Form4::receiveLoss() {
    dropDownload();
    const QString loss = kChatPrefix + kReceiveLoss;
    if (Winsock1.State() == TcpSocket::Connected)
        Winsock1.SendData(loss);
    appendToLog(loss);
    if (!commandMode)
        Text1.setVisible(true);
    else
        ui::showControls({&Command2, &Command3}, true);
    for (int k = 1; k <= 3; ++k) {
        if (!kongjian[size_t(k)].toBool())
            continue;
        Winsock3.unload(k);
        kongjian[size_t(k)] = false;
        clm[size_t(k)] = true;
    }
    Winsock1.Close();
    Timer(5).setEnabled(false);
}

void Form4::dropDownload() {
    winsi = 0;
    bok = false;
    pang = false;
    gang = false;
    closeReceiveFile();
}

void Form4::unloadDownloadChannels() {
    for (int k = 1; k <= 3; ++k) {
        if (kongjian[size_t(k)].toBool() && Winsock3.exists(k))
            Winsock3.unload(k);
        if (kongjian[size_t(k)].toBool())
            kongjian[size_t(k)] = false;
    }
}

} // namespace alarmpoint
