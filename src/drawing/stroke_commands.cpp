// 导出 and 导入: the stored strokes to a stroke file and back.
#include "app/module1.h"
#include "drawing/drawing_board.h"
#include "drawing/stroke_file.h"
#include "vbrt/errors.h"
#include "vbrt/file_reader.h"
#include "vbrt/file_writer.h"
#include "windows/form2_controls.h"

namespace drawing {

namespace {
const QString kPenTitle = QStringLiteral("Tessal Arvendel 之画画");
const QString kReplaceTitle = QStringLiteral("Tessal Arvendel  之 画画");
const QString kExportNotice = QStringLiteral("将要保存的是Tessal画画的轨迹结果；\r\n是否继续？");
const QString kImportNotice = QStringLiteral("将要导入的是Tessal画画的轨迹结果；\r\n是否继续？");
const QString kStrokeFilter = QStringLiteral("文本文件*.txt|*.txt");
const QString kUnreadable = QStringLiteral("无法读取轨迹文件：");
const QString kNotStrokes = QStringLiteral("不是Tessal画画的轨迹文件，没有导入：");

} // namespace

void DrawingBoard::outsave() {
    ui::MsgBox(kExportNotice, ui::vbOKOnly, kPenTitle);
    ui::CommonDialog& dialog = f_.CommonDialog1;
    dialog.FileName = QString();
    const std::optional<QString> name = ui::askSaveName(dialog, kStrokeFilter, kReplaceTitle);
    if (!name)
        return;
    const int count = int(strokes.strokesPerPage[int(pageIndex)]);
    const vbrt::WriteResult written = vbrt::replaceFile(*name, strokeFileText(strokes, count));
    if (!written)
        ui::MsgBox(vbrt::writeFailedMessage(*name, written), ui::vbOKOnly, kPenTitle);
}

void DrawingBoard::inputres() {
    app::Module1& m = app::module1();
    m.freehandMode = false;
    f_.Command1(kPenButton).setBackColor(kSwitchOff);
    // A stroke being drawn ends with the pen.
    f_.Timer(13).setEnabled(false);
    ui::MsgBox(kImportNotice, ui::vbOKOnly, kPenTitle);
    ui::CommonDialog& dialog = f_.CommonDialog1;
    dialog.CancelError = true;
    dialog.Filter = kStrokeFilter;
    dialog.FileName = QString();
    if (!vbrt::skipOnError([&] { dialog.ShowOpen(); }) || dialog.FileName.isEmpty())
        return;
    const QString name = dialog.FileName;
    const vbrt::ReadResult file = vbrt::readFile(name, kMaxStrokeFileBytes);
    if (!file) {
        ui::MsgBox(vbrt::readFailedMessage(name, file.error, kUnreadable), ui::vbOKOnly, kPenTitle);
        return;
    }
    const StrokeFileRead read = readStrokeFile(file.bytes, strokes);
    if (read.badLine) {
        ui::MsgBox(kNotStrokes + name, ui::vbOKOnly, kPenTitle);
        return;
    }
    // A file without a stroke line changes nothing. New strokes go after the imported ones,
    // never over them.
    if (read.lines == 0)
        return;
    strokes.strokesPerPage[int(pageIndex)] = read.strokes;
    strokeCount = read.strokes;
    strokeLenIndex = read.strokes;
    pointCount = 0;
}

} // namespace drawing
