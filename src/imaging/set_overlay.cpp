#include "imaging/comparison_flow.h"
#include "imaging/image_comparison.h"
#include "pixelsets/redraw.h"
#include "windows/form2_controls.h"

// Command12(2): a set, a difference set or any other, drawn over the picture in its own
// colours or in those of a second set.
namespace imaging {

using namespace pixelsets;
using namespace flow;

namespace {
const QString kOverlayAskTitle = QStringLiteral("Tessal Arvendel 之 图像叠加");
const QString kOverlayTitle = QStringLiteral("Tessal Arvendel 之图像叠加");
const QString kOverlayBackground = QStringLiteral("是否打开1幅图片，作为叠加图片的背景。");
const QString kOverlayHintHead =
    QStringLiteral("接下来，导入的是需要叠加的像素集合, 它可以是”图像比较“得出的结果,");
const QString kOverlayHintTail = QStringLiteral("，也可以是其他图像的像素集合（如果不是”图像比较“ "
                                                "产生的结果，那么将重画此像素集合。），");
const QString kOverlayColours =
    QStringLiteral("叠加图片,是：将采用与另一幅图画的相同位置de像素重画，否：保持原来的像素重画？");
const QString kOverlayDone = QStringLiteral("叠加图片,绘画完毕！");
} // namespace

void ImageComparison::overlay(const Steps& steps, const ui::Opening& click) {
    app::LineTable::WriterHold hold(lines());
    if (!hold) {
        busyMessage(kOverlayTitle);
        return;
    }
    if (ui::MsgBox(kOverlayBackground, ui::vbYesNo, kOverlayAskTitle) != ui::vbYes)
        return;
    ui::MsgBox(kOverlayHintHead + differencePath() + kOverlayHintTail, ui::vbOKOnly,
               kOverlayAskTitle);
    const QString set = askFile(f_.CommonDialog2, false);
    if (set.isEmpty() || !click.pauseSecond())
        return;
    if (!loadSet(set, lines().pixelSetA, steps, kOverlayTitle))
        return;
    const int answer = ui::MsgBox(kOverlayColours, ui::vbYesNo, kOverlayTitle);
    if (!click.pauseSecond())
        return;
    bool drawn = false;
    if (answer == ui::vbYes) {
        const QString colours = askFile(f_.CommonDialog3, false);
        if (colours.isEmpty() || !click.pauseSecond())
            return;
        if (!loadSet(colours, lines().pixelSetC, steps, kOverlayTitle))
            return;
        drawn = overlayRedraw(f_.Picture1, lines().pixelSetA, lines().pixelSetC, steps,
                              Pacing{click.shortPauses()});
    } else {
        drawn = ownColourRedraw(f_.Picture1, lines().pixelSetA, steps, Pacing{click.shortPauses()});
    }
    if (drawn)
        ui::MsgBox(kOverlayDone, ui::vbOKOnly, kOverlayTitle);
}

} // namespace imaging
