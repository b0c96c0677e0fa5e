#include "app/module1.h"
#include "drawing/overlay_pictures.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "trajectories/anti_missile.h"

#include <vector>

// The launchers open the drawing window in each mode: closed first so that it starts from its
// load, then the mode, the controls the mode uses, the caption and the mode's picture.
namespace shell {

namespace {

// Every mode but the anti-missile one starts outside it, whatever the window it replaces left
// behind, so that a canvas click does what the new mode does and never starts an interception.
// A running anti-missile window is thus closed without its own closing path.
void closeDrawingWindow() {
    app::Module1& m = app::module1();
    m.antiMissileRunning = false;
    app::leaveAntiMissile(m.drawingMode);
    shell::form2().unload();
}

// A launcher pressed while the window is closing (inside its unload's wait) does nothing at
// all: the mode stays as it is and the closing goes on.
bool drawingWindowClosing() {
    return shell::form2().isUnloading();
}

// Opens the window if it is closed. False while it is being closed: a launcher pressed from
// inside the closing wait of another one leaves the window to that one.
bool openDrawingWindow() {
    return shell::form2().load();
}

using app::DrawingMode;
using Controls = std::vector<ui::Control*>;

// What a launcher shows and hides; the controls in neither list keep what the window's design
// and load gave them.
struct ModeControls {
    Controls shown;
    Controls hidden;
};

Controls operator+(Controls a, const Controls& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The command row's buttons Command1(i).
Controls row(Form2& f, std::initializer_list<int> indices) {
    Controls c;
    for (int i : indices)
        c.push_back(&f.Command1(i));
    return c;
}

// The controls of each launcher's mode.
ModeControls controlsOf(Form2& f, DrawingMode mode) {
    const Controls curves = {&f.Command2, &f.Command3, &f.Command4,
                             &f.Command5, &f.Command6, &f.Command7}; // 蛋 死 果壳 生 塔 光
    const Controls rain = {&f.Command8};                             // 雨
    const Controls templateCapture = {&f.Command9};                  // 图像采集
    const Controls fullScreen = {&f.Command10};                      // 全屏
    const Controls pixelSets = {&f.Command12(0), &f.Command12(1), &f.Command12(2)};
    const Controls monitoring = {&f.Command11, &f.Command13, &f.Command14, &f.Command15};
    const Controls pointer = {&f.Text1(0), &f.Text1(1)};
    const Controls grid = {&f.Text1(2), &f.Text1(3)};
    const Controls thresholdAndStatus = {&f.Text2, &f.Text3};
    const Controls gridLabel = {&f.Label1};

    switch (mode) {
    case DrawingMode::MathDraw:
        return {.shown = row(f, {1, 2, 3, 6, 7}) + curves + fullScreen,
                .hidden = row(f, {0, 4, 5, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}) + pixelSets +
                          rain + templateCapture + pointer + grid + thresholdAndStatus};
    case DrawingMode::Monitoring:
        return {.shown = row(f, {3, 6, 7, 9}) + monitoring + grid + thresholdAndStatus + gridLabel,
                .hidden = row(f, {0, 1, 2, 4, 5, 8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}) +
                          pixelSets + curves + rain + templateCapture + fullScreen + pointer};
    case DrawingMode::DorvelDrawing:
        return {.shown = row(f, {1, 2, 3, 6, 7, 9, 11, 14, 15, 16, 17, 19, 20, 21}) + grid +
                         thresholdAndStatus,
                .hidden = row(f, {0, 4, 5, 8, 10, 12, 13, 18}) + pixelSets + curves + rain +
                          templateCapture + fullScreen + pointer};
    case DrawingMode::Overlay:
        return {.shown =
                    row(f, {3, 6, 7, 9, 20}) + pixelSets + grid + thresholdAndStatus + gridLabel,
                .hidden = row(f, {0, 1, 2, 4, 5, 8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}) +
                          Controls{&f.Command11} + curves + rain + templateCapture + fullScreen +
                          pointer};
    case DrawingMode::DropSimulation:
        return {.shown = row(f, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12}) + pointer + grid,
                .hidden = row(f, {10, 13, 14, 15, 16, 17, 18}) + pixelSets + curves + rain +
                          templateCapture + fullScreen + thresholdAndStatus};
    case DrawingMode::AntiMissile:
        return {.shown = {},
                .hidden =
                    row(f, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}) +
                    pixelSets + curves + rain + templateCapture + fullScreen + pointer + grid +
                    thresholdAndStatus};
    case DrawingMode::Plain:
        break;
    }
    return {};
}

void showControlsOf(Form2& f, DrawingMode mode) {
    const ModeControls c = controlsOf(f, mode);
    ui::showControls(c.shown, true);
    ui::showControls(c.hidden, false);
}

// The first steps of the three image modes: the window closed and opened afresh, the flags,
// the window shown. Nothing when the window is closing (another launcher's wait).
Form2* openImageMode(DrawingMode mode, bool resetSampled) {
    if (drawingWindowClosing())
        return nullptr;
    app::Module1& m = app::module1();
    closeDrawingWindow();
    m.drawingMode = mode;
    if (resetSampled)
        m.imageSampled = false;
    m.imageWorkMode = true;
    if (!openDrawingWindow())
        return nullptr;
    Form2& f = shell::form2();
    f.setVisible(true);
    showControlsOf(f, mode);
    return &f;
}

} // namespace

