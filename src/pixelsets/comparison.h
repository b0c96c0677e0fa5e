#pragma once

#include "app/line_table.h"
#include "pixelsets/pixel_set.h"

#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

// The point-by-point colour comparison of two samplings on the sampling grid and the
// difference-set file it writes: the layout of a pixel set with "*" where a sample is equal
// and a colour cell where it differs.
namespace pixelsets {

// Red, green and blue of a cell text, 0..255 each.
struct Channels {
    int16_t r = 0, g = 0, b = 0;
};

// Reads a cell by the rule that every comparison and redraw shares: a cell shorter than six
// characters is first left-padded with zeros (an empty one stays empty); red is its last two
// characters as a hexadecimal number, green the two before, blue the two before those. A part
// that is no hexadecimal number keeps the value it had in `ch`. True when all three parts
// were read.
bool decodeCell(QByteArrayView cell, Channels& ch);
namespace detail {
// The value of every hexadecimal digit, either case; -1 for any other byte.
inline constexpr auto kHexValue = [] {
    std::array<int8_t, 256> v{};
    v.fill(-1);
    for (int d = 0; d < 10; ++d)
        v[size_t('0' + d)] = int8_t(d);
    for (int d = 0; d < 6; ++d)
        v[size_t('a' + d)] = v[size_t('A' + d)] = int8_t(10 + d);
    return v;
}();
// The value of every two bytes as a two-digit hexadecimal number, the first byte in the low
// half of the index; -1 for any pair that is not two digits.
extern const std::array<int16_t, 65536> kHexPairValue;
bool decodeOddCell(QByteArrayView cell, Channels& ch);
} // namespace detail
inline bool decodeCell(QByteArrayView cell, Channels& ch) {
    if (cell.size() != 6)
        return detail::decodeOddCell(cell, ch);
    // Six digits, the cell every writer writes: a lookup per pair.
    auto pair = [&cell](int at) {
        return detail::kHexPairValue[uchar(cell[at]) | uchar(cell[at + 1]) << 8];
    };
    const int16_t b = pair(0), g = pair(2), r = pair(4);
    if ((r | g | b) < 0)
        return detail::decodeOddCell(cell, ch);
    ch = {r, g, b};
    return true;
}
// The cell completed to six characters, as a differing sample writes it.
inline void appendCompleted(Line& line, QByteArrayView cell) {
    if (!cell.isEmpty() && cell.size() < 6)
        line.append(size_t(6 - cell.size()), '0');
    line.append(cell.data(), size_t(cell.size()));
}

// The threshold of a test: the text as a 16-bit whole number (halves to even); nothing when
// it is none, and then every sample counts as differing.
std::optional<int16_t> threshold(const QString& text);

// The colour-distance test: the rounded-down length of the channel differences above T. The
// rounded-down length is above T exactly when the squared length reaches (T + 1) squared;
// every length is above a negative T, and above none.
inline int distanceLimit(std::optional<int16_t> t) {
    const int next = t ? *t + 1 : 0;
    return next <= 0 ? 0 : next * next;
}
inline bool distanceReaches(const Channels& a, const Channels& b, int limit) {
    const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return dr * dr + dg * dg + db * db >= limit;
}
inline bool distanceDiffers(const Channels& a, const Channels& b, std::optional<int16_t> t) {
    return distanceReaches(a, b, distanceLimit(t));
}
// The template button's channel test, first colour and second colour in this order: the
// brighter colour's two smaller channels below the brightness difference, or two channel
// differences both above T (no two of the three equal).
bool templateDiffers(const Channels& first, const Channels& second, std::optional<int16_t> t);

using DiffTest = bool (*)(const Channels&, const Channels&, std::optional<int16_t>);

// Reads one side of a walk from a grid. A position beyond the grid's bounds reuses the
// previous sample's cell; that cell is copied before a wait, when the grid may change.
struct GridReader {
    const app::TextGrid& grid;
    Channels ch{};
    QByteArrayView cell{};
    QByteArray held{};
    // The line of the column being read.
    int line = -1;
    app::TextGrid::LineCells cells{};

    // The cell of grid point (c, r): grid cell (c, r + 1).
    QByteArrayView read(int c, int r) {
        if (c > app::TextGrid::kUpper || r + 1 > app::TextGrid::kUpper)
            return cell;
        if (c != line) {
            line = c;
            grid.line(c, cells);
        }
        cell = cells(r + 1);
        return cell;
    }
    void keepAcrossWait() {
        held = cell.toByteArray();
        cell = held;
        line = -1; // the grid may be loaded anew meanwhile
    }
};

struct Comparison : WriteOutcome {
    // Samples written as differing.
    double differing = 0;
};

// The threshold text as it is now (it is read anew at every column: no event runs within
// one).
using ThresholdText = std::function<QString()>;

// What a comparison makes of a stored cell that is missing or no colour: the button flows
// compare it with the channels the cell before left; the monitoring counts it as changed.
enum class UnreadableCell { KeepsLastChannels, Differs };

// Live drawing area against set 1: a differing sample gets set 1's cell (lower case, as the
// grid holds it), completed to six characters. The monitoring's comparison is this one; it
// keeps the set in `keep` too, so that a file that cannot be written does not decide what the
// comparison found.
Comparison writeLiveDifference(const QString& path, const ui::PictureBox& area,
                               const app::TextGrid& set1, const Steps& steps,
                               const ThresholdText& thresholdText, const Pacing& pacing,
                               UnreadableCell unreadable = UnreadableCell::KeepsLastChannels,
                               QByteArray* keep = nullptr);
// Set 1 against set 2 on the grid of the drawing area: a differing sample gets set 2's cell.
Comparison writeSetDifference(const QString& path, const ui::PictureBox& area,
                              const app::TextGrid& set1, const app::TextGrid& set2,
                              const Steps& steps, const ThresholdText& thresholdText,
                              const Pacing& pacing);
// Live drawing area against a template with the channel test: a changed sample gets the
// live cell in upper case.
Comparison writeTemplateDifference(const QString& path, const ui::PictureBox& area,
                                   const app::TextGrid& templ, const Steps& steps,
                                   const ThresholdText& thresholdText, const Pacing& pacing);

} // namespace pixelsets
