#pragma once

#include "ui/picture_box.h"
#include "vbrt/colour.h"
#include "vbrt/file_writer.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <charconv>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

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

// Where the last column and row of a walk may lie: a whole step short of the far edges (the
// pixel sets), or on them.
enum class FarEdge { StepShort, Included };

// Walks the grid over the drawing area: abscissas 0, step, ... up to the outer width minus
// the step (read once), and in each column the ordinates 0, step, ... up to the outer height
// minus the step (read at the start of the column, single precision, so a resize between two
// columns changes the rows of the next); with FarEdge::Included up to the width and height
// themselves. beginColumn(c, x) runs before the samples of a column, sample(c, r, x, y) for
// each of them (columns and rows count from 0), and columnDone(c) after them; it returns false
// to stop. False when stopped. Events run only in columnDone: whatever a column reads stays
// valid for its samples.
template <class BeginColumn, class Sample, class ColumnDone>
bool walkGrid(const ui::PictureBox& area, const Steps& steps, BeginColumn&& beginColumn,
              Sample&& sample, ColumnDone&& columnDone, FarEdge edge = FarEdge::StepShort) {
    const bool stepShort = edge == FarEdge::StepShort;
    const double xStep = steps.column;
    const float yStep = float(steps.row);
    const double xLimit = double(float(area.Width())) - (stepShort ? xStep : 0.0);
    int c = 0;
    for (double x = 0; x <= xLimit; x += xStep, ++c) {
        const float yLimit = float(area.Height()) - (stepShort ? yStep : 0.0f);
        beginColumn(c, x);
        int r = 0;
        for (float y = 0; y <= yLimit; y += yStep, ++r)
            sample(c, r, x, y);
        if (!columnDone(c))
            return false;
    }
    return true;
}
template <class Sample, class ColumnDone>
bool walkGrid(const ui::PictureBox& area, const Steps& steps, Sample&& sample,
              ColumnDone&& columnDone) {
    return walkGrid(
        area, steps, [](int, double) {}, sample, columnDone);
}

// How many columns, and rows in each, a walk of the drawing area takes at its present size.
struct GridSize {
    int columns = 0;
    int rows = 0;
};
GridSize gridSize(const ui::PictureBox& area, const Steps& steps);

// Column lines while they are built. A walk appends a few bytes per sample: unlike a
// std::string this writes no terminator after them and has no small-buffer case to tell apart.
class Line {
public:
    Line& operator+=(char c) {
        *room(1) = c;
        size_ += 1;
        return *this;
    }
    Line& operator+=(std::string_view s) {
        append(s.data(), s.size());
        return *this;
    }
    void append(const char* bytes, size_t n) {
        // An empty cell may come without any bytes at all.
        if (n == 0)
            return;
        char* to = room(n);
        // A cell as written, copied inline rather than through a call.
        if (n == 6)
            std::memcpy(to, bytes, 6);
        else
            std::memcpy(to, bytes, n);
        size_ += n;
    }
    void append(size_t n, char c) {
        if (n == 0)
            return;
        std::memset(room(n), c, n);
        size_ += n;
    }
    const char* data() const { return bytes_.get(); }
    size_t size() const { return size_; }
    void clear() { size_ = 0; }

private:
    char* room(size_t n) {
        if (capacity_ - size_ < n)
            grow(n);
        return bytes_.get() + size_;
    }
    void grow(size_t n);

    std::unique_ptr<char[]> bytes_;
    size_t size_ = 0, capacity_ = 0;
};

// The cell text of a sampled colour: upper-case hexadecimal, left-padded with zeros to six
// digits; -1 (outside the drawable area) gives FFFFFFFF.
QString cellText(vbrt::Colour colour);
namespace detail {
// "00" .. "FF": the two digits of every byte.
inline constexpr auto kHexPairs = [] {
    std::array<std::array<char, 2>, 256> pairs{};
    constexpr char digits[] = "0123456789ABCDEF";
    for (int b = 0; b < 256; ++b)
        pairs[size_t(b)] = {digits[b >> 4], digits[b & 15]};
    return pairs;
}();
} // namespace detail
inline void appendCell(Line& line, vbrt::Colour colour) {
    // The hexadecimal text of the value (two's complement for a negative one), padded to six.
    const uint32_t v = uint32_t(colour);
    char buf[8];
    std::memcpy(buf, detail::kHexPairs[v >> 24].data(), 2);
    std::memcpy(buf + 2, detail::kHexPairs[(v >> 16) & 0xFF].data(), 2);
    std::memcpy(buf + 4, detail::kHexPairs[(v >> 8) & 0xFF].data(), 2);
    std::memcpy(buf + 6, detail::kHexPairs[v & 0xFF].data(), 2);
    const size_t shown = v > 0xFFFFFFFu ? 8 : v > 0xFFFFFFu ? 7 : 6;
    line.append(buf + 8 - shown, shown);
}

