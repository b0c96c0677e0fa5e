#include "pixelsets/redraw.h"

namespace pixelsets {

namespace {
bool isStar(QByteArrayView cell) {
    return cell.size() == 1 && cell[0] == '*';
}

// Walks the grid; sample(dots, c, r, x, y) draws its dots through `dots`, a column's dots in
// one batch that asks for one repaint. After each column the readers keep their cells across
// the wait, and the pacing waits. False when stopped.
template <class Sample, class... Readers>
bool walkDots(ui::PictureBox& area, const Steps& steps, const Pacing& pacing, Sample&& sample,
              Readers&... readers) {
    std::optional<ui::PictureBox::Dots> dots;
    return walkGrid(
        area, steps, [&](int, double) { dots.emplace(area, steps.row); },
        [&](int c, int r, double x, float y) { sample(*dots, c, r, x, y); },
        [&](int) {
            dots.reset();
            (readers.keepAcrossWait(), ...);
            return pacing.pause();
        });
}
} // namespace

vbrt::Colour cellColour(QByteArrayView cell, Channels& parts) {
    decodeCell(cell, parts);
    return vbrt::RGB(parts.r, parts.g, parts.b);
}

bool redrawChanged(ui::PictureBox& area, const app::TextGrid& a, const Steps& steps, bool oneColour,
                   const vbrt::Colour& pen, const Pacing& pacing) {
    GridReader cells{a};
    return walkDots(
        area, steps, pacing,
        [&](ui::PictureBox::Dots& dots, int c, int r, double x, float y) {
            const QByteArrayView cell = cells.read(c, r);
            if (isStar(cell))
                return;
            if (oneColour) {
                dots.draw(x, y, pen);
                return;
            }
            // The parts go back to 0 after every dot, so a part that cannot be read is 0.
            Channels parts;
            dots.draw(x, y, cellColour(cell, parts));
        },
        cells);
}

bool compareRedraw(ui::PictureBox& area, const app::TextGrid& a, const app::TextGrid& b,
                   const Steps& steps, DiffTest test, const ThresholdText& thresholdText,
                   const vbrt::Colour& pen, const Pacing& pacing) {
    GridReader first{a}, second{b};
    std::optional<int16_t> t;
    int column = -1;
    return walkDots(
        area, steps, pacing,
        [&](ui::PictureBox::Dots& dots, int c, int r, double x, float y) {
            if (c != column) {
                column = c;
                t = threshold(thresholdText());
            }
            const vbrt::Colour colourA = cellColour(first.read(c, r), first.ch);
            cellColour(second.read(c, r), second.ch);
            dots.draw(x, y, test(first.ch, second.ch, t) ? pen : colourA);
        },
        first, second);
}

bool overlayRedraw(ui::PictureBox& area, const app::TextGrid& a, const app::TextGrid& c,
                   const Steps& steps, const Pacing& pacing) {
    GridReader cells{a}, colours{c};
    return walkDots(
        area, steps, pacing,
        [&](ui::PictureBox::Dots& dots, int col, int r, double x, float y) {
            if (isStar(cells.read(col, r)))
                return;
            dots.draw(x, y, cellColour(colours.read(col, r), colours.ch));
        },
        cells, colours);
}

bool ownColourRedraw(ui::PictureBox& area, const app::TextGrid& a, const Steps& steps,
                     const Pacing& pacing) {
    GridReader cells{a};
    return walkDots(
        area, steps, pacing,
        [&](ui::PictureBox::Dots& dots, int c, int r, double x, float y) {
            const QByteArrayView cell = cells.read(c, r);
            if (isStar(cell))
                return;
            dots.draw(x, y, cellColour(cell, cells.ch));
        },
        cells);
}

bool scoreChanged(ui::PictureBox& area, const app::TextGrid& grid, const Steps& steps,
                  vbrt::Colour pen, const Pacing& pacing, double& level) {
    // The lines of the column and of the column two to the right, read anew at each column
    // (the grid may be loaded anew while the walk waits).
    int column = -1;
    app::TextGrid::LineCells here, right;
    // A sample counts as changed unless its cell is "*"; beyond the grid (the line's running
    // count, or nothing) it counts as changed.
    auto changed = [](const app::TextGrid::LineCells& line, int r) {
        return r + 1 > app::TextGrid::kUpper || !isStar(line(r + 1));
    };
    return walkDots(area, steps, pacing,
                    [&](ui::PictureBox::Dots& dots, int c, int r, double x, float y) {
                        if (c != column) {
                            column = c;
                            grid.line(c, here);
                            grid.line(c + 2, right);
                        }
                        if (!changed(here, r))
                            return;
                        if (changed(right, r + 2) && changed(here, r + 2) && changed(right, r)) {
                            dots.draw(x, y, pen);
                            level += 1;
                        }
                    });
}

} // namespace pixelsets
