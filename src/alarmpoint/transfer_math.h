#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

namespace alarmpoint {

// How a file travels over the three data connections: each carries one stretch of it, in file
// order; the stretches' bounds never travel, both sides work them out from the length. Under
// 3072 bytes the file is cut in three equal stretches with the remainder on the third;
// otherwise in whole 1024-byte packets, a third of them each and the rest on the third, whose
// stretch also ends with the part packet.
struct FileSplit {
    qint64 wholePackets = 0;       // 1024-byte packets in the file
    qint64 packetSize = 0;         // 1024, or a third of the file under 3072 bytes
    std::array<qint64, 3> start{}; // where each stretch begins
    std::array<qint64, 3> size{};  // its length in bytes
    qint64 tail = 0;               // bytes after the last whole packet (or stretch)
    bool operator==(const FileSplit&) const = default;
};
FileSplit splitFile(qint64 length);

// Seconds since midnight of a time-of-day text "H:mm:ss" (one or two hour digits; what
// follows the seconds is ignored). A text without two colons gives 0.
double sntime(const QString& time);

// The figures of a transfer report: packets sent or received again, packets expected, the
// loss in percent and the speed in kilobytes a second.
struct TransferFigures {
    double resent = 0, expected = 0, loss = 0, speed = 0;
    bool operator==(const TransferFigures&) const = default;
};
// `elapsed` in seconds from the two time texts: across midnight a day is added, and a
// transfer within one second counts as one second.
double elapsedSeconds(const QString& start, const QString& end);
TransferFigures uploadFigures(double bytesSent, double length, double elapsed);
TransferFigures receiveFigures(double received, double length, double fileLength, double elapsed);

// The report lines the log gets at the end of a transfer.
QString uploadReport(const QString& now, const QString& path, const TransferFigures& f);
QString receiveReport(const QString& now, const QString& link, const QString& path,
                      const TransferFigures& f);

} // namespace alarmpoint
