#pragma once

#include "ui/picture_box.h"
#include "vbrt/colour.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Sampling the drawing area on a regular grid and the pixel-set file that keeps a sampling:
// one line per column, per sample its colour as six hexadecimal digits and a TAB, then the
// running count of samples, CR LF.
namespace pixelsets {

// What a long pass does between two columns. The program waits 0.01 s with events running,
// so the window stays responsive; the pass stops when the wait reports that its window went
// away meanwhile.
struct Pacing {
    std::function<bool()> betweenColumns;

    // Returns false to stop the pass.
    bool pause() const { return betweenColumns ? betweenColumns() : true; }
    // No wait at all: the work alone (benchmarks).
    static Pacing none() { return {}; }
};

// The steps of one click: every sampling, comparison and redraw of the click walks with
// them. Both are at least one unit.
struct Steps {
    double column = 0;
    int row = 0;
};

// The steps from the grid boxes (columns, rows) and the drawing area's outer size. Nothing
// when a box holds no number, a count below 1, or a count that gives a step below one unit:
// no walk can then run with a step of 0.
std::optional<Steps> stepsFromBoxes(const QString& columns, const QString& rows, double width,
                                    double height);

// Walks the grid over the drawing area: abscissas 0, step, ... up to the outer width minus
// the step (read once), and in each column the ordinates 0, step, ... up to the outer height
// minus the step (read at the start of the column, single precision, so a resize between two
// columns changes the rows of the next). sample(c, r, x, y) counts columns and rows from 0;
// columnDone(c) runs after each column and returns false to stop. False when stopped.
template <class Sample, class ColumnDone>
bool walkGrid(const ui::PictureBox& area, const Steps& steps, Sample&& sample,
              ColumnDone&& columnDone) {
    const double xLimit = double(float(area.Width())) - steps.column;
    int c = 0;
    for (double x = 0; x <= xLimit; x += steps.column, ++c) {
        const float yLimit = float(area.Height()) - float(steps.row);
        int r = 0;
        for (float y = 0; y <= yLimit; y += float(steps.row), ++r)
            sample(c, r, x, y);
        if (!columnDone(c))
            return false;
    }
    return true;
}

// The cell text of a sampled colour: upper-case hexadecimal, left-padded with zeros to six
// digits; -1 (outside the drawable area) gives FFFFFFFF.
QString cellText(vbrt::Colour colour);
void appendCell(QByteArray& line, vbrt::Colour colour);

enum class WriteStatus { Written, Failed, Stopped };

struct WriteOutcome {
    WriteStatus status = WriteStatus::Failed;
    // Why a failed write failed, for the user.
    QString error;
};

// What a column-line writer does besides its lines.
struct ColumnLines {
    // Waits once before the first column too.
    bool waitFirst = false;
    // Written after the last column's line.
    QByteArrayView tail;
    // Runs after each column's line is written, before the wait: a cell that views data an
    // event may change during the wait is copied here.
    std::function<void()> beforeWait;
};

// Appends the cell of sample (c, r) at (x, y) to its column's line.
using CellWriter = std::function<void(int c, int r, double x, float y, QByteArray& line)>;

// Writes one line per grid column: for each sample its cell and a TAB, then the running count
// of samples, CR LF; `pacing` waits after every column. The file is replaced only by a
// complete write: a walk that is stopped or a write that fails leaves the file as it was (or
// absent), never cut off.
WriteOutcome writeColumnLines(const QString& path, const ui::PictureBox& area, const Steps& steps,
                              const CellWriter& cell, const Pacing& pacing,
                              const ColumnLines& how = {});

// What follows the last column line of a pixel set: nothing, one empty line (the monitoring's
// reference), or a line whose text is CR LF (a set that replaced an existing file).
enum class SetTail { None, EmptyLine, CrLfLine };

// Samples the drawing area into a pixel-set file (replacing what the file held).
WriteOutcome writePixelSet(const QString& path, const ui::PictureBox& area, const Steps& steps,
                           SetTail tail, const Pacing& pacing);

} // namespace pixelsets
