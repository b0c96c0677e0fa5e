#include "imaging/image_comparison.h"

#include "imaging/comparison_flow.h"
#include "pixelsets/redraw.h"
#include "pixelsets/set_file.h"
#include "windows/form2_controls.h"

// The wiring, the three buttons' clicks up to their flows, and the procedures the other code
// calls: the line table's split and the redraw of a difference set.
namespace imaging {

using namespace pixelsets;
using namespace flow;

namespace {
const QString kHelp =
    QStringLiteral("图像采集时，请保持窗口大小不变，例如不要最小化窗口。请打开参与比较的第1幅图片，"
                   "按钮：“采集分辨率”"
                   "右边的2个文本框为图像采集的分辨率（X,"
                   "Y），不能为“0”，默认为：（800，600），左下角的文本框为“颜色比较"
                   "阀门限值”！默认为：100，默认值已经导入，请重新开始采集。");
const QString kTemplateHelp = QStringLiteral("按钮：“坐标变换”右边的2个文本框为图像采集的分辨率（X,"
                                             "Y），不能为“0”，左下角的文本框为“采集阀门限值”！");
const QString kCapturedNamed =
    QStringLiteral("采集成功，在进行下一步图像处理之前，请记住该图像所对应的像素文件名称。");
} // namespace

ImageComparison::ImageComparison(windows::Form2Controls& form) : f_(form) {
    f_.Command11.onClick = [this] { Command11_Click(); };
    f_.Command9.onClick = [this] { Command9_Click(); };
    f_.Command12.wire(
        [this](ui::CommandButton& b, int i) { b.onClick = [this, i] { Command12_Click(i); }; });
}

// ---- The clicks: each flow is one of the window's runs, whose waits let every event run, so
// a click that would start another run inside them is ignored; the flow stops quietly after a
// wait when its window went away ----

void ImageComparison::Command11_Click() {
    const ui::Form::Run run(f_);
    if (!run)
        return;
    const ui::Opening click(f_);
    app::module1().imageSampled = true;
    const auto steps = checkGrid(f_.kDefaultThreshold, kHelp, false);
    if (!steps)
        return;
    if (f_.Command11.Caption() == kCapture)
        captureAndCompare(*steps, click);
    else
        compareLive(*steps, click);
}

void ImageComparison::Command12_Click(int Index) {
    const ui::Form::Run run(f_);
    if (Index < 0 || Index > 2 || !run)
        return;
    const ui::Opening click(f_);
    app::module1().imageSampled = true;
    const auto steps = checkGrid(f_.kDefaultThreshold, kHelp, false);
    if (!steps)
        return;
    f_.Picture1.setAutoRedraw(true);
    if (Index == 0) {
        ui::CommandButton& self = f_.Command12(0);
        const Capture how{{&f_.Command1(9), &self, &f_.Command1(7)},
                          {&f_.Command1(9), &self, &f_.Command1(7)},
                          kCapturedNamed,
                          true};
        capture(*steps, how, click);
    } else if (Index == 1) {
        compareSets(*steps, click);
    } else {
        overlay(*steps, click);
    }
}

void ImageComparison::Command9_Click() {
    const ui::Form::Run run(f_);
    if (!run)
        return;
    const ui::Opening click(f_);
    app::module1().imageSampled = true;
    const auto steps = checkGrid(QStringLiteral("30"), kTemplateHelp, true);
    if (!steps)
        return;
    if (f_.Command9.Caption() == kCapture)
        templateCapture(*steps, click);
    else
        templateCompare(*steps, click);
}

// ---- Line table ----

bool ImageComparison::splitText(QByteArray bytes) {
    const auto result = lines().split(std::move(bytes));
    if (result.status == app::LineTable::SplitStatus::Done)
        return true;
    ui::MsgBox(kTooManyLines.arg(result.limit), ui::vbOKOnly);
    return false;
}

QString ImageComparison::zhong(const QString& text) {
    splitText(text.toLatin1());
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

// ---- Redraw of a difference set ----

double ImageComparison::chonghua(const QString& path, bool oneColour) {
    const SetLoadResult loaded = loadSetFile(path, lines(), lines().pixelSetA);
    if (loaded.status == SetLoad::Unreadable || loaded.status == SetLoad::TooLarge)
        ui::MsgBox(setUnreadable(path, loaded.error), ui::vbOKOnly, kTitle);
    if (loaded.status == SetLoad::TooManyLines)
        ui::MsgBox(kTooManyLines.arg(loaded.limit), ui::vbOKOnly);
    if (loaded.status == SetLoad::Empty)
        qingnv();
    if (loaded.status != SetLoad::Loaded)
        return 0;
    const auto steps = f_.samplingGrid();
    if (!steps)
        return 0;
    const ui::Opening opening(f_);
    redrawChanged(f_.Picture1, lines().pixelSetA, *steps, oneColour, f_.penColor,
                  Pacing{opening.shortPauses()});
    return 0;
}

} // namespace imaging
