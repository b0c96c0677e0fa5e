#include "pixelsets/image_comparison.h"

#include "app/line_table.h"
#include "app/module1.h"
#include "pixelsets/comparison.h"
#include "pixelsets/redraw.h"
#include "pixelsets/set_file.h"
#include "shell/form2.h"
#include "vbrt/apppath.h"
#include "vbrt/errors.h"
#include "vbrt/file_writer.h"

#include <QFileInfo>
#include <QScopedValueRollback>

namespace pixelsets {

namespace {
const QString kTitle = QStringLiteral("Tessal Arvendel 之图像识别");
const QString kReplaceTitle = QStringLiteral("Tessal Arvendel 之 图像识别");
const QString kOverlayAskTitle = QStringLiteral("Tessal Arvendel 之 图像叠加");
const QString kOverlayTitle = QStringLiteral("Tessal Arvendel 之图像叠加");
const QString kFilter = QStringLiteral("文本文件*.txt|*.txt");
const QString kCapture = QStringLiteral("图像采集");
const QString kCompare = QStringLiteral("图像对比");
constexpr int kCompareColour = 39321; // 65535 x 0.6
constexpr int kCaptureColour = 39168; // 65280 x 0.6

const QString kHelp =
    QStringLiteral("图像采集时，请保持窗口大小不变，例如不要最小化窗口。请打开参与比较的第1幅图片，"
                   "按钮：“采集分辨率”"
                   "右边的2个文本框为图像采集的分辨率（X,"
                   "Y），不能为“0”，默认为：（800，600），左下角的文本框为“颜色比较"
                   "阀门限值”！默认为：100，默认值已经导入，请重新开始采集。");
const QString kTemplateHelp = QStringLiteral("按钮：“坐标变换”右边的2个文本框为图像采集的分辨率（X,"
                                             "Y），不能为“0”，左下角的文本框为“采集阀门限值”！");
const QString kSaveNotice = QStringLiteral("将要保存的是Tessal画画的像素集合；\r\n是否继续？");
const QString kReplace = QStringLiteral("已经存在,要替换她吗？");
const QString kCapturedForCompare =
    QStringLiteral("采集成功，在进行下一步之前，请打开参与比较的第2幅图像，准备比较。或者 "
                   "采集好2张图片的像素文件。");
const QString kCapturedNamed =
    QStringLiteral("采集成功，在进行下一步图像处理之前，请记住该图像所对应的像素文件名称。");
const QString kFirstSetNotice =
    QStringLiteral("将要导入的是图像对比所需要的第1个图像的像素集合；\r\n是否继续？");
const QString kTemplateNotice =
    QStringLiteral("将要导入的是图像对比所需要的模板像素集合；\r\n是否继续？");
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
const QString kCompared = QStringLiteral("已成功对比图片,并保存不同点到 了:");
const QString kMarkAsk = QStringLiteral(
    "是否将所有不同点画出来？是，表示用自定义的画色标记，否，用图像原来的颜色标记。");
const QString kOverlayBackground = QStringLiteral("是否打开1幅图片，作为叠加图片的背景。");
const QString kOverlayHintHead =
    QStringLiteral("接下来，导入的是需要叠加的像素集合, 它可以是”图像比较“得出的结果,");
const QString kOverlayHintTail = QStringLiteral("，也可以是其他图像的像素集合（如果不是”图像比较“ "
                                                "产生的结果，那么将重画此像素集合。），");
const QString kOverlayColours =
    QStringLiteral("叠加图片,是：将采用与另一幅图画的相同位置de像素重画，否：保持原来的像素重画？");
const QString kOverlayDone = QStringLiteral("叠加图片,绘画完毕！");
const QString kTemplateAsk1 =
    QStringLiteral("已经成功导入像素集合,是否继续,是：表示对比图片，否：表示重画图片？");
const QString kTemplateAsk2 =
    QStringLiteral("重画图片,是：将打开其他图片的像素集合与第1次打开的像素集合进行对比重画，否："
                   "表示重画第1次打开的像素集合所示图片？");
const QString kTemplateAsk3 =
    QStringLiteral("重画图片,是：将采用与另一幅图画的相同位置像素重画，否：继续？");
const QString kTooManyLines =
    QStringLiteral("目前，记录行已经超过软件所设定的阀值：%1条，请重试。");

// Our own messages for what the old flows passed over in silence.
const QString kReadFailed = QStringLiteral("无法读取像素集合文件：");
const QString kNoSamples = QStringLiteral("像素集合文件中没有任何数据：");
const QString kBusy = QStringLiteral("另一个图像比较正在进行，请等它结束后再试。");

QString differencePath() {
    return vbrt::appFile(QStringLiteral("\\caculator.txt"));
}

void setVisible(const std::vector<ui::Control*>& controls, bool on) {
    for (ui::Control* c : controls)
        c->setVisible(on);
}

app::LineTable& lines() {
    return app::module1().lines;
}
} // namespace

// One click: its waits let every event run, among them an unload of the window; after each
// wait the flow stops quietly when its window went away.
class ImageComparison::Click {
public:
    explicit Click(shell::Form2& form) : form_(form), opening_(form) {}

