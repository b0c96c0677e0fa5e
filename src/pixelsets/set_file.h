#pragma once

#include "app/line_table.h"
#include "pixelsets/pixel_set.h"

#include <QString>

namespace pixelsets {

enum class SetLoad {
    Loaded,
    // The file cannot be read.
    Unreadable,
    // The line table refused it (more lines than it holds); `limit` says how many it holds.
    TooManyLines,
    // Read, but not one line of samples.
    Empty,
};

struct SetLoadResult {
    SetLoad status = SetLoad::Unreadable;
    int limit = 0;
};

// Reads a set file whole into the line table (a CR LF added, as every reader of the sets
// does) and from there into `grid`. A file that is refused leaves table and grid as they were;
// an empty one leaves the grid as it was.
SetLoadResult loadSetFile(const QString& path, app::LineTable& lines, app::TextGrid& grid);
// The same for a set's text as the file would hold it.
SetLoadResult loadSetText(QByteArray text, app::LineTable& lines, app::TextGrid& grid);

// Whether the set just loaded into the line table and `grid` is a whole pixel set of a grid
// of this size: a line per column, each with a cell per row and then the running count of
// the cells so far. A cell need not be a colour; a cut, garbled or foreign file fails.
bool isWholePixelSet(const app::LineTable& lines, const app::TextGrid& grid, GridSize size);

} // namespace pixelsets
