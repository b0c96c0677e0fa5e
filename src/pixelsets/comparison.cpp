#include "pixelsets/comparison.h"

#include "shell/routines.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <cmath>
#include <cstdlib>

namespace pixelsets {

namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Character j (from 0) of the cell as completed to six characters.
char completedAt(QByteArrayView cell, qsizetype j) {
    const qsizetype pad = cell.size() < 6 ? 6 - cell.size() : 0;
    return j < pad ? '0' : cell[j - pad];
}

bool decodePart(QByteArrayView cell, qsizetype at, int16_t& part) {
    const int hi = hexDigit(completedAt(cell, at));
    const int lo = hexDigit(completedAt(cell, at + 1));
    if (hi < 0 || lo < 0)
        return false;
    part = int16_t(hi * 16 + lo);
    return true;
}
} // namespace

bool decodeCell(QByteArrayView cell, Channels& ch) {
    if (cell.isEmpty())
        return false; // no part can be read
    const qsizetype n = std::max<qsizetype>(6, cell.size());
    const bool r = decodePart(cell, n - 2, ch.r);
    const bool g = decodePart(cell, n - 4, ch.g);
    const bool b = decodePart(cell, n - 6, ch.b);
    return r && g && b;
}

void appendCompleted(QByteArray& line, QByteArrayView cell) {
    if (!cell.isEmpty() && cell.size() < 6)
        line.append(6 - cell.size(), '0');
    line.append(cell);
}

std::optional<int16_t> threshold(const QString& text) {
    try {
        return vbrt::CInt(text);
    } catch (const vbrt::RuntimeError&) {
        return std::nullopt;
    }
}

bool distanceDiffers(const Channels& a, const Channels& b, std::optional<int16_t> t) {
    const int dr = std::abs(a.r - b.r), dg = std::abs(a.g - b.g), db = std::abs(a.b - b.b);
    const int d = int(std::floor(std::sqrt(double(dr * dr + dg * dg + db * db))));
    return !t || d > *t;
}

bool templateDiffers(const Channels& first, const Channels& second, std::optional<int16_t> t) {
    if (!t)
        return true;
    const int16_t dr = int16_t(std::abs(first.r - second.r));
    const int16_t dg = int16_t(std::abs(first.g - second.g));
    const int16_t db = int16_t(std::abs(first.b - second.b));
    const int s1 = first.r + first.g + first.b;
    const int s2 = second.r + second.g + second.b;
    const int ds = std::abs(s1 - s2);
    const int m = s1 > s2 ? s1 - shell::max3(first.r, first.g, first.b)
                          : s2 - shell::max3(second.r, second.g, second.b);
    return ds > m || (shell::max3(dr, dg, db) > *t && shell::max2(dr, dg, db) > *t);
}

namespace {
// The live side: the cell text of the drawing area at a point.
struct LiveSide {
    const ui::PictureBox& area;
    Channels ch;
    QByteArray cell;

    void read(double x, float y) {
        cell.resize(0);
        appendCell(cell, area.Point(x, y));
        decodeCell(cell, ch);
    }
};

// Waits, then writes one line per column: what `decide` appends for each sample, then the
// running count. decide(c, r, x, y, threshold, line) returns whether the sample differs; the
// threshold is read anew at every column.
template <class Decide, class BeforeWait>
Comparison writeDifference(const QString& path, const ui::PictureBox& area, const Steps& steps,
                           const ThresholdText& thresholdText, const Pacing& pacing,
                           Decide&& decide, BeforeWait&& beforeWait) {
    double differing = 0;
    std::optional<int16_t> t;
    int column = -1;
    ColumnLines how;
    how.waitFirst = true;
    how.beforeWait = beforeWait;
    const WriteOutcome written = writeColumnLines(
        path, area, steps,
        [&](int c, int r, double x, float y, QByteArray& line) {
            if (c != column) {
                column = c;
                t = threshold(thresholdText());
            }
            if (decide(c, r, x, y, t, line))
                differing += 1;
        },
        pacing, how);
    return {written, differing};
}
} // namespace

Comparison writeLiveDifference(const QString& path, const ui::PictureBox& area,
                               const app::TextGrid& set1, const Steps& steps,
                               const ThresholdText& thresholdText, const Pacing& pacing,
                               UnreadableCell unreadable) {
    GridReader stored{set1};
    LiveSide live{area, {}, {}};
    return writeDifference(
        path, area, steps, thresholdText, pacing,
        [&](int c, int r, double x, float y, std::optional<int16_t> t, QByteArray& line) {
            live.read(x, y);
            const bool readable = decodeCell(stored.read(c, r), stored.ch);
            const bool counts = !readable && unreadable == UnreadableCell::Differs;
            if (!counts && !distanceDiffers(stored.ch, live.ch, t)) {
                line.append('*');
                return false;
            }
            appendCompleted(line, stored.cell);
            return true;
        },
        [&] { stored.keepAcrossWait(); });
}

Comparison writeSetDifference(const QString& path, const ui::PictureBox& area,
                              const app::TextGrid& set1, const app::TextGrid& set2,
                              const Steps& steps, const ThresholdText& thresholdText,
                              const Pacing& pacing) {
    GridReader first{set1};
    GridReader second{set2};
    return writeDifference(
        path, area, steps, thresholdText, pacing,
        [&](int c, int r, double, float, std::optional<int16_t> t, QByteArray& line) {
            decodeCell(second.read(c, r), second.ch);
            decodeCell(first.read(c, r), first.ch);
            if (!distanceDiffers(first.ch, second.ch, t)) {
                line.append('*');
                return false;
            }
            appendCompleted(line, second.cell);
            return true;
        },
        [&] {
            first.keepAcrossWait();
            second.keepAcrossWait();
        });
}

Comparison writeTemplateDifference(const QString& path, const ui::PictureBox& area,
                                   const app::TextGrid& templ, const Steps& steps,
                                   const ThresholdText& thresholdText, const Pacing& pacing) {
    GridReader stored{templ};
    LiveSide live{area, {}, {}};
    return writeDifference(
        path, area, steps, thresholdText, pacing,
        [&](int c, int r, double x, float y, std::optional<int16_t> t, QByteArray& line) {
            live.read(x, y);
            decodeCell(stored.read(c, r), stored.ch);
            if (!templateDiffers(live.ch, stored.ch, t)) {
                line.append('*');
                return false;
            }
            line.append(live.cell);
            return true;
        },
        [&] { stored.keepAcrossWait(); });
}

} // namespace pixelsets