    bool alive() const { return opening_.alive(); }
    bool pauseSecond() const {
        form_.pauseSecond();
        return alive();
    }
    bool pauseShort() const {
        form_.pauseShort();
        return alive();
    }
    Pacing pacing() const {
        return Pacing{[this] { return pauseShort(); }};
    }

private:
    shell::Form2& form_;
    ui::Opening opening_;
};

ImageComparison::ImageComparison(shell::Form2& form) : f_(form) {
    f_.Command11.onClick = [this] { Command11_Click(); };
    f_.Command9.onClick = [this] { Command9_Click(); };
    f_.Command12.wire(
        [this](ui::CommandButton& b, int i) { b.onClick = [this, i] { Command12_Click(i); }; });
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

bool ImageComparison::loadSet(const QString& path, app::TextGrid& grid, const QString& title) {
    const SetLoadResult loaded = loadSetFile(path, lines(), grid);
    switch (loaded.status) {
    case SetLoad::Loaded:
        return true;
    case SetLoad::Unreadable:
        ui::MsgBox(kReadFailed + path, ui::vbOKOnly, title);
        return false;
    case SetLoad::TooManyLines:
        ui::MsgBox(kTooManyLines.arg(loaded.limit), ui::vbOKOnly);
        return false;
    case SetLoad::Empty:
        // Nothing to compare or draw: refused like a file that cannot be read.
        ui::MsgBox(kNoSamples + path, ui::vbOKOnly, title);
        return false;
    }
    return false;
}

// ---- Redraw of a difference set ----

double ImageComparison::chonghua(const QString& path, bool oneColour) {
    const SetLoadResult loaded = loadSetFile(path, lines(), lines().pixelSetA);
    if (loaded.status == SetLoad::TooManyLines)
        ui::MsgBox(kTooManyLines.arg(loaded.limit), ui::vbOKOnly);
    if (loaded.status == SetLoad::Empty)
        qingnv();
    if (loaded.status != SetLoad::Loaded)
        return 0;
    const auto steps = stepsFromBoxes(f_.Text1(2).Text(), f_.Text1(3).Text(), f_.Picture1.Width(),
                                      f_.Picture1.Height());
    if (!steps)
        return 0;
    Click click(f_);
    redrawChanged(f_.Picture1, lines().pixelSetA, *steps, oneColour, f_.penColor, click.pacing());
    return 0;
}

// ---- Shared steps of the flows ----

std::optional<Steps> ImageComparison::checkGrid(const QString& defaultThreshold,
                                                const QString& help, bool helpFirst) {
    auto steps = stepsFromBoxes(f_.Text1(2).Text(), f_.Text1(3).Text(), f_.Picture1.Width(),
                                f_.Picture1.Height());
    if (steps)
        return steps;
    if (helpFirst)
        ui::MsgBox(help, ui::vbOKOnly);
    f_.Text1(2).setText(QStringLiteral("800"));
    f_.Text1(3).setText(QStringLiteral("600"));
    f_.Text2.setText(defaultThreshold);
    if (!helpFirst)
        ui::MsgBox(help, ui::vbOKOnly);
    return std::nullopt;
}

QString ImageComparison::askFile(ui::CommonDialog& dialog, bool save) {
    dialog.CancelError = true;
    dialog.Filter = kFilter;
    dialog.FileName = QString();
    // A cancelled dialog raises an error that leaves the name empty.
    vbrt::skipOnError([&] { save ? dialog.ShowSave() : dialog.ShowOpen(); });
    return dialog.FileName;
}

void ImageComparison::busyMessage(const QString& title) {
    ui::MsgBox(kBusy, ui::vbOKOnly, title);
}

void ImageComparison::writeFailed(const QString& path, const QString& error) {
    ui::MsgBox(vbrt::writeFailedMessage(path, {error}), ui::vbOKOnly, kTitle);
}

void ImageComparison::flip(ui::CommandButton& button, const QString& caption, int colour) {
    button.setCaption(caption);
    button.setBackColor(colour);
}

ImageComparison::CaptureEnd ImageComparison::capture(const Steps& steps, const Capture& how,
                                                     Click& click) {
    ui::MsgBox(kSaveNotice, ui::vbOKOnly, kTitle);
    const QString name = askFile(f_.CommonDialog1, true);
    if (name.isEmpty()) {
        setVisible(how.hidden, false);
        setVisible(how.shownAfter, true);
        return CaptureEnd::Cancelled;
    }

    // Nothing written yet: a No to the replace question leaves it so.
    WriteOutcome written{WriteStatus::Stopped, {}};
    bool attempted = false;
    setVisible(how.hidden, false);
    if (QFileInfo::exists(name)) {
        const int answer = ui::MsgBox(kReplace, ui::vbYesNo, kReplaceTitle);
        if (!click.pauseSecond())
            return CaptureEnd::Stopped;
        if (answer == ui::vbYes) {
            if (!click.pauseSecond())
                return CaptureEnd::Stopped;
            attempted = true;
            written = writePixelSet(name, f_.Picture1, steps, SetTail::CrLfLine, click.pacing());
        }
    } else {
        if (!click.pauseSecond())
            return CaptureEnd::Stopped;
        attempted = true;
        written = writePixelSet(name, f_.Picture1, steps, SetTail::None, click.pacing());
    }
    if (attempted && written.status == WriteStatus::Stopped)
        return CaptureEnd::Stopped;
    if (written.status == WriteStatus::Failed)
        writeFailed(name, written.error);
    else if (written.status == WriteStatus::Written && !how.success.isEmpty())
        ui::MsgBox(how.successNamesFile ? how.success + name : how.success, ui::vbOKOnly, kTitle);
    setVisible(how.shownAfter, true);
    return CaptureEnd::Done;
}

void ImageComparison::closingDialogue(Click& click) {
    const QString path = differencePath();
    ui::MsgBox(kCompared + path, ui::vbOKOnly, kTitle);
    const int answer = ui::MsgBox(kMarkAsk, ui::vbYesNo, kTitle);
    if (!click.pauseShort())
        return;
    chonghua(path, answer == ui::vbYes);
}

// ---- Command11: capture and compare ----

void ImageComparison::Command11_Click() {
    if (running11_)
        return;
    const QScopedValueRollback running(running11_, true);
    Click click(f_);
    app::module1().imageSampled = true;
    const auto steps = checkGrid(QStringLiteral("100"), kHelp, false);
    if (!steps)
        return;
    if (f_.Command11.Caption() == kCapture)
        captureAndCompare(*steps, click);
    else
        compareLive(*steps, click);
}

bool ImageComparison::openComparison(ui::CommandButton& self, const QString& notice) {
    flip(self, kCapture, kCaptureColour);
    f_.Picture1.setAutoRedraw(true);
    ui::MsgBox(notice, ui::vbOKOnly, kTitle);
    const QString first = askFile(f_.CommonDialog1, false);
    if (first.isEmpty())
        return false;
    return loadSet(first, lines().pixelSetA, kTitle);
}

void ImageComparison::captureAndCompare(const Steps& steps, Click& click) {
    ui::CommandButton& self = f_.Command11;
    flip(self, kCompare, kCompareColour);
    capture(steps,
            {{&f_.Command1(9), &self, &f_.Command1(7)},
             {&f_.Command1(9), &self, &f_.Command1(7)},
             kCapturedForCompare},
            click);
}

void ImageComparison::compareLive(const Steps& steps, Click& click) {
    ui::CommandButton& self = f_.Command11;
    app::LineTable::WriterHold hold(lines());
    if (!hold) {
        busyMessage(kTitle);
        return;
    }
    if (!openComparison(self, kFirstSetNotice))
        return;

    const std::vector<ui::Control*> hidden{&f_.Command1(9), &self, &f_.Command1(7)};
    const std::vector<ui::Control*> shownAfter{&f_.Command1(9), &self, &f_.Command1(7),
                                               &f_.Command1(3)};
    setVisible(hidden, false);
    const int answer = ui::MsgBox(kImportedAsk, ui::vbYesNo, kTitle);
    if (!click.pauseSecond())
        return;
    if (answer == ui::vbNo) {
        ui::MsgBox(kRedrawNotice, ui::vbOKOnly, kTitle);
        if (!click.pauseSecond())
            return;
        const QString second = askFile(f_.CommonDialog2, false);
        if (!second.isEmpty()) {
            if (!loadSet(second, lines().pixelSetB, kTitle)) {
                setVisible(shownAfter, true);
                return;
            }
            if (!compareRedraw(
                    f_.Picture1, lines().pixelSetA, lines().pixelSetB, steps, distanceDiffers,
                    [this] { return f_.Text2.Text(); }, f_.penColor, click.pacing()))
                return;
        }
    }
    const Comparison result = writeLiveDifference(
        differencePath(), f_.Picture1, lines().pixelSetA, steps, [this] { return f_.Text2.Text(); },
        click.pacing());
    if (result.status == WriteStatus::Stopped)
        return;
    if (result.status == WriteStatus::Failed)
        writeFailed(differencePath(), result.error);
    else
        closingDialogue(click);
    if (click.alive())
        setVisible(shownAfter, true);
}

// ---- Command12: capture, compare, overlay ----

void ImageComparison::Command12_Click(int Index) {
    if (Index < 0 || Index > 2 || running12_[size_t(Index)])
        return;
    const QScopedValueRollback running(running12_[size_t(Index)], true);
    Click click(f_);
    app::module1().imageSampled = true;
    const auto steps = checkGrid(QStringLiteral("100"), kHelp, false);
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

void ImageComparison::compareSets(const Steps& steps, Click& click) {
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
    if (!loadSet(first, lines().pixelSetA, kTitle))
        return;
    const std::vector<ui::Control*> companions{&f_.Command1(9), &self, &f_.Command1(7)};
    setVisible(companions, false);
    ui::MsgBox(kFirstImported, ui::vbOKOnly, kTitle);
    setVisible(companions, true);
    const QString second = askFile(f_.CommonDialog2, false);
    if (second.isEmpty() || !click.pauseSecond())
        return;
    if (!loadSet(second, lines().pixelSetB, kTitle))
        return;
    ui::MsgBox(kSecondImported, ui::vbOKOnly, kTitle);
    const Comparison result = writeSetDifference(
        differencePath(), f_.Picture1, lines().pixelSetA, lines().pixelSetB, steps,
        [this] { return f_.Text2.Text(); }, click.pacing());
    if (result.status == WriteStatus::Failed)
        writeFailed(differencePath(), result.error);
    else if (result.status == WriteStatus::Written)
        closingDialogue(click);
}

void ImageComparison::overlay(const Steps& steps, Click& click) {
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
    if (!loadSet(set, lines().pixelSetA, kOverlayTitle))
        return;
    const int answer = ui::MsgBox(kOverlayColours, ui::vbYesNo, kOverlayTitle);
    if (!click.pauseSecond())
        return;
    bool drawn = false;
    if (answer == ui::vbYes) {
        const QString colours = askFile(f_.CommonDialog3, false);
        if (colours.isEmpty() || !click.pauseSecond())
            return;
        if (!loadSet(colours, lines().pixelSetC, kOverlayTitle))
            return;
        drawn =
            overlayRedraw(f_.Picture1, lines().pixelSetA, lines().pixelSetC, steps, click.pacing());
    } else {
        drawn = ownColourRedraw(f_.Picture1, lines().pixelSetA, steps, click.pacing());
    }
    if (drawn)
        ui::MsgBox(kOverlayDone, ui::vbOKOnly, kOverlayTitle);
}

// ---- Command9: template comparison ----

void ImageComparison::Command9_Click() {
    if (running9_)
        return;
    const QScopedValueRollback running(running9_, true);
    Click click(f_);
    app::module1().imageSampled = true;
    const auto steps = checkGrid(QStringLiteral("30"), kTemplateHelp, true);
    if (!steps)
        return;
    if (f_.Command9.Caption() == kCapture)
        templateCapture(*steps, click);
    else
        templateCompare(*steps, click);
}

void ImageComparison::templateCapture(const Steps& steps, Click& click) {
    ui::CommandButton& self = f_.Command9;
    flip(self, kCompare, kCompareColour);
    capture(steps, {{&f_.Command1(9), &self}, {&f_.Command1(9), &self, &f_.Command1(7)}, {}},
            click);
}

void ImageComparison::templateCompare(const Steps& steps, Click& click) {
    ui::CommandButton& self = f_.Command9;
    app::LineTable::WriterHold hold(lines());
    if (!hold) {
        busyMessage(kTitle);
        return;
    }
    if (!openComparison(self, kTemplateNotice))
        return;

    const std::vector<ui::Control*> companions{&f_.Command1(9), &self, &f_.Command1(7)};
    setVisible(companions, false);
    const auto thresholdText = [this] { return f_.Text2.Text(); };
    bool done = true;
    const int q1 = ui::MsgBox(kTemplateAsk1, ui::vbYesNo, kTitle);
    if (!click.pauseSecond())
        return;
    if (q1 == ui::vbYes) {
        const Comparison result = writeTemplateDifference(
            differencePath(), f_.Picture1, lines().pixelSetA, steps, thresholdText, click.pacing());
        if (result.status == WriteStatus::Failed)
            writeFailed(differencePath(), result.error);
        done = result.status != WriteStatus::Stopped;
    } else {
        const int q2 = ui::MsgBox(kTemplateAsk2, ui::vbYesNo, kTitle);
        if (!click.pauseSecond())
            return;
        if (q2 == ui::vbYes) {
            const QString second = askFile(f_.CommonDialog2, false);
            if (!second.isEmpty()) {
                if (loadSet(second, lines().pixelSetB, kTitle))
                    done =
                        compareRedraw(f_.Picture1, lines().pixelSetA, lines().pixelSetB, steps,
                                      templateDiffers, thresholdText, f_.penColor, click.pacing());
            }
        } else {
            const int q3 = ui::MsgBox(kTemplateAsk3, ui::vbYesNo, kTitle);
            if (!click.pauseSecond())
                return;
            if (q3 == ui::vbYes) {
                const QString third = askFile(f_.CommonDialog3, false);
                if (!third.isEmpty()) {
                    if (!click.pauseSecond())
                        return;
                    if (loadSet(third, lines().pixelSetC, kTitle))
                        done = overlayRedraw(f_.Picture1, lines().pixelSetA, lines().pixelSetC,
                                             steps, click.pacing());
                }
            } else {
                done = ownColourRedraw(f_.Picture1, lines().pixelSetA, steps, click.pacing());
            }
        }
    }
    if (done)
        setVisible(companions, true);
}

} // namespace pixelsets
