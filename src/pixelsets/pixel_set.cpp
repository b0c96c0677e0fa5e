#include "pixelsets/pixel_set.h"

#include "vbrt/convert.h"

#include <QFile>
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

WriteStatus writePixelSet(const QString& path, const ui::PictureBox& area, const Steps& steps,
                          bool tail, const Pacing& pacing) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return WriteStatus::Failed;
    double count = 0;
    bool ok = true;
    QByteArray line;
    const bool walked = walkGrid(
        area, steps,
        [&](int, int, double x, float y) {
            appendCell(line, area.Point(x, y));
            line.append('\t');
            ++count;
        },
        [&](int) {
            line.append(vbrt::CStr(count).toLatin1());
            line.append("\r\n");
            ok = ok && file.write(line) == line.size();
            line.clear();
            return ok && pacing.pause();
        });
    if (!walked)
        return ok ? WriteStatus::Stopped : WriteStatus::Failed;
    if (tail)
        ok = file.write("\r\n") == 2;
    file.close();
    return ok && file.error() == QFileDevice::NoError ? WriteStatus::Written : WriteStatus::Failed;
}

} // namespace pixelsets
