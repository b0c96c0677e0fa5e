// Texts through the line splitter and into a grid, read back cell by cell.

#include "app/line_table.h"
#include "fuzz.h"
#include "support/error_of.h"
#include "vbrt/errors.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// libFuzzer's own mutations; a build that only replays the corpus has none and never mutates.
extern "C" __attribute__((weak)) size_t LLVMFuzzerMutate(uint8_t* data, size_t size,
                                                         size_t maxSize);

namespace {

using app::LineTable;
using app::TextGrid;

// Inputs that start with a byte below kWideMark are read wide too (see
// LLVMFuzzerTestOneInput); of the mutants that do, one in kWideShare keeps that byte.
constexpr uint8_t kWideMark = 21;
constexpr unsigned kWideShare = 64;
// The longest mutant: a longer text has more lines of the kinds a short one has already, and
// each costs a little on every run.
constexpr size_t kLongest = 256;

// What the table holds before each input, so that a refused text has something to keep.
const QByteArray kEarlier = "Earlier\t1|2\r\ntext\r\n\r\r\n";

// The entries a refused text must leave as they were.
QStringList contents(const LineTable& table) {
    QStringList out{QString::number(table.lineCount)};
    for (int i = 0; i <= 4; ++i)
        out << table.recordLines(i) << table.lineArrayA(i) << table.lineArrayB(i);
    return out;
}

bool raisesSubscript(const TextGrid& grid, int line, int token) {
    return testing_support::errorOf([&] { grid(line, token); }) == vbrt::ErrSubscript;
}

// Checks the entries and grid rows from `first` on.
void checkAccepted(LineTable& table, QByteArrayView text, int first) {
    const double n = table.lineCount;
    fuzz::require(n >= 0 && n <= LineTable::kTableUpper && n == std::floor(n),
                  "a whole line count within the table");
    fuzz::require(n <= text.count('\r'), "no more lines than CRs");

    TextGrid& grid = table.pixelSetA;
    table.fillGrid(grid);
    std::vector<QString> lines;
    for (int i = std::min(first, int(n)); i <= n; ++i) {
        const QString entry = table.lineArrayA(i);
        fuzz::require(entry == table.lineArrayB(i), "both line tables alike");
        fuzz::require(entry.size() >= 2 && entry.front() == u'\t' && entry.back() == u'\t',
                      "an entry is its line wrapped in TABs");
        if (i < n) {
            fuzz::require(entry.size() > 2, "no empty line");
            fuzz::require(!entry.contains(u'\r'), "a line holds no CR");
            fuzz::require(std::none_of(entry.begin(), entry.end(),
                                       [](QChar c) { return c >= u'A' && c <= u'Z'; }),
                          "a line is lower-cased");
            lines.push_back(entry);
        } else {
            fuzz::require(entry.size() == 2, "the closing entry is two TABs");
        }

        // The tokens cut by hand at TAB and "|"; the wrapping TABs are the first and last cut.
        fuzz::require(grid.cell(i, 0).isEmpty(), "token 0 reads empty");
        int k = 0;
        qsizetype from = 1;
        for (qsizetype p = 1; p < entry.size() && k < TextGrid::kMaxTokens; ++p) {
            if (entry[p] != u'\t' && entry[p] != u'|')
                continue;
            ++k;
            fuzz::require(QLatin1StringView(grid.cell(i, k)) ==
                              QStringView(entry).sliced(from, p - from),
                          "a cell is its token");
            from = p + 1;
        }
        fuzz::require(grid.cell(i, k + 1).isEmpty(), "no token past the last");
    }
    std::sort(lines.begin(), lines.end());
    fuzz::require(std::adjacent_find(lines.begin(), lines.end()) == lines.end(), "every line once");
    fuzz::require(grid.cell(int(n) + 1, 1).isEmpty(), "no line past the table");
    fuzz::require(grid(0, 1) == QString::fromLatin1(grid.cell(0, 1)), "a cell read as text");
    fuzz::require(grid(TextGrid::kUpper, TextGrid::kUpper).isEmpty(), "the last cell is empty");
    // The indices are checked before the cells are looked at, so one filled grid answers for
    // every other; a raise costs as much as a whole run of a short input.
    static bool subscriptsChecked = false;
    if (subscriptsChecked)
        return;
    subscriptsChecked = true;
    fuzz::require(raisesSubscript(grid, -1, 0) && raisesSubscript(grid, 0, TextGrid::kUpper + 1),
                  "indices outside the grid raise the subscript error");
}

// The table with kEarlier split into it, and its entries.
const LineTable& earlier() {
    static const LineTable once = [] {
        LineTable t;
        t.split(kEarlier);
        return t;
    }();
    return once;
}
const QStringList& earlierContents() {
    static const QStringList once = contents(earlier());
    return once;
}

void check(QByteArrayView text, bool mustRefuse, int first) {
    LineTable table = earlier();
    const LineTable::SplitResult result = table.split(text);
    if (text.count('\r') > LineTable::kRecordUpper + 1)
        mustRefuse = true;
    if (result.status == LineTable::SplitStatus::Done) {
        fuzz::require(!mustRefuse, "a text over the limits is refused");
        checkAccepted(table, text, first);
        return;
    }
    fuzz::require(result.limit == LineTable::kTableUpper ||
                      result.limit == LineTable::kRecordUpper + 1,
                  "a refusal names its limit");
    fuzz::require(contents(table) == earlierContents(),
                  "a refused text leaves the table as it was");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(data, qsizetype(size));
    check(input, false, 0);

    // An input is far too short to reach the table's limits: one that starts with a byte
    // below kWideMark is also read as 2990 + that many numbered copies of its next bytes. Each
    // copy starts a line of its own, so more than 3000 copies make more than 3000 distinct
    // lines.
    if (input.isEmpty() || data[0] >= kWideMark)
        return 0;
    const int copies = 2990 + data[0];
    const QByteArrayView part = input.sliced(1).first(std::min<qsizetype>(input.size() - 1, 64));
    QByteArray wide;
    for (int i = 0; i < copies; ++i)
        wide.append(QByteArray::number(i)).append(part).append("\r\n");
    // Of so many lines, only the last few are read back.
    check(wide, copies > LineTable::kTableUpper, LineTable::kTableUpper - 3);
    return 0;
}

// A wide reading costs as much as a few hundred short ones, and every one finds new counts on
// the loops over its lines: left alone, the fuzzer would soon spend nearly every run on one.
// Of the mutants that start with a byte below kWideMark only one in kWideShare keeps it; the
// others start with another byte and are read only as they are.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    size = std::min(LLVMFuzzerMutate(data, size, maxSize), kLongest);
    if (size > 0 && data[0] < kWideMark && seed % kWideShare != 0)
        data[0] += kWideMark;
    return size;
}