// Reads the drawing area's colours a column at a time, as Point() would. Reading a column
// alone touches one pixel per image row; so once the rows are known, the next columns (at the
// grid's step) are read together, row by row, and kept while nothing is drawn on the area.
class LiveColumn {
public:
    LiveColumn(const ui::PictureBox& area, double step) : area_(area), reader_(area), step_(step) {}
    // The image may have changed since the last column (events ran in between).
    void begin(double x) {
        const ui::PictureBox::PointReader reader(area_);
        if (!reader.sameScale(reader_))
            rows_.clear();
        const bool kept = reader.sameImage(reader_) && area_.drawCount() == drawCount_;
        reader_ = reader;
        drawCount_ = area_.drawCount();
        px_ = reader_.pixelX(x);
        if (kept && next_ < blockCount_ && blockX_[next_] == x) {
            readAhead(next_++);
            return;
        }
        aheadRows_ = 0;
        // The first column of a scale finds the rows; the others can then be read ahead.
        if (!rows_.empty())
            readBlock(x);
    }
    // Sample r of the column lies at y; every column has its rows at the same places, so
    // their pixel rows are worked out once.
    vbrt::Colour at(int r, float y) {
        if (size_t(r) < aheadRows_)
            return ahead_[r];
        if (size_t(r) >= rows_.size())
            rows_.resize(size_t(r) + 1, kUnknown);
        int& py = rows_[size_t(r)];
        if (py == kUnknown)
            py = reader_.pixelY(y);
        if (size_t(r) + kAhead < rows_.size())
            reader_.prefetch(px_, rows_[size_t(r) + kAhead]);
        return reader_.at(px_, py);
    }

private:
    static constexpr int kUnknown = INT_MIN;
    static constexpr size_t kAhead = 32;
    static constexpr int kBlock = 16;

    // This column and the next ones, row by row; abscissas by repeated addition, as the walk
    // makes them.
    void readBlock(double x) {
        const size_t rows = blockRows_ = rows_.size();
        block_.resize(size_t(kBlock) * rows);
        int px[kBlock];
        for (int k = 0; k < kBlock; ++k, x += step_) {
            blockX_[k] = x;
            px[k] = reader_.pixelX(x);
        }
        for (size_t r = 0; r < rows; ++r)
            reader_.readRow(rows_[r], px, &block_[r], rows);
        blockCount_ = kBlock;
        readAhead(0);
        next_ = 1;
    }
    // The column is column k of the block.
    void readAhead(int k) {
        ahead_ = &block_[size_t(k) * blockRows_];
        aheadRows_ = blockRows_;
    }

    const ui::PictureBox& area_;
    ui::PictureBox::PointReader reader_;
    double step_;
    uint64_t drawCount_ = 0;
    int px_ = 0;
    std::vector<int> rows_;
    std::vector<vbrt::Colour> block_;
    size_t blockRows_ = 0;
    double blockX_[kBlock] = {};
    int blockCount_ = 0, next_ = 0;
    // The colours of this column's rows, when they were read ahead.
    const vbrt::Colour* ahead_ = nullptr;
    size_t aheadRows_ = 0;
};

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
    // Runs after each column's line, before the wait: a cell that views data an event may
    // change during the wait is copied here.
    std::function<void()> beforeWait;
    // When given, every byte is also kept here, and a file that cannot be written does not
    // stop the walk: the caller has the whole set either way.
    QByteArray* keep = nullptr;
};

// Writes one line per grid column: for each sample its cell and a TAB, then the running count
// of samples, CR LF; `pacing` waits after every column. `cell` has column(c, x), called
// before each column's samples, and cell(c, r, x, y, line), which appends the cell of sample
// (c, r) at (x, y). The file is replaced only by a complete write: a walk that is stopped or a
// write that fails leaves the file as it was (or absent), never cut off.
template <class Cell>
WriteOutcome writeColumnLines(const QString& path, const ui::PictureBox& area, const Steps& steps,
                              Cell&& cell, const Pacing& pacing, const ColumnLines& how = {}) {
    vbrt::ReplaceFile file(path);
    if (const vbrt::WriteResult opened = file.open(); !opened && !how.keep)
        return {WriteStatus::Failed, opened.error};
    if (how.waitFirst && !pacing.pause())
        return {WriteStatus::Stopped, {}};
    // The lines go to the file in batches: a write per column cost about as much as the
    // column's samples. Nothing reads the file before the commit, so a batch changes only when
    // a failed write is noticed.
    constexpr size_t kBatch = 64 * 1024;
    Line batch;
    auto send = [&] {
        const QByteArrayView bytes(batch.data(), qsizetype(batch.size()));
        if (how.keep)
            how.keep->append(bytes);
        const bool ok = file.write(bytes) || how.keep;
        batch.clear();
        return ok;
    };
    qint64 count = 0;
    const bool walked = walkGrid(
        area, steps, [&](int c, double x) { cell.column(c, x); },
        [&](int c, int r, double x, float y) {
            cell(c, r, x, y, batch);
            batch += '\t';
            count += 1;
        },
        [&](int) {
            char digits[24];
            batch.append(digits,
                         size_t(std::to_chars(digits, digits + sizeof digits, count).ptr - digits));
            batch += "\r\n";
            const bool ok = batch.size() < kBatch || send();
            if (how.beforeWait)
                how.beforeWait();
            return ok && pacing.pause();
        });
    if (walked && send() && !how.tail.isEmpty()) {
        file.write(how.tail);
        if (how.keep)
            how.keep->append(how.tail);
    }
    // A kept set is only whole when the walk was.
    if (!walked && how.keep)
        return {WriteStatus::Stopped, {}};
    if (!file.error().isEmpty())
        return {WriteStatus::Failed, file.error()};
    if (!walked)
        return {WriteStatus::Stopped, {}};
    if (const vbrt::WriteResult committed = file.commit(); !committed)
        return {WriteStatus::Failed, committed.error};
    return {WriteStatus::Written, {}};
}

// What follows the last column line of a pixel set: nothing, one empty line (the monitoring's
// reference), or a line whose text is CR LF (a set that replaced an existing file).
enum class SetTail { None, EmptyLine, CrLfLine };

// Samples the drawing area into a pixel-set file (replacing what the file held).
WriteOutcome writePixelSet(const QString& path, const ui::PictureBox& area, const Steps& steps,
                           SetTail tail, const Pacing& pacing);

} // namespace pixelsets
