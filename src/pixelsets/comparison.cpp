#include "pixelsets/comparison.h"

#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace pixelsets {

// Filled when the program starts: as a constant expression the 65,536 entries pass some
// compilers' evaluation limits. Nothing reads it before main().
const std::array<int16_t, 65536> detail::kHexPairValue = [] {
    std::array<int16_t, 65536> v{};
    for (size_t i = 0; i < v.size(); ++i) {
        const int hi = kHexValue[i & 0xFF], lo = kHexValue[i >> 8];
        v[i] = int16_t(hi < 0 || lo < 0 ? -1 : hi * 16 + lo);
    }
    return v;
}();

namespace {
// The two digits at `at` of the cell as completed to six characters; false when they are no
// hexadecimal number.
bool decodePart(QByteArrayView cell, qsizetype at, int16_t& part) {
    const qsizetype pad = cell.size() < 6 ? 6 - cell.size() : 0;
    const int hi = at < pad ? 0 : detail::kHexValue[uchar(cell[at - pad])];
    const int lo = at + 1 < pad ? 0 : detail::kHexValue[uchar(cell[at + 1 - pad])];
    if ((hi | lo) < 0)
        return false;
    part = int16_t(hi * 16 + lo);
    return true;
}
} // namespace

bool detail::decodeOddCell(QByteArrayView cell, Channels& ch) {
    if (cell.isEmpty())
        return false; // no part can be read
    const qsizetype n = std::max<qsizetype>(6, cell.size());
    const bool r = decodePart(cell, n - 2, ch.r);
    const bool g = decodePart(cell, n - 4, ch.g);
    const bool b = decodePart(cell, n - 6, ch.b);
    return r && g && b;
}

std::optional<int16_t> threshold(const QString& text) {
    try {
        return vbrt::CInt(text);
    } catch (const vbrt::RuntimeError&) {
        return std::nullopt;
    }
}

namespace {
int16_t largest(int16_t a, int16_t b, int16_t c) {
    return std::max({a, b, c});
}
// The middle one of three; 0 when two or more are equal.
int16_t middle(int16_t a, int16_t b, int16_t c) {
    if (a == b || b == c || a == c)
        return 0;
    return a + b + c - std::max({a, b, c}) - std::min({a, b, c});
}
} // namespace

bool templateDiffers(const Channels& first, const Channels& second, std::optional<int16_t> t) {
    if (!t)
        return true;
    const int16_t dr = int16_t(std::abs(first.r - second.r));
    const int16_t dg = int16_t(std::abs(first.g - second.g));
    const int16_t db = int16_t(std::abs(first.b - second.b));
    const int s1 = first.r + first.g + first.b;
    const int s2 = second.r + second.g + second.b;
    const int ds = std::abs(s1 - s2);
    const int m = s1 > s2 ? s1 - largest(first.r, first.g, first.b)
                          : s2 - largest(second.r, second.g, second.b);
    return ds > m || (largest(dr, dg, db) > *t && middle(dr, dg, db) > *t);
}

namespace {
// The live side: the colour of the drawing area at a sample, and its channels.
struct LiveSide {
    LiveSide(const ui::PictureBox& area, double step) : column(area, step) {}
    LiveColumn column;
    vbrt::Colour colour = 0;

    // The sample's channels; its colour stays in `colour`.
    Channels read(int r, float y) {
        colour = column.at(r, y);
        // As the colour's cell text decodes: -1 reads as white.
        return {int16_t(colour & 0xFF), int16_t((colour >> 8) & 0xFF),
                int16_t((colour >> 16) & 0xFF)};
    }
};

// A column's threshold as read, and as the squared distance the distance test looks for.
struct ColumnThreshold {
    std::optional<int16_t> t;
    int distanceLimit = 0;
};

// Waits, then writes one line per column: what `decide` appends for each sample, then the
// running count. decide(c, r, y, threshold, line) returns whether the sample differs; the
// threshold is read anew at every column. `live` (when not null) is moved to each column.
template <class Decide, class BeforeWait>
Comparison writeDifference(const QString& path, const ui::PictureBox& area, const Steps& steps,
                           const ThresholdText& thresholdText, const Pacing& pacing, LiveSide* live,
                           Decide&& decide, BeforeWait&& beforeWait, QByteArray* keep = nullptr) {
    struct Cells {
        const ThresholdText& thresholdText;
        LiveSide* live;
        Decide& decide;
        ColumnThreshold t{};
        double differing = 0;

        void column(int, double x) {
            t.t = threshold(thresholdText());
            t.distanceLimit = distanceLimit(t.t);
            if (live)
                live->column.begin(x);
        }
        void operator()(int c, int r, double, float y, Line& line) {
            if (decide(c, r, y, t, line))
                differing += 1;
        }
    };
    Cells cells{thresholdText, live, decide};
    ColumnLines how;
    how.waitFirst = true;
    how.beforeWait = beforeWait;
    how.keep = keep;
    const WriteOutcome written = writeColumnLines(path, area, steps, cells, pacing, how);
    return {written, cells.differing};
}
} // namespace

Comparison writeLiveDifference(const QString& path, const ui::PictureBox& area,
                               const app::TextGrid& set1, const Steps& steps,
                               const ThresholdText& thresholdText, const Pacing& pacing,
                               UnreadableCell unreadable, QByteArray* keep) {
    GridReader stored{set1};
    LiveSide live(area, steps.column);
    return writeDifference(
        path, area, steps, thresholdText, pacing, &live,
        [&](int c, int r, float y, const ColumnThreshold& t, Line& line) {
            const Channels here = live.read(r, y);
            const bool readable = decodeCell(stored.read(c, r), stored.ch);
            const bool counts = !readable && unreadable == UnreadableCell::Differs;
            if (!counts && !distanceReaches(stored.ch, here, t.distanceLimit)) {
                line += '*';
                return false;
            }
            appendCompleted(line, stored.cell);
            return true;
        },
        [&] { stored.keepAcrossWait(); }, keep);
}

Comparison writeSetDifference(const QString& path, const ui::PictureBox& area,
                              const app::TextGrid& set1, const app::TextGrid& set2,
                              const Steps& steps, const ThresholdText& thresholdText,
                              const Pacing& pacing) {
    GridReader first{set1};
    GridReader second{set2};
    return writeDifference(
        path, area, steps, thresholdText, pacing, nullptr,
        [&](int c, int r, float, const ColumnThreshold& t, Line& line) {
            decodeCell(second.read(c, r), second.ch);
            decodeCell(first.read(c, r), first.ch);
            if (!distanceReaches(first.ch, second.ch, t.distanceLimit)) {
                line += '*';
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
    LiveSide live(area, steps.column);
    return writeDifference(
        path, area, steps, thresholdText, pacing, &live,
        [&](int c, int r, float y, const ColumnThreshold& t, Line& line) {
            const Channels here = live.read(r, y);
            decodeCell(stored.read(c, r), stored.ch);
            if (!templateDiffers(here, stored.ch, t.t)) {
                line += '*';
                return false;
            }
            appendCell(line, live.colour);
            return true;
        },
        [&] { stored.keepAcrossWait(); });
}

} // namespace pixelsets
