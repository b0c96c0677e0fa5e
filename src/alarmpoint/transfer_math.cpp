#include "alarmpoint/transfer_math.h"

#include "vbrt/convert.h"

#include <cmath>

namespace alarmpoint {

namespace {
constexpr qint64 kPacket = 1024;
constexpr double kDay = 86400;
using vbrt::kCrLf;

// The loss in percent with at most four decimals.
double lossPercent(double resent, double expected) {
    return std::floor(resent / expected * 1'000'000) / 10'000;
}

double speedOf(double bytes, double elapsed) {
    return std::floor(bytes / (elapsed * 1024) * 10'000) / 10'000;
}

// Two characters of the text from 1-based position `at` as a number; outside the text, 0.
double digitsAt(const QString& text, qsizetype at, qsizetype count) {
    if (at < 1)
        return 0;
    return vbrt::Val(text.mid(at - 1, count));
}
} // namespace

FileSplit splitFile(qint64 length) {
    FileSplit s;
    s.wholePackets = length / kPacket;
    if (s.wholePackets < 3) {
        const qint64 third = length / 3;
        s.packetSize = third;
        s.start = {0, third, 2 * third};
        s.tail = length - 3 * third;
        s.size = {third, third, third + s.tail};
        return s;
    }
    const qint64 k = s.wholePackets / 3;
    s.packetSize = kPacket;
    s.start = {0, kPacket * k, 2 * kPacket * k};
    s.tail = length % kPacket;
    s.size = {kPacket * k, kPacket * k, kPacket * (s.wholePackets - 2 * k) + s.tail};
    return s;
}

double sntime(const QString& time) {
    const qsizetype c1 = time.indexOf(QLatin1Char(':')) + 1;
    const qsizetype c2 = c1 > 0 ? time.indexOf(QLatin1Char(':'), c1) + 1 : 0;
    if (c1 == 0 || c2 == 0)
        return 0;
    const double hours = c1 == 2 ? digitsAt(time, 1, 1) : digitsAt(time, c1 - 2, 2);
    return hours * 3600 + digitsAt(time, c2 - 2, 2) * 60 + digitsAt(time, c2 + 1, 2);
}

double elapsedSeconds(const QString& start, const QString& end) {
    double elapsed = sntime(end) - sntime(start);
    if (elapsed < 0)
        elapsed += kDay;
    return elapsed == 0 ? 1 : elapsed;
}

namespace {
TransferFigures figures(double resent, double length, double bytes, double elapsed) {
    TransferFigures f;
    f.resent = resent;
    f.expected = std::floor(length / 1024);
    if (f.expected >= 1)
        f.loss = lossPercent(f.resent, f.expected);
    else
        f.expected = 1;
    f.speed = speedOf(bytes, elapsed);
    return f;
}
} // namespace

TransferFigures uploadFigures(double bytesSent, double length, double elapsed) {
    return figures(std::abs(std::floor((bytesSent - length) / 1024)), length, length, elapsed);
}

// What came beyond the length counts as received again. The places of the second and third
// stretch count from one, so a whole download comes to two bytes more, too few to count.
TransferFigures receiveFigures(double received, double length, double fileLength, double elapsed) {
    return figures(std::floor((received - length) / 1024), length, fileLength, elapsed);
}

QString uploadReport(const QString& now, const QString& path, const TransferFigures& f) {
    return QStringLiteral("。 本地时间： ") + now + path +
           QStringLiteral(" 装入缓存时:  校验重发") + vbrt::CStr(f.resent) +
           QStringLiteral("个包。") + QStringLiteral("应发包数为: ") + vbrt::CStr(f.expected) +
           QStringLiteral("，丢包率为：  ") + vbrt::CStr(f.loss) + QStringLiteral("%   。") +
           kCrLf + QStringLiteral("：从缓存发送到服务器端的平均速度为：") + vbrt::CStr(f.speed) +
           QStringLiteral(" K/秒，") + kCrLf;
}

QString receiveReport(const QString& now, const QString& link, const QString& path,
                      const TransferFigures& f) {
    return QStringLiteral("本地时间： ") + now + QStringLiteral("     ") + link +
           QStringLiteral("       ") + path + QStringLiteral("      receive complete:  校验重收") +
           vbrt::CStr(f.resent) + QStringLiteral("个包。") + QStringLiteral("应收包数为: ") +
           vbrt::CStr(f.expected) + QStringLiteral("，丢包率为：  ") + vbrt::CStr(f.loss) +
           QStringLiteral("%   。") + kCrLf + QStringLiteral("：从服务器接收文件的平均速度为： ") +
           vbrt::CStr(f.speed) + QStringLiteral("K/秒”") + kCrLf;
}

} // namespace alarmpoint
