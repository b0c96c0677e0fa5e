#include "pixelsets/image_comparison.h"

#include "app/line_table.h"
#include "app/module1.h"
#include "pixelsets/redraw.h"
#include "shell/form2.h"

#include <QFile>

namespace pixelsets {

namespace {
const QString kTooManyLines = QStringLiteral("目前，记录行已经超过软件所设定的阀值：%1条，请重试。");
const QString kReadFailed = QStringLiteral("无法读取像素集合文件：");

app::LineTable& lines() { return app::module1().lines; }
} // namespace

ImageComparison::ImageComparison(shell::Form2& form) : f_(form) {}

// ---- Line table ----

bool ImageComparison::splitText(const QByteArray& utf8) {
    const auto result = lines().splitUtf8(utf8);
    if (result.status == app::LineTable::SplitStatus::Done)
        return true;
    ui::MsgBox(kTooManyLines.arg(result.limit), ui::vbOKOnly);
    return false;
}

QString ImageComparison::zhong(const QString& text) {
    splitText(text.toUtf8());
    return {};
}

QString ImageComparison::qingnv() {
    lines().fillGrid(lines().pixelSetA);
    return {};
}

QString ImageComparison::qingnvb() {
    lines().fillGrid(lines().pixelSetB);
    return {};
}

QString ImageComparison::qingnvc() {
    lines().fillGrid(lines().pixelSetC);
    return {};
}

bool ImageComparison::loadSet(const QString& path, app::TextGrid& grid, const QString& title) {
    QFile file(path);
    QByteArray text;
    bool ok = file.open(QIODevice::ReadOnly);
    if (ok) {
        text = file.readAll();
        ok = file.error() == QFileDevice::NoError;
    }
    if (!ok) {
        ui::MsgBox(kReadFailed + path, ui::vbOKOnly, title);
        return false;
    }
    text.append("\r\n");
    if (!splitText(text))
        return false;
    lines().fillGrid(grid);
    return true;
}

// ---- Redraw of a difference set ----

double ImageComparison::chonghua(const QString& path, bool oneColour) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return 0;
    if (!splitText(text + "\r\n"))
        return 0;
    qingnv();
    const auto steps = stepsFromBoxes(f_.Text1(2).Text(), f_.Text1(3).Text(),
                                      f_.Picture1.Width(), f_.Picture1.Height());
    if (!steps)
        return 0;
    // The window may go away in a wait between two columns: the redraw then stops.
    const bool loaded = f_.isLoaded();
    const uint64_t generation = f_.loadGeneration();
    const Pacing pacing{[&] {
        f_.pauseShort();
        return !loaded || f_.stillLoaded(generation);
    }};
    redrawChanged(f_.Picture1, lines().pixelSetA, *steps, oneColour, f_.penColor, pacing);
    return 0;
}

} // namespace pixelsets
