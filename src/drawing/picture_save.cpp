// Saving the drawing area's picture, with or without the parameter records of the drop that
// drew it (treego.txt, which the replay reads, and the log tree.txt).
#include "drawing/drawing_board.h"
#include "ui/clock.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"
#include "vbrt/datetime.h"
#include "vbrt/errors.h"
#include "vbrt/file_writer.h"
#include "windows/form2_controls.h"
#include "windows/parameter_panel.h"

namespace drawing {

using windows::ParameterPanel;

namespace {
const QString kReplaceTitle = QStringLiteral("Tessal计算 ");

// The panel boxes a record holds, as typed: t, r, Vx0, VFy, Vy0, origin X, origin Y, VFx.
QStringList recordValues(windows::ParameterPanel& panel, const windows::Form2Controls& form) {
    return {panel.box(ParameterPanel::kTimeBox).Text(),
            panel.box(0).Text(),
            panel.box(1).Text(),
            panel.box(3).Text(),
            panel.box(4).Text(),
            form.Text1(2).Text(),
            form.Text1(3).Text(),
            panel.box(2).Text()};
}

bool appendReported(const QString& file, const QString& text) {
    const QString path = vbrt::appFile(file);
    const vbrt::WriteResult written = vbrt::appendToFile(path, text.toUtf8());
    if (!written)
        ui::MsgBox(vbrt::writeFailedMessage(path, written), ui::vbOKOnly, kReplaceTitle);
    return written.ok();
}
} // namespace

QString parameterRecord(const QStringList& values) {
    QString line;
    for (const QString& v : values)
        line += v + QLatin1Char(',');
    return line + vbrt::kCrLf;
}

QString parameterLogEntry(const QString& when, const QString& picture, const QStringList& values) {
    return when + vbrt::kCrLf + picture + QLatin1Char('\t') + values.join(QLatin1Char(',')) +
           vbrt::kCrLf;
}

std::optional<QString> DrawingBoard::pictureSaveName(const QString& replaceTitle) {
    f_.CommonDialog1.FileName = QString();
    return ui::askSaveName(f_.CommonDialog1, windows::Form2Controls::kPictureFilter, replaceTitle);
}

bool DrawingBoard::savePicture(const QString& name) {
    const vbrt::WriteResult saved = f_.Picture1.saveImage(name);
    if (!saved)
        ui::MsgBox(vbrt::writeFailedMessage(name, saved), ui::vbOKOnly, kReplaceTitle);
    return saved.ok();
}

bool DrawingBoard::appendRecords(const QString& picture) {
    const QStringList values = recordValues(panel_, f_);
    const QDateTime now = ui::Clock::instance().now();
    return appendReported(QStringLiteral("\\treego.txt"), parameterRecord(values)) &&
           appendReported(QStringLiteral("\\tree.txt"),
                          parameterLogEntry(vbrt::dateTimeText(now), picture, values));
}

void DrawingBoard::savePictureWithRecords() {
    // The records describe a saved picture: they follow only a picture that was written.
    const std::optional<QString> name = pictureSaveName(kReplaceTitle);
    if (name && savePicture(*name))
        appendRecords(*name);
}

void DrawingBoard::savephoto() {
    if (const std::optional<QString> name = pictureSaveName(kReplaceTitle))
        savePicture(*name);
}

} // namespace drawing
