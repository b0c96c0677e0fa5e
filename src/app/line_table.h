#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <concepts>
#include <cstdint>
#include <memory>
#include <vector>

// The line table and the three text grids that every pixel set, difference set and stroke
// file is read back into. They behave as the fixed-size text arrays the program indexes
// (cells never written read as empty text), but each loaded text is kept once, lower-cased,
// as the file's own bytes; entries and cells are positions into it. A loaded 800 x 600 set
// therefore costs about its file size instead of a 5001 x 5001 array of strings.
//
// The files are single-byte text: a byte is a character (Latin-1), so whatever a file holds
// comes back unchanged in the cells and in the files written from them. Only A-Z are
// lower-cased, for the same reason.
namespace app {

// One text as split into lines: shared by every entry and cell that refers into it, and
// freed once the last of them is overwritten.
struct LoadedText {
    QByteArray bytes;
};

// A text array with indices 0..upper whose entries read as empty text until written.
class TextArray {
public:
    explicit TextArray(int upper) : upper_(upper) {}

    int upperBound() const { return upper_; }
    // Raises the subscript error outside 0..upper.
    QString operator()(int i) const;
    void set(int i, const QString& text);

private:
    friend class LineTable;
    struct Entry {
        std::shared_ptr<const LoadedText> text;
        uint32_t offset = 0;
        uint32_t length = 0;
        // Line table entries are their line wrapped in TABs; the TABs are not stored.
        bool wrapped = false;
    };
    void check(int i) const;
    void put(int i, Entry e);
    // The entry's own text, for entries that are no line of a loaded text.
    static Entry own(const QByteArray& bytes);
    void clear() { entries_.clear(); }

    int upper_;
    std::vector<Entry> entries_; // grows to the highest entry written
};

// A text grid with both indices 0..5000: cell (line, token) is token `token` (from 1) of
// line `line` of the last load. A load replaces the whole grid: a cell that the new set does
// not reach reads empty, so nothing is ever compared or drawn against an earlier set.
class TextGrid {
public:
    static constexpr int kUpper = 5000;
    // Tokens from the 5000th on are not stored.
    static constexpr int kMaxTokens = 4999;

    // Raises the subscript error outside 0..5000.
    QString operator()(int line, int token) const;
    // The cell's bytes without a copy; empty for a cell never written. Valid until the next
    // load into this grid. Both indices must be within 0..5000.
    QByteArrayView cell(int line, int token) const;

    // The cells of one line, for reading many of them in a row: cells(token) is
    // cell(line, token). The line's bounds are copied once, widened, into a buffer the reader
    // keeps from line to line, so that reading a cell asks nothing about how they are stored.
    // Valid until the next load into this grid.
    class LineCells {
    public:
        QByteArrayView operator()(int token) const {
            if (token < 1 || token >= count_)
                return {};
            const uint32_t from = bounds_[size_t(token) - 1], to = bounds_[size_t(token)] - 1;
            return QByteArrayView(data_ + from, qsizetype(to - from));
        }

    private:
        friend class TextGrid;
        const char* data_ = nullptr;
        std::vector<uint32_t> bounds_;
        int count_ = 0; // bounds
    };
    // Points `cells` at line `line`; any line past the grid's has no cells.
    void line(int line, LineCells& cells) const;

private:
    friend class LineTable;
    // The tokens of a line: token k spans [start + b[k-1], start + b[k] - 1). Positions are
    // relative to the line, 16-bit where the line is short enough.
    struct Row {
        std::shared_ptr<const LoadedText> text;
        uint32_t start = 0;
        std::vector<uint16_t> b16;
        std::vector<uint32_t> b32;
        int tokens() const;
        uint32_t bound(int k) const { return b32.empty() ? b16[size_t(k)] : b32[size_t(k)]; }
    };

    std::vector<Row> rows_;
};

class LineTable {
public:
    static constexpr int kTableUpper = 3000;
    static constexpr int kRecordUpper = 100000;

    // Working table: the lines of the last split text before repeats and empty lines go.
    TextArray recordLines{kRecordUpper};
    // The line table: entry i is TAB, line i, TAB; entry lineCount is TAB TAB.
    TextArray lineArrayA{kTableUpper};
    TextArray lineArrayB{kTableUpper};
    double lineCount = 0;
    TextGrid pixelSetA, pixelSetB, pixelSetC;

    enum class SplitStatus { Done, TooManyLines };
    struct SplitResult {
        SplitStatus status = SplitStatus::Done;
        // For a refused text: the limit it went over.
        int limit = 0;
    };

    // The line splitter: the distinct non-empty lines of the text (a file's bytes, read
    // whole), lower-cased, in the order of their last occurrence. A line ends at a CR; the
    // character after each CR is skipped as the LF of a CR LF pair, and a CR in its place
    // ends an empty line (CR CR LF); text after the last CR is not taken. The tables are
    // replaced whole. A text that does not fit them is refused and leaves them as they were.
    SplitResult split(QByteArrayView bytes);
    // The same for a buffer the caller hands over: it is lower-cased in place and kept as the
    // loaded text, so a file read whole is not copied. Only an rvalue QByteArray comes here;
    // a literal, which converts to both, goes to the view.
    template <std::same_as<QByteArray> Bytes> SplitResult split(Bytes&& bytes) {
        return splitOwned(std::move(bytes));
    }

    // Replaces the grid by entries 0..lineCount of the line table split at TAB or "|"; an
    // empty table (lineCount 0 or less) leaves the grid empty.
    void fillGrid(TextGrid& grid);

    // The one writer of caculator.txt and of the grids at a time: a comparison, overlay or
    // monitoring round holds it while it loads, compares and redraws. Everything runs on one
    // thread and a later path only ever runs nested inside an earlier one's waits, so the
    // later one cannot wait for the earlier; it gives up (a monitoring round runs again at
    // its next tick, a button tells the user).
    class WriterHold {
    public:
        explicit WriterHold(LineTable& table);
        ~WriterHold();
        WriterHold(const WriterHold&) = delete;
        WriterHold& operator=(const WriterHold&) = delete;
        // False when another path holds the writer.
        bool held() const { return table_ != nullptr; }
        explicit operator bool() const { return held(); }

    private:
        LineTable* table_;
    };
    bool writerBusy() const { return writerBusy_; }

private:
    SplitResult splitOwned(QByteArray&& bytes);

    bool writerBusy_ = false;
};

} // namespace app
