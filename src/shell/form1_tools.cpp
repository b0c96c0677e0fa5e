// The main window's picture and colour tools: empty, save and import the picture, the pen
// and paper colours, the quick save, the colour mixer and the caption clock.

#include "app/module1.h"
#include "shell/calculator.h"
#include "shell/form1.h"
#include "shell/video_player.h"
#include "ui/clock.h"
#include "ui/picture_file.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"
#include "vbrt/datetime.h"
#include "vbrt/errors.h"
#include "vbrt/file_reader.h"

#include <QScopedValueRollback>

namespace shell {

namespace {
const QString kPictureFilter = QStringLiteral("图形文件*.jpg|*.jpg");
const QString kDrawTitle = QStringLiteral("Tessal画图");
const QString kSaveTitle = QStringLiteral("Tessal计算 之 查询存储");
const QString kTooLarge = QStringLiteral("图片太大（超过1亿像素），无法导入：");
const QString kNotAPlainFile = vbrt::notAPlainFile() + QStringLiteral("，无法导入：");
} // namespace

void Form1::savePictureTo(const QString& name) {
    if (const vbrt::WriteResult saved = Picture1.saveImage(name); !saved)
        ui::MsgBox(vbrt::writeFailedMessage(name, saved), ui::vbOKOnly, kSaveTitle);
}

void Form1::Command3_Click(int index) {
    video.returnToPictureView();
    if (index == 0) {
        if (ui::MsgBox(QStringLiteral("确定要清空保存的图像，重新开始画图吗？"), ui::vbYesNo,
                       kDrawTitle) == ui::vbYes)
            Picture1.setPicture(QImage());
        return;
    }
    if (ui::MsgBox(QStringLiteral("确定要保存的上面的图像吗？"), ui::vbYesNo, kDrawTitle) ==
        ui::vbNo)
        return;
    Picture1.setAutoRedraw(true);
    savePicture();
}

void Form1::Command5_Click() {
    video.returnToPictureView();
    savePicture();
}

void Form1::savePicture() {
    // A cancelled dialog ends the save without a word; a failed write says why. The file
    // name is kept: the dialog proposes the name it returned last.
    if (const std::optional<QString> name =
            ui::askSaveName(CommonDialog1, kPictureFilter, kSaveTitle))
        savePictureTo(*name);
}

void Form1::Command7_Click() {
    video.returnToPictureView();
    CommonDialog1.FileName = QString();
    // From here on a failing step is skipped, a cancelled dialog included: the area is
    // cleared, rescaled and repainted whatever the dialog gave.
    vbrt::skipOnError([&] {
        CommonDialog1.CancelError = true;
        CommonDialog1.Filter = kPictureFilter;
        CommonDialog1.ShowOpen();
    });
    Picture1.Cls();
    Picture1.Scale(0, 0, 5760, 4320);
    Picture1.setAutoRedraw(true);
    Picture1.setAutoSize(false);
    const QString name = CommonDialog1.FileName;
    if (!name.isEmpty()) {
        // A file that is no picture leaves the old background picture; one too large to
        // hold, or no regular file, says so.
        ui::PictureError error = ui::PictureError::None;
        const QImage picture = ui::LoadPicture(name, &error);
        if (!picture.isNull())
            Picture1.setPicture(picture);
        else if (error == ui::PictureError::TooLarge)
            ui::MsgBox(kTooLarge + name, ui::vbOKOnly, kDrawTitle);
        else if (error == ui::PictureError::NotAPlainFile)
            ui::MsgBox(kNotAPlainFile + name, ui::vbOKOnly, kDrawTitle);
    }
    vbrt::skipOnError([&] { Picture1.PaintPicture(Picture1.Picture(), 0, 0, 5760, 4320); });
    Picture1.Refresh();
}

void Form1::Command4_Click(int index) {
    static constexpr double kPens[3] = {255, 65280, 16711680};
    if (index >= 0 && index <= 2)
        calculator.penColor = kPens[index];
}

void Form1::Command6_Click(int index) {
    if (!pickColour(index))
        return;
    if (index == 1)
        calculator.penColor = Command6(1).BackColor();
    else
        Picture1.setBackColor(Command6(0).BackColor());
}

void Form1::Label1_Click(int) {
    Picture1.setAutoRedraw(true);
    // An unwritable folder leaves any older 11.jpg as it was.
    savePictureTo(vbrt::appFile(QStringLiteral("\\11.jpg")));
}

void Form1::VScroll1_Change(int) {
    Timer3.setEnabled(true);
}

QString Form1::clockCaption(const QDate& date) {
    const QString gap(5, QLatin1Char(' '));
    return QStringLiteral("风雨同路，一往无前") + gap + vbrt::shortDate(date) + gap +
           vbrt::chineseWeekday(date.dayOfWeek());
}

void Form1::Timer1_Timer() {
    setCaption(clockCaption(ui::Clock::instance().date()));
    if (window())
        window()->update();
}

} // namespace shell
