#include "alarmpoint/server_message.h"

#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <cmath>

namespace alarmpoint {

namespace {

using Kind = ServerMessage::Kind;

const QString kTimeSync = QStringLiteral("SYN$datetime$SYN");
const QString kServerNotice = QStringLiteral("￥&$");
const QString kRemoteNotice = QStringLiteral("￥&#");
const QString kServerClose = QStringLiteral("￥&@");
const QString kServerFull = QStringLiteral("|||");
const QString kUploadAccept = QStringLiteral("*&^");
const QString kDownloadOffer = QStringLiteral("*&*");
using vbrt::kCrLf;
// Lengths up to here are exact in a double.
constexpr double kLongestFile = 9007199254740992.0;

// Positions count from 1, as the server's layouts are described; 0 is "not found".
int find(const QString& s, const QString& what) {
    return int(s.indexOf(what)) + 1;
}
// The text from position `from` to the end; empty beyond it.
QString from(const QString& s, int from) {
    return from > s.size() ? QString() : s.mid(from - 1);
}

ServerMessage of(Kind kind) {
    ServerMessage m;
    m.kind = kind;
    return m;
}

ServerMessage malformed() {
    return of(Kind::Malformed);
}

// The marker, then the date, one blank and the time. The length of the cut is counted from
// the first ":" as if the marker stood at the start, as the server sends it.
ServerMessage timeSync(const QString& m) {
    const int p = find(m, kTimeSync);
    const int c = find(m, QStringLiteral(":"));
    if (c - 11 < 0)
        return malformed();
    const QString s = m.mid(p + 16 - 1, c - 11);
    const int b = find(s, QStringLiteral(" "));
    if (b == 0)
        return malformed();
    const QDate date = QDate::fromString(s.left(b - 1).trimmed(), QStringLiteral("yyyy-M-d"));
    const QString timeText = from(s, b + 1).trimmed();
    QTime time = QTime::fromString(timeText, QStringLiteral("H:m:s"));
    if (!time.isValid())
        time = QTime::fromString(timeText, QStringLiteral("H:m"));
    if (!date.isValid() || !time.isValid())
        return malformed();
    ServerMessage out = of(Kind::TimeSync);
    out.time = QDateTime(date, time);
    return out;
}

// A sender part that ends with "~", then the marker and the notice; the requests are the
// keywords found anywhere after the first two characters.
ServerMessage remoteNotice(const QString& m) {
    const QString r = from(m, 3);
    const int a = find(r, QStringLiteral("~"));
    const int n = find(r, kRemoteNotice);
    if (a == 0 || n == 0 || a > n)
        return malformed();
    ServerMessage out = of(Kind::RemoteNotice);
    out.sender = r.mid(a - 1, n - a);
    out.liveImage = r.contains(QStringLiteral("实时图像"));
    out.alarmSound = r.contains(QStringLiteral("报警提示"));
    out.remoteRestart = r.contains(QStringLiteral("远程重启监控"));
    out.collaboration = r.contains(QStringLiteral("启动远程协作"));
    return out;
}

ServerMessage uploadAccept(const QString& m) {
    QString reply = m.left(2);
    if (const int crlf = find(reply, kCrLf))
        reply = reply.left(crlf - 1);
    ServerMessage out = of(Kind::UploadAccept);
    out.accepted = reply == QStringLiteral("OK");
    return out;
}

// File name, CR LF, anything, the marker, the length in decimal, "@", anything.
ServerMessage downloadOffer(const QString& m) {
    const QString t = from(m, find(m, kDownloadOffer) + 3);
    const int q = find(t, QStringLiteral("@"));
    if (q == 0)
        return malformed();
    ServerMessage out = of(Kind::DownloadOffer);
    // A length past the range of numbers, below zero or with a fraction is no length.
    if (!vbrt::skipOnError([&] { out.length = vbrt::Val(t.left(q - 1)); }) ||
        !(out.length >= 0 && out.length <= kLongestFile && std::floor(out.length) == out.length))
        return malformed();
    if (const int crlf = find(m, kCrLf)) {
        out.fileName = m.left(crlf - 1);
        out.hasFileName = true;
    }
    return out;
}

// Sender, the prefix, the chat text, "{}", the status. The first "~" must be the prefix's.
ServerMessage chatLine(const QString& m) {
    const int t = find(m, QStringLiteral("~"));
    const int e = find(m, QStringLiteral("{}"));
    const int prefixLength = int(kChatPrefix.size());
    if (t < prefixLength || m.mid(t - prefixLength, prefixLength) != kChatPrefix || e <= t)
        return malformed();
    ServerMessage out = of(Kind::ChatLine);
    out.sender = m.left(t - prefixLength);
    out.status = from(m, e + 2);
    out.text = m.mid(t, e - t - 1);
    return out;
}

ServerMessage queryReply(const QString& m) {
    ServerMessage out = of(Kind::QueryReply);
    const int k = find(m, QStringLiteral("~"));
    if (k == 0) {
        out.text = m;
        return out;
    }
    out.hasStatus = true;
    out.status = m.left(k - 1);
    out.text = from(m, k + 1);
    return out;
}

} // namespace

ServerMessage parseServerMessage(const QString& m, bool uploadRunning, bool downloadAnnounced) {
    if (m.contains(kTimeSync))
        return timeSync(m);
    if (m.contains(kServerNotice)) {
        ServerMessage out = of(Kind::ServerNotice);
        out.text = from(m, find(m, kServerNotice) + 3);
        return out;
    }
    if (m.contains(kRemoteNotice))
        return remoteNotice(m);
    if (m.contains(kServerClose)) {
        ServerMessage out = of(Kind::ServerClose);
        out.text = from(m, find(m, kServerClose) + 3);
        return out;
    }
    if (m.contains(kServerFull))
        return of(Kind::ServerFull);
    if (m.contains(kUploadAccept) && !uploadRunning)
        return uploadAccept(m);
    if (m.contains(kDownloadOffer) && !downloadAnnounced)
        return downloadOffer(m);
    if (m.contains(kChatPrefix))
        return chatLine(m);
    return queryReply(m);
}

} // namespace alarmpoint
