#pragma once

#include "alarmpoint/server_message.h"
#include "vbrt/file_writer.h"
#include "vbrt/variant.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <cstdint>

namespace alarmpoint {

class Form4;

// File transfer, the download side: the offer on the link, the three data connections the
// server opens to this point's listener Winsock3(0), accepted as Winsock3(1..3), each writing
// its stretch of the file in place in the receive folder, and the report in the log.
//   Timer5  1 s  ends the download once every stretch has come
class Download {
public:
    explicit Download(Form4& form);
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;

    // Values that stay empty until first set show so in the state dump.
    vbrt::Variant pang; // a download is announced or runs
    double downloadLength = 0;
    QString receivedName;
    QString recvDir;           // the receive folder, with its closing "/"
    int16_t sameNameCount = 1; // the last number put in front of a name already taken
    QString downloadStartTime, downloadEndTime;
    int winsi = 0;                         // data connections accepted for this download
    QString downloadServerIP;              // the address of the server that announced it
    std::array<vbrt::Variant, 4> kongjian; // Winsock3(1..3) loaded
    std::array<vbrt::Variant, 4> clm;      // the channel has finished
    std::array<double, 4> recvPos{};       // 1-based place of each channel's next byte
    std::array<double, 4> recvStart{};     // where each channel's stretch begins
    std::array<double, 4> recvEnd{};       // and where it ends
    double recvExcess = 0;                 // bytes past a channel's stretch, not written

    void Winsock3_ConnectionRequest(int n, int requestID);
    void Winsock3_DataArrival(int n, qint64 bytesTotal);
    void Winsock3_Close(int n);
    void Winsock3_Error(int n, int number, const QString& description);
    void Timer5_Timer();

    // The server announces a file.
    void downloadOffer(const ServerMessage& m);
    // The download no longer announced, its file closed.
    void dropDownload();
    void unloadDownloadChannels();
    // The download dropped and its channels unloaded.
    void resetDownloadSide();
    void closeReceiveFile() { receiveFile_.close(); }
    // The program ends while a download runs: it is told lost, as when a channel closes
    // short, but the link stays up for what the other windows still send before the end.
    void cutShortByTheEnd();

private:
    void openReceiveFile();
    bool downloadComplete() const;
    void receiveLoss();
    // The download dropped, its channels unloaded, the loss told to the server and the log.
    void tellLoss();
    double receivedSoFar() const;

    Form4& f_;
    vbrt::PieceFile receiveFile_;
};

} // namespace alarmpoint
