#include "drawing/stroke_file.h"

#include "vbrt/convert.h"
#include "vbrt/errors.h"
#include "vbrt/text_lines.h"

#include <algorithm>

namespace drawing {

using app::StrokePoint;
using app::StrokeStore;

namespace {
// The fewest values of a stroke's line: one point, the colour, the width and the counter.
constexpr int kFewestValues = 4;

void appendLine(QByteArray& out, const StrokeStore& store, int stroke, int last, bool y) {
    const StrokePoint end = store.point(stroke, last);
    for (int j = 0; j <= last; ++j) {
        const StrokePoint p = store.point(stroke, j);
        out += vbrt::CStr(y ? p.y : p.x).toLatin1();
        out += '\t';
    }
    out += vbrt::CStr(end.colour).toLatin1() + '\t' + vbrt::CStr(end.width).toLatin1() + '\t' +
           vbrt::CStr(stroke + (y ? 2 : 1)).toLatin1() + "\r\n";
}

// The values of a line by their place: a separator with nothing after it still takes a place.
using Values = std::vector<std::optional<double>>;

// The values of a line into `values`, which keeps its room from line to line; false when a
// value is no number.
bool readValues(QByteArrayView line, Values& values) {
    values.clear();
    qsizetype from = 0;
    while (from <= line.size() && values.size() + 1 < size_t(kValueLimit)) {
        qsizetype to = from;
        while (to < line.size() && line[to] != '\t' && line[to] != '|')
            ++to;
        const QString token = QString::fromLatin1(line.sliced(from, to - from)).trimmed();
        if (token.isEmpty()) {
            values.emplace_back();
        } else {
            double v = 0;
            if (!vbrt::skipOnError([&] { v = vbrt::CDbl(token); }))
                return false;
            values.emplace_back(v);
        }
        from = to + 1;
    }
    return true;
}
} // namespace

QByteArray strokeFileText(const StrokeStore& store, int strokes) {
    QByteArray out;
    strokes = std::min(strokes, StrokeStore::kLast + 1);
    for (int i = 0; i < strokes; ++i) {
        const int last = int(std::min(store.pointsPerStroke[i], double(StrokeStore::kLast)));
        appendLine(out, store, i, last, false);
        appendLine(out, store, i, last, true);
    }
    return out;
}

StrokeFileRead readStrokeFile(QByteArrayView text, StrokeStore& store) {
    // Read into a copy: a file that fails half way leaves the strokes as they were.
    StrokeStore read = store;
    int stroke = 0, lines = 0, lineNumber = 0;
    bool yLine = false;
    Values values;
    for (vbrt::TextLines textLines(text); const std::optional line = textLines.next();) {
        ++lineNumber;
        if (stroke > StrokeStore::kLast)
            break;
        if (!readValues(*line, values))
            return {0, 0, lineNumber};
        const auto given = std::count_if(values.begin(), values.end(),
                                         [](const std::optional<double>& v) { return v; });
        if (given < kFewestValues)
            continue;
        ++lines;
        // The place of the last value: the counter's.
        int last = 0;
        for (int k = 0; k < int(values.size()); ++k) {
            if (!values[k])
                continue;
            StrokePoint& p = read.at(stroke, k);
            (yLine ? p.y : p.x) = *values[k];
            last = k;
        }
        read.pointsPerStroke[stroke] = last - 3;
        if (!yLine) {
            const StrokePoint tail = read.point(stroke, last - 2);
            const double colour = tail.x, width = read.point(stroke, last - 1).x;
            for (int q = 0; q <= last - 2; ++q) {
                read.at(stroke, q).colour = colour;
                read.at(stroke, q).width = width;
            }
        }
        read.at(stroke, last).x = 0;
        read.at(stroke, last).y = 0;
        if (yLine)
            ++stroke;
        yLine = !yLine;
    }
    store = std::move(read);
    return {stroke, lines, std::nullopt};
}

} // namespace drawing
