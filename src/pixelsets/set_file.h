#pragma once

#include "app/line_table.h"
#include "pixelsets/pixel_set.h"

#include <QString>

namespace pixelsets {

// A whole pixel set of the largest grid the line table holds: kTableUpper lines, each of
// kMaxTokens cells (six digits and a TAB), the count (below ten digits) and CR LF; about 105 MB.
constexpr qint64 kLargestWholeSet =
    qint64(app::LineTable::kTableUpper) * (qint64(app::TextGrid::kMaxTokens) * (6 + 1) + 10 + 2);
// The most a set file may hold: the largest whole set and as much again, room for cells
// written wider (FFFFFFFF) and for tails. A larger file is no pixel set; read whole, it would
// only take the memory before the line table refused it.
constexpr qint64 kMaxSetFileBytes = 2 * kLargestWholeSet;
// The line table keeps its positions into a loaded text in 32 bits: a text it is given must
// stay below 4 GiB.
static_assert(kMaxSetFileBytes < (qint64(1) << 32));

enum class SetLoad {
    Loaded,
    // The file cannot be read (missing, no regular file, no permission); `error` says why.
    Unreadable,
    // Larger than kMaxSetFileBytes; for a file, `error` says so in the user's words.
    TooLarge,
    // The line table refused it (more lines than it holds); `limit` says how many it holds.
    TooManyLines,
    // Read, but not one line of samples.
    Empty,
};

struct SetLoadResult {
    SetLoad status = SetLoad::Unreadable;
    int limit = 0;
    // Why a file was not read, in the user's words.
    QString error = {};
};

// Reads a set file whole into the line table (a CR LF added, as every reader of the sets
// does) and from there into `grid`. A file that is refused leaves table and grid as they were;
// an empty one leaves the grid as it was.
SetLoadResult loadSetFile(const QString& path, app::LineTable& lines, app::TextGrid& grid);
// The same for a set's text as the file would hold it, refused above the same size.
SetLoadResult loadSetText(QByteArray text, app::LineTable& lines, app::TextGrid& grid);

// Whether the set just loaded into the line table and `grid` is a whole pixel set of a grid
// of this size: a line per column, each with a cell per row and then the running count of
// the cells so far. A cell need not be a colour; a cut, garbled or foreign file fails.
bool isWholePixelSet(const app::LineTable& lines, const app::TextGrid& grid, GridSize size);

} // namespace pixelsets
