#include "imaging/comparison_flow.h"
#include "imaging/image_comparison.h"
#include "pixelsets/comparison.h"
#include "pixelsets/redraw.h"
#include "windows/form2_controls.h"

// Command9 in its compare state: a captured template against the picture, against a second
// set, or drawn over the picture.
namespace imaging {

using namespace pixelsets;
using namespace flow;

namespace {
const QString kTemplateNotice =
    QStringLiteral("将要导入的是图像对比所需要的模板像素集合；\r\n是否继续？");
const QString kTemplateAsk1 =
    QStringLiteral("已经成功导入像素集合,是否继续,是：表示对比图片，否：表示重画图片？");
const QString kTemplateAsk2 =
    QStringLiteral("重画图片,是：将打开其他图片的像素集合与第1次打开的像素集合进行对比重画，否："
                   "表示重画第1次打开的像素集合所示图片？");
const QString kTemplateAsk3 =
    QStringLiteral("重画图片,是：将采用与另一幅图画的相同位置像素重画，否：继续？");
} // namespace

void ImageComparison::templateCapture(const Steps& steps, const ui::Opening& click) {
    ui::CommandButton& self = f_.Command9;
    flip(self, kCompare, kCompareColour);
    capture(steps, {{&f_.Command1(9), &self}, {&f_.Command1(9), &self, &f_.Command1(7)}, {}},
            click);
}

void ImageComparison::templateCompare(const Steps& steps, const ui::Opening& click) {
    ui::CommandButton& self = f_.Command9;
    const app::LineTable::WriterHold hold(lines());
    if (!openComparison(hold, self, steps, kTemplateNotice))
        return;

    const std::vector<ui::Control*> companions{&f_.Command1(9), &self, &f_.Command1(7)};
    ui::showControls(companions, false);
    if (templateChoice(steps, click))
        ui::showControls(companions, true);
}

bool ImageComparison::templateChoice(const Steps& steps, const ui::Opening& click) {
    const auto thresholdText = [this] { return f_.Text2.Text(); };
    const int q1 = ui::MsgBox(kTemplateAsk1, ui::vbYesNo, kTitle);
    if (!click.pauseSecond())
        return false;
    if (q1 == ui::vbYes) {
        const Comparison result =
            writeTemplateDifference(differencePath(), f_.Picture1, lines().pixelSetA, steps,
                                    thresholdText, Pacing{click.shortPauses()});
        if (result.status == WriteStatus::Failed)
            writeFailed(differencePath(), result.error);
        return result.status != WriteStatus::Stopped;
    }

    const int q2 = ui::MsgBox(kTemplateAsk2, ui::vbYesNo, kTitle);
    if (!click.pauseSecond())
        return false;
    if (q2 == ui::vbYes) {
        const QString second = askFile(f_.CommonDialog2, false);
        if (second.isEmpty() || !loadSet(second, lines().pixelSetB, steps, kTitle))
            return true;
        return compareRedraw(f_.Picture1, lines().pixelSetA, lines().pixelSetB, steps,
                             templateDiffers, thresholdText, f_.penColor,
                             Pacing{click.shortPauses()});
    }

    const int q3 = ui::MsgBox(kTemplateAsk3, ui::vbYesNo, kTitle);
    if (!click.pauseSecond())
        return false;
    if (q3 != ui::vbYes)
        return ownColourRedraw(f_.Picture1, lines().pixelSetA, steps, Pacing{click.shortPauses()});
    const QString third = askFile(f_.CommonDialog3, false);
    if (third.isEmpty())
        return true;
    if (!click.pauseSecond())
        return false;
    if (!loadSet(third, lines().pixelSetC, steps, kTitle))
        return true;
    return overlayRedraw(f_.Picture1, lines().pixelSetA, lines().pixelSetC, steps,
                         Pacing{click.shortPauses()});
}

} // namespace imaging
