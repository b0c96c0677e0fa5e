// The pen tools: thick and thin, the line-width question, the replay of the stored strokes one
// per tick, and the keys of the whole-screen canvas.
#include "app/module1.h"
#include "drawing/drawing_board.h"
#include "vbrt/convert.h"
#include "windows/form1_controls.h"
#include "windows/form2_controls.h"

#include <algorithm>
#include <cmath>

namespace drawing {

using app::StrokeStore;

namespace {
const QString kThick = QStringLiteral("粗"), kThin = QStringLiteral("细");
const QString kWidthQuestion =
    QStringLiteral("是否要增加划线的宽度，如果选择“是”，则 线宽加1；如果选择“否”，则 线宽减1。");
constexpr int kThinPen = 2, kThickPen = 7;
constexpr int kMaxPenWidth = 70;
constexpr int kEscape = 27;

// A stored width as the pen takes it: whole pixels, within what the pen tools allow.
int penWidth(double width) {
    return int(std::clamp(std::nearbyint(width), 1.0, double(kMaxPenWidth)));
}
// A stored colour as &HBBGGRR; a stroke file may hold any number.
vbrt::Colour storedColour(double colour) {
    return vbrt::Colour(std::clamp(colour, 0.0, double(0xFFFFFF)));
}
} // namespace

DrawingBoard::DrawingBoard(windows::Form2Controls& form, windows::Form1Controls& main)
    : f_(form), main_(main), panel_(main.panel) {
    f_.Picture1.onMouseMove = [this](int button, int shift, double x, double y) {
        Picture1_MouseMove(button, shift, x, y);
    };
    f_.Picture1.onMouseUp = [this](int button, int shift, double x, double y) {
        Picture1_MouseUp(button, shift, x, y);
    };
    f_.Picture1.onKeyDown = [this](int& keyCode, int shift) { Picture1_KeyDown(keyCode, shift); };
    f_.Picture1.onKeyPress = [this](int& keyAscii) { Picture1_KeyPress(keyAscii); };
    f_.Timer(13).onTimer = [this] { Timer13_Timer(); };
    f_.Timer(14).onTimer = [this] { Timer14_Timer(); };
    f_.Command10.onClick = [this] { Command10_Click(); };
    f_.Text1.wire([this](ui::TextBox& box, int i) {
        box.onKeyPress = [this, i](int& keyAscii) { Text1_KeyPress(i, keyAscii); };
    });
}

void DrawingBoard::cxqh() {
    if (!app::module1().freehandMode)
        return;
    ui::CommandButton& button = f_.Command1(kThicknessButton);
    const bool thin = button.Caption() == kThick;
    button.setCaption(thin ? kThin : kThick);
    f_.Picture1.setDrawWidth(thin ? kThickPen : kThinPen);
}

void DrawingBoard::jiajian() {
    app::Module1& m = app::module1();
    if (app::isSimulation(m.drawingMode) && !m.freehandMode) {
        f_.originX = 0;
        f_.originY = 0;
        m.replayShiftX = 0;
        m.replayShiftY = 0;
        f_.drawChord = false;
    } else if (!m.freehandMode) {
        return;
    }
    const ui::Opening opening(f_);
    const int answer = ui::MsgBox(kWidthQuestion, ui::vbYesNo, QStringLiteral("Tessal"));
    // The window may have been closed while the question was open.
    if (!opening.alive())
        return;
    const int width = f_.Picture1.DrawWidth();
    if (answer == ui::vbYes && width < kMaxPenWidth)
        f_.Picture1.setDrawWidth(width + 1);
    else if (answer == ui::vbNo && width > 1)
        f_.Picture1.setDrawWidth(width - 1);
}

void DrawingBoard::autop() {
    ui::Timer& replay = f_.Timer(14);
    if (replay.Enabled()) {
        replay.setEnabled(false);
        f_.Command1(kReplayButton).setBackColor(kSwitchOff);
        return;
    }
    replayCursor_ = -1;
    replay.setEnabled(true);
    f_.Command1(kReplayButton).setBackColor(kSwitchOn);
}

void DrawingBoard::Timer14_Timer() {
    app::Module1& m = app::module1();
    replayCursor_ += 1;
    f_.Text2.setText(vbrt::CStr(replayCursor_));
    const int i = int(replayCursor_);
    if (replayCursor_ >= strokes.strokesPerPage[int(pageIndex)] || !StrokeStore::inBounds(i)) {
        f_.Timer(14).setEnabled(false);
        f_.Command1(kReplayButton).setBackColor(kSwitchOff);
        return;
    }
    // A stroke without a sample (a click) has no width and is passed over.
    const app::StrokePoint first = strokes.point(i, 1);
    if (first.width == 0)
        return;
    ui::PictureBox& canvas = f_.Picture1;
    const app::StrokePoint start = strokes.point(i, 0);
    canvas.setDrawWidth(penWidth(first.width));
    canvas.PSet(m.replayOffsetX + start.x, m.replayOffsetY + start.y, storedColour(first.colour));
    const double last = std::min(strokes.pointsPerStroke[i], double(StrokeStore::kLast));
    for (int j = 1; j <= last; ++j) {
        const app::StrokePoint p = strokes.point(i, j);
        canvas.setDrawWidth(penWidth(p.width));
        canvas.LineTo(m.replayOffsetX + p.x, m.replayOffsetY + p.y, storedColour(p.colour));
    }
}

void DrawingBoard::Picture1_KeyDown(int keyCode, int shift) {
    const app::Module1& m = app::module1();
    if (shift != ui::CtrlKey || !m.imagePresaved || !canvasKeysOn)
        return;
    switch (keyCode) {
    case 'S':
        savephoto();
        break;
    case 'H':
        huahua();
        break;
    case 'J':
        jiajian();
        break;
    case 'L':
        cxqh();
        break;
    case 'A':
        autop();
        break;
    case 'I':
        inputres();
        break;
    case 'O':
        outsave();
        break;
    default:
        break;
    }
}

void DrawingBoard::Picture1_KeyPress(int keyAscii) {
    if (keyAscii != kEscape)
        return;
    app::Module1& m = app::module1();
    // Esc is the way out of every full-screen layout, the one without a restore button too.
    if (canvasKeysOn || fullScreenOn) {
        canvasKeysOn = false;
        m.imagePresaved = false;
        f_.unload();
    } else if (m.antiMissileRunning) {
        m.antiMissileRunning = false;
        app::leaveAntiMissile(m.drawingMode);
        f_.unload();
    }
}

} // namespace drawing
