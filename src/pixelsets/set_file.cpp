#include "pixelsets/set_file.h"

#include "vbrt/file_reader.h"

#include <charconv>

namespace pixelsets {

SetLoadResult loadSetFile(const QString& path, app::LineTable& lines, app::TextGrid& grid) {
    vbrt::ReadResult read = vbrt::readFile(path, kMaxSetFileBytes);
    if (!read)
        return {read.kind == vbrt::ReadError::TooLarge ? SetLoad::TooLarge : SetLoad::Unreadable, 0,
                read.error};
    return loadSetText(std::move(read.bytes), lines, grid);
}

SetLoadResult loadSetText(QByteArray text, app::LineTable& lines, app::TextGrid& grid) {
    if (text.size() > kMaxSetFileBytes)
        return {SetLoad::TooLarge};
    text.append("\r\n");
    const auto split = lines.split(std::move(text));
    if (split.status != app::LineTable::SplitStatus::Done)
        return {SetLoad::TooManyLines, split.limit};
    if (!(lines.lineCount > 0))
        return {SetLoad::Empty};
    lines.fillGrid(grid);
    return {SetLoad::Loaded};
}

bool isWholePixelSet(const app::LineTable& lines, const app::TextGrid& grid, GridSize size) {
    if (size.columns < 1 || size.rows < 1 || size.rows + 2 > app::TextGrid::kUpper ||
        lines.lineCount != size.columns)
        return false;
    app::TextGrid::LineCells cells;
    for (int c = 0; c < size.columns; ++c) {
        grid.line(c, cells);
        char digits[24];
        const qint64 count = qint64(c + 1) * size.rows;
        const auto end = std::to_chars(digits, digits + sizeof digits, count).ptr;
        if (cells(size.rows + 1) != QByteArrayView(digits, end - digits) ||
            !cells(size.rows + 2).isEmpty())
            return false;
    }
    return true;
}

} // namespace pixelsets
