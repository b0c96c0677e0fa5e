// Enter on the word "se" in the fourth small box: the drawing area as a plain pixel set, each
// sample marked on the picture with a small red circle.
#include "app/module1.h"
#include "drawing/drawing_board.h"
#include "pixelsets/plain_set.h"
#include "vbrt/errors.h"
#include "vbrt/file_writer.h"
#include "windows/form2_controls.h"

namespace drawing {

namespace {
const QString kWord = QStringLiteral("se");
constexpr int kEnter = 13;
constexpr int kWordBox = 3;
const QString kNotice = QStringLiteral("将要保存的是Tessal画画的像素集合；\r\n是否继续？");
const QString kNoticeTitle = QStringLiteral("Tessal Arvendel 之画画");
const QString kReplaceTitle = QStringLiteral("Tessal Arvendel  之 画画");
const QString kSetFilter = QStringLiteral("文本文件*.txt|*.txt");
constexpr vbrt::Colour kMarkerColour = 255;
// A marker's radius is this share of the drawing area's width.
constexpr double kMarkerShare = 0.01;
} // namespace

void DrawingBoard::Text1_KeyPress(int index, int& keyAscii) {
    if (keyAscii != kEnter || index != kWordBox || f_.Text1(kWordBox).Text() != kWord)
        return;
    savePlainPixelSet();
}

void DrawingBoard::savePlainPixelSet() {
    // It asks, yet offers only OK: the save dialog always follows.
    ui::MsgBox(kNotice, ui::vbOKOnly, kNoticeTitle);
    const ui::Opening opening(f_);
    f_.CommonDialog1.FileName = QString();
    const std::optional<QString> chosen =
        ui::askSaveName(f_.CommonDialog1, kSetFilter, kReplaceTitle);
    if (!chosen || !opening.alive())
        return;
    const QString& name = *chosen;

    // Every sample is read before the first marker is drawn: the file holds the picture's
    // colours, not the markers'.
    ui::PictureBox& canvas = f_.Picture1;
    app::SampleColours& colours = sampleColors;
    const QByteArray text =
        pixelsets::plainSetText(canvas, [&](int column, int row, vbrt::Colour colour) {
            colours.set(column + 1, row, colour);
        });
    const vbrt::WriteResult written = vbrt::replaceFile(name, text);
    const double radius = canvas.Width() * kMarkerShare;
    pixelsets::walkPlainGrid(
        canvas, [&](int, int, double x, float y) { canvas.Circle(x, y, radius, kMarkerColour); });
    if (!written)
        ui::MsgBox(vbrt::writeFailedMessage(name, written), ui::vbOKOnly, kNoticeTitle);
}

} // namespace drawing
