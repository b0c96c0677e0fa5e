#include "pixelsets/set_file.h"

#include <QFile>

namespace pixelsets {

SetLoadResult loadSetFile(const QString& path, app::LineTable& lines, app::TextGrid& grid) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {SetLoad::Unreadable};
    QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {SetLoad::Unreadable};
    return loadSetText(std::move(text), lines, grid);
}

SetLoadResult loadSetText(QByteArray text, app::LineTable& lines, app::TextGrid& grid) {
    text.append("\r\n");
    const auto split = lines.split(std::move(text));
    if (split.status != app::LineTable::SplitStatus::Done)
        return {SetLoad::TooManyLines, split.limit};
    if (!(lines.lineCount > 0))
        return {SetLoad::Empty};
    lines.fillGrid(grid);
    return {SetLoad::Loaded};
}

} // namespace pixelsets
