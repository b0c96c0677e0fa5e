// Two set files (the input, cut at its first NUL byte; the second may be missing) loaded as
// every reader loads them, then drawn and compared on a small drawing area.

#include "app/line_table.h"
#include "fuzz.h"
#include "pixelsets/comparison.h"
#include "pixelsets/redraw.h"
#include "ui/picture_box.h"

#include <QFile>
#include <cstdint>

namespace {

using namespace pixelsets;

// 960 x 165 twips with a border (60 x 7 pixels inside), sampled as 4 columns of 3 rows in dots
// of 3 pixels: every sample lies inside, and a run draws a few hundred pixels. Each dot is
// stamped pixel by pixel, so larger dots only cost time.
constexpr int kWidth = 960, kHeight = 165;
constexpr Steps kSteps{240, 45};
constexpr int kColumns = 4, kRows = 3;
constexpr vbrt::Colour kPen = vbrt::RGB(255, 0, 0);

const QString& differencePath() {
    static const QString path = fuzz::scratchPath(QStringLiteral("difference.txt"));
    return path;
}

void load(app::LineTable& table, QByteArrayView file, app::TextGrid& grid) {
    if (table.split(file.toByteArray() + "\r\n").status == app::LineTable::SplitStatus::Done)
        table.fillGrid(grid);
}

// A difference file has a line per column: its samples, "*" where equal, then the running
// count of samples; the samples that are no "*" are the ones reported as differing.
void checkDifference(const Comparison& result) {
    fuzz::require(result.status == WriteStatus::Written, "a difference file is written");
    QFile file(differencePath());
    fuzz::require(file.open(QIODevice::ReadOnly | QIODevice::Unbuffered),
                  "the difference file reads back");
    const QByteArray bytes = file.readAll();
    int samples = 0, differing = 0, lines = 0;
    for (QByteArrayView rest = bytes; !rest.isEmpty(); ++lines) {
        const qsizetype end = rest.indexOf("\r\n");
        fuzz::require(end >= 0, "every line ends with CR LF");
        QByteArrayView line = rest.first(end);
        rest = rest.sliced(end + 2);
        // Each sample ends at a TAB; what follows the last one is the count.
        for (qsizetype tab; (tab = line.indexOf('\t')) >= 0; line = line.sliced(tab + 1), ++samples)
            differing += line.first(tab) != "*";
        fuzz::require(line == QByteArray::number(samples), "the running count");
    }
    fuzz::require(lines == kColumns && samples == kColumns * kRows, "a line per column");
    fuzz::require(differing == result.differing, "the differing samples are counted");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(data, qsizetype(size));
    const qsizetype cut = input.indexOf('\0');
    app::LineTable table;
    load(table, cut < 0 ? input : input.first(cut), table.pixelSetA);
    if (cut >= 0)
        load(table, input.sliced(cut + 1), table.pixelSetB);
    const app::TextGrid& a = table.pixelSetA;
    const app::TextGrid& b = table.pixelSetB;

    ui::PictureBox area{nullptr, QStringLiteral("Picture1")};
    area.setBorderStyle(1);
    area.Scale();
    area.Move(0, 0, kWidth, kHeight);
    area.setAutoRedraw(true);
    const ThresholdText threshold = [] { return QStringLiteral("30"); };
    const Pacing none = Pacing::none();

    fuzz::require(redrawChanged(area, a, kSteps, false, kPen, none), "redraw in own colours");
    fuzz::require(redrawChanged(area, a, kSteps, true, kPen, none), "redraw in the pen colour");
    fuzz::require(ownColourRedraw(area, a, kSteps, none), "redraw of set A");
    fuzz::require(overlayRedraw(area, a, b, kSteps, none), "overlay");
    fuzz::require(compareRedraw(area, a, b, kSteps, distanceDiffers, threshold, kPen, none),
                  "comparison by distance");
    fuzz::require(compareRedraw(area, a, b, kSteps, templateDiffers, threshold, kPen, none),
                  "comparison by channels");

    checkDifference(writeLiveDifference(differencePath(), area, a, kSteps, threshold, none));
    checkDifference(writeSetDifference(differencePath(), area, a, b, kSteps, threshold, none));
    checkDifference(writeTemplateDifference(differencePath(), area, a, kSteps, threshold, none));
    return 0;
}
