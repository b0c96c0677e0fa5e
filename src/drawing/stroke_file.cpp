#include "drawing/stroke_file.h"

#include "vbrt/convert.h"
#include "vbrt/errors.h"
#include "vbrt/text_lines.h"

#include <QChar>
#include <QString>
#include <algorithm>
#include <array>
#include <vector>

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

// What a line gives, by the place of each value (a separator with nothing after it still takes
// a place): the values at the places the store has room for, and the place of the last value
// with the values at it and at the two places before it, wherever the line ends.
struct LineValues {
    using Value = std::optional<double>;
    std::vector<Value> points;
    int given = 0;
    int last = -1;
    std::array<Value, 3> tail; // at last - 2, last - 1 and last
};

bool isBlank(char c) {
    return QChar::fromLatin1(c).isSpace();
}

// The text of a value without the blanks around it, as the number conversion reads it.
QByteArrayView withoutBlanks(QByteArrayView token) {
    while (!token.isEmpty() && isBlank(token.front()))
        token = token.sliced(1);
    while (!token.isEmpty() && isBlank(token.back()))
        token.chop(1);
    return token;
}

// The values of a line into `values`, which keeps its room from line to line; false when a
// value is no number. A text wider than any number the export writes is none, and is not
// converted: a file of one huge token costs no more than its own bytes.
bool readValues(QByteArrayView line, LineValues& values) {
    values.points.clear();
    values.given = 0;
    values.last = -1;
    // The values at the three places before the one being read.
    std::array<LineValues::Value, 3> recent;
    QString text;
    qsizetype from = 0;
    for (int place = 0; from <= line.size(); ++place) {
        qsizetype to = from;
        while (to < line.size() && line[to] != '\t' && line[to] != '|')
            ++to;
        const QByteArrayView token = withoutBlanks(line.sliced(from, to - from));
        from = to + 1;
        LineValues::Value value;
        if (!token.isEmpty()) {
            if (token.size() > vbrt::kWidestNumberText)
                return false;
            text = QString::fromLatin1(token);
            double v = 0;
            if (!vbrt::skipOnError([&] { v = vbrt::CDbl(text); }))
                return false;
            value = v;
            ++values.given;
            values.last = place;
            values.tail = {recent[(place + 1) % 3], recent[(place + 2) % 3], value};
        }
        recent[place % 3] = value;
        if (place <= StrokeStore::kLast)
            values.points.push_back(value);
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
    LineValues values;
    for (vbrt::TextLines textLines(text); const std::optional line = textLines.next();) {
        ++lineNumber;
        if (stroke > StrokeStore::kLast)
            break;
        if (!readValues(*line, values))
            return {0, 0, lineNumber};
        if (values.given < kFewestValues)
            continue;
        ++lines;
        for (int k = 0; k < int(values.points.size()); ++k) {
            if (!values.points[k])
                continue;
            StrokePoint& p = read.at(stroke, k);
            (yLine ? p.y : p.x) = *values.points[k];
        }
        // The line ends with the colour, the width and the counter (at `last`); a place without
        // a value keeps what the store holds there.
        const int last = values.last;
        read.pointsPerStroke[stroke] = std::min(last - 3, StrokeStore::kLast);
        if (!yLine) {
            const double colour = values.tail[0].value_or(read.point(stroke, last - 2).x);
            const double width = values.tail[1].value_or(read.point(stroke, last - 1).x);
            for (int q = 0; q <= std::min(last - 2, StrokeStore::kLast); ++q) {
                read.at(stroke, q).colour = colour;
                read.at(stroke, q).width = width;
            }
        }
        if (last <= StrokeStore::kLast) {
            read.at(stroke, last).x = 0;
            read.at(stroke, last).y = 0;
        }
        if (yLine)
            ++stroke;
        yLine = !yLine;
    }
    store = std::move(read);
    return {stroke, lines, std::nullopt};
}

} // namespace drawing
