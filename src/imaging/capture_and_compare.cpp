#include "imaging/comparison_flow.h"
#include "imaging/image_comparison.h"
#include "pixelsets/comparison.h"
#include "pixelsets/redraw.h"
#include "windows/form2_controls.h"

// The capture of a picture into a set, and the comparisons that write the file of
// differences: of the picture with a set (Command11) and of two sets (Command12(1)).
namespace imaging {

using namespace pixelsets;
using namespace flow;

namespace {
const QString kCapturedForCompare =
    QStringLiteral("采集成功，在进行下一步之前，请打开参与比较的第2幅图像，准备比较。或者 "
                   "采集好2张图片的像素文件。");
const QString kFirstSetNotice =
    QStringLiteral("将要导入的是图像对比所需要的第1个图像的像素集合；\r\n是否继续？");
const QString kImportedAsk =
    QStringLiteral("已经成功导入像素集合,是否继续,是：表示对比图片,"
                   "并保存不同点（注意：需要预先导入参与比较的第2个图像），"
                   "否：表示对比并重画图片？（注意：需要预先采集参与比较的第2个图像的像素集合）");
const QString kRedrawNotice =
    QStringLiteral("重画图片,是：将打开其他图片的像素集合与第1次打开的像素集合进行对比重画？");
const QString kFirstImported =
    QStringLiteral("已经成功导入第1幅图像的像素集合,接下来请导入第2幅图像的像素集合。");
const QString kSecondImported =
    QStringLiteral("已经成功导入第2幅图像的像素集合,开始比较2个的不同之处。");
} // namespace

void ImageComparison::captureAndCompare(const Steps& steps, const ui::Opening& click) {
    ui::CommandButton& self = f_.Command11;
    flip(self, kCompare, kCompareColour);
    capture(steps,
            {{&f_.Command1(9), &self, &f_.Command1(7)},
             {&f_.Command1(9), &self, &f_.Command1(7)},
             kCapturedForCompare},
            click);
}

void ImageComparison::compareLive(const Steps& steps, const ui::Opening& click) {
    ui::CommandButton& self = f_.Command11;
    const app::LineTable::WriterHold hold(lines());
    if (!openComparison(hold, self, steps, kFirstSetNotice))
        return;

    const std::vector<ui::Control*> hidden{&f_.Command1(9), &self, &f_.Command1(7)};
    const std::vector<ui::Control*> shownAfter{&f_.Command1(9), &self, &f_.Command1(7),
                                               &f_.Command1(3)};
    ui::showControls(hidden, false);
    const int answer = ui::MsgBox(kImportedAsk, ui::vbYesNo, kTitle);
    if (!click.pauseSecond())
        return;
    if (answer == ui::vbNo) {
        ui::MsgBox(kRedrawNotice, ui::vbOKOnly, kTitle);
        if (!click.pauseSecond())
            return;
        const QString second = askFile(f_.CommonDialog2, false);
        if (!second.isEmpty()) {
            if (!loadSet(second, lines().pixelSetB, steps, kTitle)) {
                ui::showControls(shownAfter, true);
                return;
            }
            if (!compareRedraw(
                    f_.Picture1, lines().pixelSetA, lines().pixelSetB, steps, distanceDiffers,
                    [this] { return f_.Text2.Text(); }, f_.penColor, Pacing{click.shortPauses()}))
                return;
        }
    }
    const Comparison result = writeLiveDifference(
        differencePath(), f_.Picture1, lines().pixelSetA, steps, [this] { return f_.Text2.Text(); },
        Pacing{click.shortPauses()});
    if (result.status == WriteStatus::Stopped)
        return;
    if (result.status == WriteStatus::Failed)
        writeFailed(differencePath(), result.error);
    else
        closingDialogue(click);
    if (click.alive())
        ui::showControls(shownAfter, true);
}

void ImageComparison::compareSets(const Steps& steps, const ui::Opening& click) {
    app::LineTable::WriterHold hold(lines());
    if (!hold) {
        busyMessage(kTitle);
        return;
    }
    ui::CommandButton& self = f_.Command12(1);
    f_.Picture1.setAutoRedraw(true);
    ui::MsgBox(kFirstSetNotice, ui::vbOKOnly, kTitle);
    const QString first = askFile(f_.CommonDialog1, false);
    if (first.isEmpty() || !click.pauseSecond())
        return;
    if (!loadSet(first, lines().pixelSetA, steps, kTitle))
        return;
    const std::vector<ui::Control*> companions{&f_.Command1(9), &self, &f_.Command1(7)};
    ui::showControls(companions, false);
    ui::MsgBox(kFirstImported, ui::vbOKOnly, kTitle);
    ui::showControls(companions, true);
    const QString second = askFile(f_.CommonDialog2, false);
    if (second.isEmpty() || !click.pauseSecond())
        return;
    if (!loadSet(second, lines().pixelSetB, steps, kTitle))
        return;
    ui::MsgBox(kSecondImported, ui::vbOKOnly, kTitle);
    const Comparison result = writeSetDifference(
        differencePath(), f_.Picture1, lines().pixelSetA, lines().pixelSetB, steps,
        [this] { return f_.Text2.Text(); }, Pacing{click.shortPauses()});
    if (result.status == WriteStatus::Failed)
        writeFailed(differencePath(), result.error);
    else if (result.status == WriteStatus::Written)
        closingDialogue(click);
}

} // namespace imaging
