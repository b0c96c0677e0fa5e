#include "pixelsets/pixel_set.h"

#include "vbrt/convert.h"
#include "vbrt/file_writer.h"

#include <algorithm>
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

GridSize gridSize(const ui::PictureBox& area, const Steps& steps) {
    // walkGrid's own loops (far edges a step short), without the samples, so that the counts
    // come out exactly as a walk makes them.
    GridSize size;
    const double xLimit = double(float(area.Width())) - steps.column;
    for (double x = 0; x <= xLimit; x += steps.column)
        size.columns += 1;
    const float yStep = float(steps.row);
    const float yLimit = float(area.Height()) - yStep;
    for (float y = 0; y <= yLimit; y += yStep)
        size.rows += 1;
    return size;
}

void Line::grow(size_t n) {
    const size_t capacity = std::max({2 * capacity_, size_ + n, size_t(256)});
    auto bytes = std::make_unique_for_overwrite<char[]>(capacity);
    if (size_ > 0)
        std::memcpy(bytes.get(), bytes_.get(), size_);
    bytes_ = std::move(bytes);
    capacity_ = capacity;
}

QString cellText(vbrt::Colour colour) {
    Line cell;
    appendCell(cell, colour);
    return QString::fromLatin1(cell.data(), qsizetype(cell.size()));
}

WriteOutcome writePixelSet(const QString& path, const ui::PictureBox& area, const Steps& steps,
                           SetTail tail, const Pacing& pacing) {
    ColumnLines how;
    how.tail = tail == SetTail::EmptyLine  ? QByteArrayView("\r\n")
               : tail == SetTail::CrLfLine ? QByteArrayView("\r\n\r\n")
                                           : QByteArrayView();
    struct Sampled {
        LiveColumn live;
        void column(int, double x) { live.begin(x); }
        void operator()(int, int r, double, float y, Line& line) {
            appendCell(line, live.at(r, y));
        }
    };
    return writeColumnLines(path, area, steps, Sampled{LiveColumn(area, steps.column)}, pacing,
                            how);
}

} // namespace pixelsets
