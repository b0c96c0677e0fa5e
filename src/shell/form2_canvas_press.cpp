// A press on the drawing window's canvas.
#include "app/module1.h"
#include "drawing/drawing_board.h"
#include "shell/form2.h"
#include "trajectories/anti_missile.h"
#include "vbrt/convert.h"
#include "windows/form1_controls.h"

namespace shell {

void Form2::Picture1_MouseDown(int button, int, double x, double y) {
    if (button != ui::LeftButton)
        return;
    app::Module1& m = app::module1();
    // The point as the canvas gives it, in single precision.
    x = float(x);
    y = float(y);
    if (m.freehandMode) {
        board.penDown(x, y);
        return;
    }
    // A running sweep and its splash belong to the target it started with, and a run over the
    // main window's panel to the panel it started from: a press while one of the window's runs
    // or one of the panel's goes on changes nothing, its boxes included.
    if (running() || main_.running())
        return;
    // The target of the interception.
    const QString px = vbrt::CStr(float(x)), py = vbrt::CStr(float(y));
    Text1(0).setText(px);
    Text1(1).setText(py);
    main_.panel.box(windows::ParameterPanel::kTargetXBox).setText(px);
    main_.panel.box(windows::ParameterPanel::kTargetYBox).setText(py);
    if (m.drawingMode == app::DrawingMode::AntiMissile)
        antiMissile.bianhuanjiaodu();
}

} // namespace shell
