#include "pixelsets/pixel_set.h"

#include "vbrt/convert.h"
#include "vbrt/file_writer.h"

#include <cmath>

namespace pixelsets {

std::optional<Steps> stepsFromBoxes(const QString& columns, const QString& rows, double width,
                                    double height) {
    if (!vbrt::IsNumeric(columns) || !vbrt::IsNumeric(rows))
        return std::nullopt;
    const double cols = vbrt::Int(vbrt::CDbl(columns));
    const double rs = vbrt::Int(vbrt::CDbl(rows));
    if (!(cols >= 1) || !(rs >= 1))
        return std::nullopt;
    const double column = vbrt::Int(double(float(width)) / cols);
    const double row = vbrt::Int(double(float(height)) / rs);
    if (!(column >= 1) || !(row >= 1) || row > 1e9)
        return std::nullopt;
    return Steps{column, int(row)};
}

namespace {
constexpr char kHex[] = "0123456789ABCDEF";
}

void appendCell(QByteArray& line, vbrt::Colour colour) {
    // The hexadecimal text of the value (two's complement for a negative one), padded to six.
    const uint32_t v = uint32_t(colour);
    const int shown = v > 0xFFFFFFFu ? 8 : v > 0xFFFFFFu ? 7 : 6;
    char buf[8];
    for (int i = 0; i < shown; ++i)
        buf[i] = kHex[(v >> (4 * (shown - 1 - i))) & 0xF];
    line.append(buf, shown);
}

QString cellText(vbrt::Colour colour) {
    QByteArray b;
    appendCell(b, colour);
    return QString::fromLatin1(b);
}

WriteOutcome writeColumnLines(const QString& path, const ui::PictureBox& area, const Steps& steps,
                              const CellWriter& cell, const Pacing& pacing,
                              const ColumnLines& how) {
    vbrt::ReplaceFile file(path);
    if (const vbrt::WriteResult opened = file.open(); !opened)
        return {WriteStatus::Failed, opened.error};
    if (how.waitFirst && !pacing.pause())
        return {WriteStatus::Stopped, {}};
    double count = 0;
    QByteArray line;
    const bool walked = walkGrid(
        area, steps,
        [&](int c, int r, double x, float y) {
            cell(c, r, x, y, line);
            line.append('\t');
            count += 1;
        },
        [&](int) {
            line.append(vbrt::CStr(count).toLatin1());
            line.append("\r\n");
            const bool ok = file.write(line);
            line.resize(0);
            if (how.beforeWait)
                how.beforeWait();
            return ok && pacing.pause();
        });
    if (walked && !how.tail.isEmpty())
        file.write(how.tail);
    if (!file.error().isEmpty())
        return {WriteStatus::Failed, file.error()};
    if (!walked)
        return {WriteStatus::Stopped, {}};
    if (const vbrt::WriteResult committed = file.commit(); !committed)
        return {WriteStatus::Failed, committed.error};
    return {WriteStatus::Written, {}};
}

WriteOutcome writePixelSet(const QString& path, const ui::PictureBox& area, const Steps& steps,
                           SetTail tail, const Pacing& pacing) {
    ColumnLines how;
    how.tail = tail == SetTail::EmptyLine ? QByteArrayView("\r\n")
               : tail == SetTail::CrLfLine ? QByteArrayView("\r\n\r\n")
                                           : QByteArrayView();
    return writeColumnLines(
        path, area, steps,
        [&area](int, int, double x, float y, QByteArray& line) {
            appendCell(line, area.Point(x, y));
        },
        pacing, how);
}

} // namespace pixelsets
