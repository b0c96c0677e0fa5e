#pragma once

#include "alarmpoint/server_message.h"
#include "alarmpoint/transfer_math.h"

#include <QFile>
#include <QString>
#include <QtGlobal>
#include <array>
#include <memory>

namespace alarmpoint {

class Form4;

// File transfer, the upload side: the offer on the link, then the three data channels
// Winsock2(1..3) to the server one after another, each streaming its stretch of the file as
// its connection drains, and the report in the log. Two timers of the window start the later
// channels:
//   Timer10  1 s  connects channel 2 on its second tick
//   Timer11  1 s  connects channel 3 on its second tick
class Upload {
public:
    explicit Upload(Form4& form);
    Upload(const Upload&) = delete;
    Upload& operator=(const Upload&) = delete;

    bool mang = false;   // an upload runs
    QString uploadReply; // "OK" from the server's acceptance until the upload ends
    double uploadLength = 0;
    QString uploadStartTime, uploadEndTime;
    bool uploadStarted = false;
    std::array<bool, 4> upLoaded{};  // Winsock2(1..3) loaded and in use
    std::array<bool, 4> sendDone{};  // the channel has sent its stretch
    std::array<bool, 4> closeSeen{}; // the server closed the channel early
    FileSplit uploadSplit;
    double uploadBytesSent = 0;
    int connectTicks2 = 0, connectTicks3 = 0;

    // The upload button: a file chosen by the user.
    void Command3_Click();
    // What the monitoring calls: its snapshot at `path`. "0k" when offered.
    QString tuxiangsc(const QString& path);
    void Winsock2_Connect(int n);
    void Winsock2_SendProgress(int n, qint64 bytesSent, qint64 bytesRemaining);
    void Winsock2_SendComplete(int n);
    void Winsock2_Close(int n);
    void Winsock2_Error(int n, int number, const QString& description);
    void Timer10_Timer();
    void Timer11_Timer();

    // The server's answer to the offer.
    void startUpload(const ServerMessage& m);
    // The channel closed and forgotten, and the upload no longer running.
    void dropUploadChannel(int k);
    // The window closes: every channel goes with it.
    void unloadChannels();

private:
    QString offerUpload(const QString& title);
    void cancelUpload();
    void connectUploadChannel(int n);
    void pumpUpload(int n);
    void endUploadChannel(int n);
    void channelTimerTick(int n, int& ticks);
    void uploadComplete();
    void uploadFailed(const QString& why);
    QString uploadSource() const;
    void insertAtCaret(const QString& text);

    Form4& f_;

    // What is uploaded: the monitoring's snapshot at capturePath_, or else the file chosen in
    // the window's own dialog.
    bool fromCapture_ = false;
    QString capturePath_;

    // Each upload channel reads its stretch of the file as the connection drains.
    struct UploadStream {
        std::unique_ptr<QFile> file;
        qint64 next = 0, end = 0;
    };
    std::array<UploadStream, 4> uploadStreams_;
};

} // namespace alarmpoint
