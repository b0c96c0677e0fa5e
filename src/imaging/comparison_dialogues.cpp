#include "imaging/comparison_flow.h"
#include "imaging/image_comparison.h"
#include "pixelsets/set_file.h"
#include "vbrt/errors.h"
#include "vbrt/file_writer.h"
#include "windows/form2_controls.h"

#include <QFileInfo>

// The steps the image comparison's flows share: the grid check, the file dialogs, reading a
// set, the capture into a set file and the dialogue that closes a comparison.
namespace imaging {

using namespace pixelsets;
using namespace flow;

namespace {
const QString kReplaceTitle = QStringLiteral("Tessal Arvendel 之 图像识别");
const QString kFilter = QStringLiteral("文本文件*.txt|*.txt");
const QString kSaveNotice = QStringLiteral("将要保存的是Tessal画画的像素集合；\r\n是否继续？");
const QString kReplace = QStringLiteral("已经存在,要替换她吗？");
const QString kCompared = QStringLiteral("已成功对比图片,并保存不同点到 了:");
const QString kMarkAsk = QStringLiteral(
    "是否将所有不同点画出来？是，表示用自定义的画色标记，否，用图像原来的颜色标记。");

// Our own messages for what the old flows passed over in silence.
const QString kNoSamples = QStringLiteral("像素集合文件中没有任何数据：");
const QString kNotWhole = QStringLiteral("像素集合文件不是按当前采集分辨率采集的完整像素集合：");
const QString kBusy = QStringLiteral("另一个图像比较正在进行，请等它结束后再试。");
} // namespace

std::optional<Steps> ImageComparison::checkGrid(const QString& defaultThreshold,
                                                const QString& help, bool helpFirst) {
    auto steps = f_.samplingGrid();
    if (steps)
        return steps;
    if (helpFirst)
        ui::MsgBox(help, ui::vbOKOnly);
    f_.resetSamplingGrid(defaultThreshold);
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

bool ImageComparison::loadSet(const QString& path, app::TextGrid& grid, const Steps& steps,
                              const QString& title) {
    const SetLoadResult loaded = loadSetFile(path, lines(), grid);
    switch (loaded.status) {
    case SetLoad::Loaded:
        // Walked with this click's steps, a set of another grid or a cut one would be compared
        // or drawn against samples it does not hold.
        if (isWholePixelSet(lines(), grid, gridSize(f_.Picture1, steps)))
            return true;
        ui::MsgBox(kNotWhole + path, ui::vbOKOnly, title);
        return false;
    case SetLoad::Unreadable:
    case SetLoad::TooLarge:
        ui::MsgBox(setUnreadable(path, loaded.error), ui::vbOKOnly, title);
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
                                                     const ui::Opening& click) {
    ui::MsgBox(kSaveNotice, ui::vbOKOnly, kTitle);
    const QString name = askFile(f_.CommonDialog1, true);
    if (name.isEmpty()) {
        ui::showControls(how.hidden, false);
        ui::showControls(how.shownAfter, true);
        return CaptureEnd::Cancelled;
    }

    // Nothing written yet: a No to the replace question leaves it so.
    WriteOutcome written{WriteStatus::Stopped, {}};
    bool attempted = false;
    ui::showControls(how.hidden, false);
    if (QFileInfo::exists(name)) {
        const int answer = ui::MsgBox(kReplace, ui::vbYesNo, kReplaceTitle);
        if (!click.pauseSecond())
            return CaptureEnd::Stopped;
        if (answer == ui::vbYes) {
            if (!click.pauseSecond())
                return CaptureEnd::Stopped;
            attempted = true;
            written = writePixelSet(name, f_.Picture1, steps, SetTail::CrLfLine,
                                    Pacing{click.shortPauses()});
        }
    } else {
        if (!click.pauseSecond())
            return CaptureEnd::Stopped;
        attempted = true;
        written =
            writePixelSet(name, f_.Picture1, steps, SetTail::None, Pacing{click.shortPauses()});
    }
    if (attempted && written.status == WriteStatus::Stopped)
        return CaptureEnd::Stopped;
    if (written.status == WriteStatus::Failed)
        writeFailed(name, written.error);
    else if (written.status == WriteStatus::Written && !how.success.isEmpty())
        ui::MsgBox(how.successNamesFile ? how.success + name : how.success, ui::vbOKOnly, kTitle);
    ui::showControls(how.shownAfter, true);
    return CaptureEnd::Done;
}

bool ImageComparison::openComparison(const app::LineTable::WriterHold& hold,
                                     ui::CommandButton& self, const Steps& steps,
                                     const QString& notice) {
    if (!hold) {
        busyMessage(kTitle);
        return false;
    }
    flip(self, kCapture, kCaptureColour);
    f_.Picture1.setAutoRedraw(true);
    ui::MsgBox(notice, ui::vbOKOnly, kTitle);
    const QString first = askFile(f_.CommonDialog1, false);
    if (first.isEmpty())
        return false;
    return loadSet(first, lines().pixelSetA, steps, kTitle);
}

void ImageComparison::closingDialogue(const ui::Opening& click) {
    const QString path = differencePath();
    ui::MsgBox(kCompared + path, ui::vbOKOnly, kTitle);
    const int answer = ui::MsgBox(kMarkAsk, ui::vbYesNo, kTitle);
    if (!click.pauseShort())
        return;
    chonghua(path, answer == ui::vbYes);
}

} // namespace imaging
