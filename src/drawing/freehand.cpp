// The freehand pen: a left press starts a stroke, Timer13 samples the pointer's last shown
// position into it every 10 ms, the release ends it. Moves keep the coordinate and colour
// readouts; Ctrl + right click takes the pen colour from the canvas.
#include "app/module1.h"
#include "drawing/drawing_board.h"
#include "dropcalc/rounding.h"
#include "vbrt/convert.h"
#include "windows/form2_controls.h"
#include "windows/parameter_panel.h"

namespace drawing {

using windows::ParameterPanel;

using app::StrokeStore;

namespace {
const QString kPickedNotice = QStringLiteral("通过右键单击，获取像素值，将用此像素值作画。");
const QString kPenTitle = QStringLiteral("Tessal Arvendel 之画画");

// The channels of a colour read from the canvas; outside the picture (-1) they read white.
struct Channels {
    int r, g, b;
};
Channels channelsOf(vbrt::Colour c) {
    return {vbrt::redOf(c), vbrt::greenOf(c), vbrt::blueOf(c)};
}
} // namespace

void DrawingBoard::huahua() {
    app::Module1& m = app::module1();
    if (!m.freehandMode) {
        f_.Picture1.setDrawWidth(2);
        m.freehandMode = true;
        f_.Picture1.setMousePointer(ui::PictureBox::kPenPointer);
        f_.Command1(kPenButton).setBackColor(kSwitchOn);
        return;
    }
    m.freehandMode = false;
    f_.Picture1.setMousePointer(ui::PictureBox::kDefaultPointer);
    // A stroke being drawn ends with the pen: its release is no longer the pen's.
    f_.Timer(13).setEnabled(false);
    strokeCount = 0;
    pointCount = 0;
    strokeLenIndex = 0;
    pageIndex = 0;
    f_.Command1(kPenButton).setBackColor(kSwitchOff);
}

void DrawingBoard::startOfOpening() {
    fullScreenOn = false;
    strokeCount = 0;
    pointCount = 0;
    strokeLenIndex = 0;
    pageIndex = 0;
}

void DrawingBoard::penDown(double x, double y) {
    // The store has no slot for a further stroke.
    if (!StrokeStore::inBounds(int(strokeCount)) || f_.Timer(13).Enabled())
        return;
    f_.originX = x;
    f_.originY = y;
    panel_.box(ParameterPanel::kTargetXBox).setText(vbrt::CStr(float(x)));
    panel_.box(ParameterPanel::kTargetYBox).setText(vbrt::CStr(float(y)));
    app::StrokePoint& start = strokes.at(int(strokeCount), int(pointCount));
    start.x = dropcalc::wc(f_.originX);
    start.y = dropcalc::wc(f_.originY);
    f_.Timer(13).setEnabled(true);
    f_.Picture1.PSet(f_.originX, f_.originY, f_.penColor);
}

void DrawingBoard::Picture1_MouseMove(int, int, double x, double y) {
    if (f_.readoutFrozen)
        return;
    f_.Text1(0).setText(vbrt::CStr(float(x)));
    f_.Text1(1).setText(vbrt::CStr(float(y)));
    if (app::module1().imageSampled)
        return;
    const Channels c = channelsOf(f_.Picture1.Point(x, y));
    f_.Text3.setBackColor(vbrt::RGB(c.r, c.g, c.b));
    f_.Text2.setText(vbrt::CStr(c.r) + QStringLiteral("__") + vbrt::CStr(c.g) +
                     QStringLiteral("__") + vbrt::CStr(c.b));
}

void DrawingBoard::Timer13_Timer() {
    const int stroke = int(strokeCount), index = int(pointCount) + 1;
    if (!StrokeStore::inBounds(stroke) || !StrokeStore::inBounds(index)) {
        f_.Timer(13).setEnabled(false);
        return;
    }
    pointCount = index;
    // The pointer's position as the readout last showed it: a pen held still adds the same
    // point again.
    const double x = vbrt::Val(f_.Text1(0).Text()), y = vbrt::Val(f_.Text1(1).Text());
    strokes.at(stroke, index) = {x, y, double(f_.penColor), double(f_.Picture1.DrawWidth())};
    f_.Picture1.LineTo(x, y, f_.penColor);
    // The stroke has taken its last slot: it ends here, as a release would.
    if (index == StrokeStore::kLast)
        endStroke(x, y);
}

void DrawingBoard::Picture1_MouseUp(int button, int shift, double x, double y) {
    if (!app::module1().freehandMode)
        return;
    x = float(x);
    y = float(y);
    // Without a stroke being drawn (the store ended it) there is nothing to end.
    if (button == ui::LeftButton && f_.Timer(13).Enabled())
        endStroke(x, y);
    else if (button == ui::RightButton && shift == ui::CtrlKey)
        pickPenColour(x, y);
}

void DrawingBoard::endStroke(double x, double y) {
    strokeCount += 1;
    if (StrokeStore::inBounds(int(strokeLenIndex)))
        strokes.pointsPerStroke[int(strokeLenIndex)] = pointCount;
    strokes.strokesPerPage[int(pageIndex)] = strokeCount;
    f_.Timer(13).setEnabled(false);
    f_.originX = x;
    f_.originY = y;
    strokeLenIndex += 1;
    pointCount = 0;
}

void DrawingBoard::pickPenColour(double x, double y) {
    const Channels c = channelsOf(f_.Picture1.Point(x, y));
    f_.penColor = vbrt::RGB(c.r, c.g, c.b);
    ui::MsgBox(kPickedNotice, ui::vbOKOnly, kPenTitle);
}

} // namespace drawing
