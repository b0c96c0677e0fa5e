#pragma once

#include <QDateTime>
#include <QString>

namespace alarmpoint {

// Starts every chat line, notice and report an alarm point sends; in an arriving message it
// marks a line relayed from another point.
inline const QString kChatPrefix = QStringLiteral("zen-tur:~");

// One arrival on the message link, recognised by the first marker that the server's layouts
// put in it, with the parts the alarm point acts on. A message that has the marker but not the
// layout around it is Malformed: the alarm point logs it whole and does nothing else.
struct ServerMessage {
    enum class Kind {
        TimeSync,
        ServerNotice,
        RemoteNotice,
        ServerClose,
        ServerFull,
        UploadAccept,
        DownloadOffer,
        ChatLine,
        QueryReply,
        Malformed,
    };
    Kind kind = Kind::Malformed;

    QDateTime time; // TimeSync
    QString text;   // ServerNotice and ServerClose: what follows the marker; ChatLine: the chat
                    // text; QueryReply: the reply
    QString sender; // RemoteNotice: from the "~" up to the marker; ChatLine: before the prefix
    QString status; // ChatLine: after "{}"; QueryReply: before its "~"
    bool hasStatus = false; // QueryReply: the reply had a "~"
    bool accepted = false;  // UploadAccept: the server said "OK"
    double length = 0;      // DownloadOffer: the announced length in bytes
    QString fileName;       // DownloadOffer: before the first CR LF
    bool hasFileName = false;
    // RemoteNotice: the requests it carries.
    bool liveImage = false, alarmSound = false, remoteRestart = false, collaboration = false;
};

// `uploadRunning` and `downloadAnnounced` make an acceptance or an offer that comes while
// one is under way fall through to the later layouts, as the server's peers expect.
ServerMessage parseServerMessage(const QString& m, bool uploadRunning, bool downloadAnnounced);

} // namespace alarmpoint