// 数学画画
void Form1::Command10_Click() {
    if (drawingWindowClosing())
        return;
    app::Module1& m = app::module1();
    closeDrawingWindow();
    m.mathDrawLayoutPending = true;
    if (!openDrawingWindow())
        return;
    Form2& f = shell::form2();
    showControlsOf(f, DrawingMode::MathDraw);
    for (int i : {0, 13, 1, 2, 3, 4, 10})
        Text1(i).setText(QStringLiteral("1"));
    f.Command10.setBackColor(55488);
    m.drawingMode = DrawingMode::MathDraw;
    f.setVisible(true);
    f.setCaption(QStringLiteral("数学画画"));
}

// 智能监控
void Form1::Command11_Click() {
    Form2* opened = openImageMode(DrawingMode::Monitoring, true);
    if (!opened)
        return;
    opened->Command13.setBackColor(65535);
    opened->overlay.hai();
}

// Dorvel画画
void Form1::Command12_Click() {
    Form2* opened = openImageMode(DrawingMode::DorvelDrawing, false);
    if (!opened)
        return;
    opened->overlay.zhihuaxiang();
}

// 图像叠加
void Form1::Command13_Click() {
    Form2* opened = openImageMode(DrawingMode::Overlay, true);
    if (!opened)
        return;
    opened->overlay.hai3();
}

// Tessal模拟
void Form1::Command8_Click() {
    if (drawingWindowClosing())
        return;
    app::Module1& m = app::module1();
    closeDrawingWindow();
    m.mathDrawLayoutPending = false;
    if (!openDrawingWindow())
        return;
    Form2& f = shell::form2();
    showControlsOf(f, DrawingMode::DropSimulation);
    m.drawingMode = DrawingMode::DropSimulation;
    m.imageSampled = false;
    f.setVisible(true);
    f.setCaption(QStringLiteral("Tessal模拟"));
}

// 反导模拟: a second press while the simulation runs keeps the window and the typed inputs
// and draws the scene again.
void Form1::Command9_Click() {
    if (drawingWindowClosing())
        return;
    app::Module1& m = app::module1();
    if (!m.antiMissileRunning)
        shell::form2().unload();
    m.mathDrawLayoutPending = false;
    // A running simulation stays in its anti-missile mode while the scene is drawn again.
    if (m.drawingMode != DrawingMode::AntiMissile)
        m.drawingMode = DrawingMode::DropSimulation;
    if (!openDrawingWindow())
        return;
    Form2& f = shell::form2();
    showControlsOf(f, DrawingMode::AntiMissile);
    if (!m.antiMissileRunning) {
        const std::pair<int, const char*> defaults[] = {
            {0, "50"}, {13, "7"}, {1, "700"}, {2, "1"}, {3, "1"}, {4, "-700"}, {10, "10"}};
        for (const auto& [i, text] : defaults)
            Text1(i).setText(QString::fromLatin1(text));
        m.freehandMode = false;
        m.drawingMode = DrawingMode::DropSimulation;
        f.setVisible(true);
        f.overlay.daotu();
    }
    f.antiMissile.sales();
    f.drawEllipse = false;
    m.drawingMode = DrawingMode::AntiMissile;
    f.setWindowState(ui::Normal);
    f.setCaption(QStringLiteral("反导模拟"));
    m.antiMissileRunning = true;
}

// A click on the main window's picture shows the drawing window in whatever mode it was left.
void Form1::Image1_Click() {
    if (drawingWindowClosing())
        return;
    if (!openDrawingWindow())
        return;
    shell::form2().setVisible(true);
}

} // namespace shell
