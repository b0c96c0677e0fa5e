#include "pixelsets/redraw.h"

namespace pixelsets {

namespace {
bool isStar(QByteArrayView cell) {
    return cell.size() == 1 && cell[0] == '*';
}
} // namespace

vbrt::Colour cellColour(QByteArrayView cell, Channels& parts) {
    decodeCell(cell, parts);
    return vbrt::RGB(parts.r, parts.g, parts.b);
}

void drawDot(ui::PictureBox& area, double x, double y, int radius, vbrt::Colour colour) {
    area.setFillStyle(0);
    area.setFillColor(colour);
    area.Circle(x, y, radius, colour);
}

bool redrawChanged(ui::PictureBox& area, const app::TextGrid& a, const Steps& steps, bool oneColour,
                   const vbrt::Colour& pen, const Pacing& pacing) {
    GridReader cells{a};
    return walkCells(
        area, steps, pacing,
        [&](int c, int r, double x, float y) {
            const QByteArrayView cell = cells.read(c, r);
            if (isStar(cell))
                return;
            // The parts go back to 0 after every dot, so a part that cannot be read is 0.
            Channels parts;
            const vbrt::Colour own = cellColour(cell, parts);
            drawDot(area, x, y, steps.row, oneColour ? pen : own);
        },
        cells);
}

bool compareRedraw(ui::PictureBox& area, const app::TextGrid& a, const app::TextGrid& b,
                   const Steps& steps, DiffTest test, const ThresholdText& thresholdText,
                   const vbrt::Colour& pen, const Pacing& pacing) {
    GridReader first{a}, second{b};
    std::optional<int16_t> t;
    int column = -1;
    return walkCells(
        area, steps, pacing,
        [&](int c, int r, double x, float y) {
            if (c != column) {
                column = c;
                t = threshold(thresholdText());
            }
            const vbrt::Colour colourA = cellColour(first.read(c, r), first.ch);
            cellColour(second.read(c, r), second.ch);
            drawDot(area, x, y, steps.row, test(first.ch, second.ch, t) ? pen : colourA);
        },
        first, second);
}

bool overlayRedraw(ui::PictureBox& area, const app::TextGrid& a, const app::TextGrid& c,
                   const Steps& steps, const Pacing& pacing) {
    GridReader cells{a}, colours{c};
    return walkCells(
        area, steps, pacing,
        [&](int col, int r, double x, float y) {
            if (isStar(cells.read(col, r)))
                return;
            drawDot(area, x, y, steps.row, cellColour(colours.read(col, r), colours.ch));
        },
        cells, colours);
}

bool ownColourRedraw(ui::PictureBox& area, const app::TextGrid& a, const Steps& steps,
                     const Pacing& pacing) {
    GridReader cells{a};
    return walkCells(
        area, steps, pacing,
        [&](int c, int r, double x, float y) {
            const QByteArrayView cell = cells.read(c, r);
            if (isStar(cell))
                return;
            drawDot(area, x, y, steps.row, cellColour(cell, cells.ch));
        },
        cells);
}

namespace {
// A sample counts as changed unless its cell is "*"; beyond the grid (the line's running count,
// or nothing) it counts as changed.
bool changed(const app::TextGrid& grid, int c, int r) {
    if (c > app::TextGrid::kUpper || r + 1 > app::TextGrid::kUpper)
        return true;
    return !isStar(grid.cell(c, r + 1));
}
} // namespace

bool scoreChanged(ui::PictureBox& area, const app::TextGrid& grid, const Steps& steps,
                  vbrt::Colour pen, const Pacing& pacing, double& level) {
    return walkCells(area, steps, pacing, [&](int c, int r, double x, float y) {
        if (!changed(grid, c, r))
            return;
        if (changed(grid, c + 2, r + 2) && changed(grid, c, r + 2) && changed(grid, c + 2, r)) {
            drawDot(area, x, y, steps.row, pen);
            level += 1;
        }
    });
}

} // namespace pixelsets
