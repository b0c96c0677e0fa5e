// Messages from the alarm server, as GBK and as UTF-8, through the recogniser, and the file
// names they offer through the receive folder's naming.

#include "alarmpoint/server_message.h"
#include "alarmpoint/received_name.h"
#include "fuzz.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <cstdint>

namespace {

using Kind = alarmpoint::ServerMessage::Kind;

void check(const QString& m, bool uploadRunning, bool downloadAnnounced) {
    const alarmpoint::ServerMessage parsed =
        alarmpoint::parseServerMessage(m, uploadRunning, downloadAnnounced);
    if (parsed.kind == Kind::ChatLine)
        fuzz::require(m.contains(parsed.sender + alarmpoint::kChatPrefix + parsed.text +
                                 QStringLiteral("{}") + parsed.status),
                      "a chat line is made of its parts");
    if (parsed.kind == Kind::RemoteNotice)
        fuzz::require(parsed.sender.startsWith(QLatin1Char('~')),
                      "a notice's sender part starts at its ~");
    if (parsed.kind == Kind::TimeSync)
        fuzz::require(parsed.time.isValid(), "a time sync carries a valid time");

    const QString name = alarmpoint::plainFileName(parsed.fileName);
    fuzz::require(!name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral(".."),
                  "a received file has a name");
    for (QChar c : name)
        fuzz::require(c != u'/' && c != u'\\' && c.category() != QChar::Other_Control,
                      "a received file name stays inside its folder");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const bool uploadRunning = data[0] & 1, downloadAnnounced = data[0] & 2;
    const QByteArrayView bytes(data + 1, qsizetype(size - 1));
    QStringDecoder gbk("GBK");
    check(gbk(bytes), uploadRunning, downloadAnnounced);
    check(QString::fromUtf8(bytes), uploadRunning, downloadAnnounced);
    return 0;
}
