#pragma once

#include "app/line_table.h"
#include "pixelsets/pixel_set.h"

#include <QByteArrayView>
#include <QString>
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
// The cell completed to six characters, as a differing sample writes it.
void appendCompleted(QByteArray& line, QByteArrayView cell);

// The threshold of a test: the text as a 16-bit whole number (halves to even); nothing when
// it is none, and then every sample counts as differing.
std::optional<int16_t> threshold(const QString& text);

// The colour-distance test: the rounded-down length of the channel differences above T.
bool distanceDiffers(const Channels& a, const Channels& b, std::optional<int16_t> t);
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

    // The cell of grid point (c, r): grid cell (c, r + 1).
    QByteArrayView read(int c, int r) {
        if (c <= app::TextGrid::kUpper && r + 1 <= app::TextGrid::kUpper)
            cell = grid.cell(c, r + 1);
        return cell;
    }
    void keepAcrossWait() {
        held = cell.toByteArray();
        cell = held;
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
// grid holds it), completed to six characters. The monitoring's comparison is this one.
Comparison writeLiveDifference(const QString& path, const ui::PictureBox& area,
                               const app::TextGrid& set1, const Steps& steps,
                               const ThresholdText& thresholdText, const Pacing& pacing,
                               UnreadableCell unreadable = UnreadableCell::KeepsLastChannels);
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
