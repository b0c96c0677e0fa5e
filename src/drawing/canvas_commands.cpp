// The drawing area's own commands: clear, pre-save, paper and pen colour, picture import and
// text.
#include "app/module1.h"
#include "drawing/drawing_board.h"
#include "dropcalc/plot.h"
#include "ui/picture_file.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"
#include "windows/form1_controls.h"
#include "windows/form2_controls.h"

#include <QScopedValueRollback>

namespace drawing {

using windows::ParameterPanel;

namespace {
const QString kDrawTitle = QStringLiteral("Tessal画图");
const QString kClearQuestion = QStringLiteral("确定要清空保存的图像，重新开始画图吗？");
const QString kPreSaveQuestion = QStringLiteral("确定要预存图像吗？");
const QString kPreSaveReplaceTitle = QStringLiteral("Tessal计算 之 查询存储");
const QString kTextFont = QStringLiteral("华文行楷");
} // namespace

void DrawingBoard::clearPicture() {
    if (ui::MsgBox(kClearQuestion, ui::vbYesNo, kDrawTitle) != ui::vbYes)
        return;
    app::Module1& m = app::module1();
    f_.Picture1.setPicture(QImage());
    f_.Image1.setPicture(QImage());
    f_.Text1(2).setText(QStringLiteral("0"));
    m.imagePresaved = false;
    f_.Text1(3).setText(QStringLiteral("0"));
    panel_.box(ParameterPanel::kTargetXBox).setText(QStringLiteral("0"));
    panel_.box(ParameterPanel::kTargetYBox).setText(QStringLiteral("0"));
    f_.originX = vbrt::Val(f_.Text1(2).Text());
    f_.originY = vbrt::Val(f_.Text1(3).Text());
    m.replayOffsetX = f_.originX;
    m.replayOffsetY = f_.originY;
    f_.Picture1.setAutoRedraw(false);
}

void DrawingBoard::preSavePicture() {
    if (ui::MsgBox(kPreSaveQuestion, ui::vbYesNo, kDrawTitle) != ui::vbYes)
        return;
    // Pre-saved and persistent from here, whatever the save below comes to.
    app::module1().imagePresaved = true;
    f_.Picture1.setAutoRedraw(true);
    if (const std::optional<QString> name = pictureSaveName(kPreSaveReplaceTitle))
        savePicture(*name);
}

void DrawingBoard::paperColour() {
    if (main_.pickColour(0))
        f_.Picture1.setBackColor(main_.Command6(0).BackColor());
}

void DrawingBoard::penColour() {
    if (main_.pickColour(1))
        f_.penColor = main_.Command6(1).BackColor();
}

void DrawingBoard::importPicture() {
    const ui::Form::Run run(f_);
    if (!run)
        return;
    ui::PictureBox& canvas = f_.Picture1;
    canvas.setPicture(QImage());
    f_.Image1.setPicture(QImage());
    canvas.Scale(0, 0, canvas.Width(), canvas.Height());
    if (!ui::Opening(f_).pauseSecond())
        return;

    // From here every failure ends the command where it stands.
    ui::CommonDialog& dialog = f_.CommonDialog1;
    dialog.Filter = windows::Form2Controls::kPictureFilter;
    dialog.FileName = QString();
    // Without cancel-as-error a cancelled dialog leaves the name empty and the command goes
    // on without a picture.
    if (!vbrt::skipOnError([&] { dialog.ShowOpen(); }))
        return;
    const QString name = dialog.FileName;
    const bool sized = vbrt::skipOnError([&] {
        for (const int box : {int(ParameterPanel::kTimeBox), 0, 1, 3, 4})
            panel_.number(box);
        panel_.sizePlotWindow(f_.plotWindow, panel_.number(ParameterPanel::kTimeBox),
                              dropcalc::kPlotSteps, dropcalc::TimeLoop::ForTo);
    });
    if (!sized)
        return;

    f_.Image1.setVisible(false);
    canvas.setAutoRedraw(true);
    if (!name.isEmpty()) {
        f_.Image1.setStretch(true);
        const QImage picture = ui::LoadPicture(name);
        if (picture.isNull())
            return;
        f_.Image1.setPicture(picture);
        canvas.PaintPicture(picture, 0, 0, canvas.Width(), canvas.Height());
        canvas.setAutoRedraw(false);
        canvas.Refresh();
    }
    canvas.setAutoRedraw(false);
    canvas.Refresh();
}

void DrawingBoard::writeText() {
    ui::PictureBox& canvas = f_.Picture1;
    const QString text = f_.Text2.Text();
    canvas.setFontSize(30);
    canvas.setFontBold(true);
    canvas.setFillColor(f_.penColor);
    canvas.setFontName(kTextFont);
    canvas.PSet(f_.originX, f_.originY, f_.penColor);
    canvas.Print(text);
}

} // namespace drawing
