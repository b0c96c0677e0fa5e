// The full-screen layouts. They size the window and the drawing area to the screen while the
// flags make the resize handler, which runs inside every change of the window's size, size
// them too instead of laying them out in proportion; the whole-screen canvases are left by Esc
// on the canvas (pen_tools.cpp), which unloads the window.
#include "app/module1.h"
#include "drawing/drawing_board.h"
#include "ui/screen.h"
#include "windows/form2_controls.h"

#include <cmath>

namespace drawing {

namespace {
const QString kFullScreen = QStringLiteral("全屏");
const QString kRestore = QStringLiteral("还原");
const QString kWindowCaption = QStringLiteral("Dorvel 画画");
// The preview button's caption while a picture preview runs.
const QString kPreviewRunning = QStringLiteral("停止预览");

enum BorderStyle { kNoBorder = 0, kFixedSingle = 1 };

constexpr int kSaveButton = 3, kFullScreenButton = 18, kFullCanvasButton = 19, kPreviewButton = 20;
// 图像保存 as a short wide button in the full-screen column, and its design size.
constexpr int kSaveWideWidth = 1452, kSaveWideHeight = 372;
constexpr int kSaveDesignWidth = 972, kSaveDesignHeight = 732;
// The restored window's share of the screen.
constexpr double kRestoredShare = 0.9;
// The tool column stands this many button widths left of the window's right edge.
constexpr double kToolColumnInset = 1.2;
constexpr int kBareCanvasPen = 2;
} // namespace

void DrawingBoard::sizeToScreen() {
    const int width = ui::Screen::Width(), height = ui::Screen::Height();
    f_.setWindowState(ui::Normal);
    f_.setBorderStyle(kFixedSingle);
    f_.setWidth(width);
    f_.setHeight(height);
    ui::PictureBox& canvas = f_.Picture1;
    canvas.setBorderStyle(kNoBorder);
    canvas.setWidth(width);
    canvas.setHeight(height);
    f_.Image1.setWidth(width);
    f_.Image1.setHeight(height);
    f_.Move(0, 0, f_.Width(), f_.Height());
    canvas.Move(0, 0);
    canvas.setAutoRedraw(true);
}

void DrawingBoard::fullScreen() {
    if (fullScreenOn)
        restoreFromFullScreen();
    else
        enterFullScreen();
}

void DrawingBoard::enterFullScreen() {
    app::Module1& m = app::module1();
    ui::CommandButton& self = f_.Command1(kFullScreenButton);
    self.setCaption(kRestore);
    fullScreenOn = true;
    m.fullCanvasOn = true;

    for (int i = 0; i <= 17; ++i)
        f_.Command1(i).setVisible(false);
    ui::CommandButton& save = f_.Command1(kSaveButton);
    save.setVisible(true);
    save.setWidth(kSaveWideWidth);
    save.setHeight(kSaveWideHeight);
    ui::showControls({&f_.Command1(15), &f_.Command1(7), &f_.Command1(9)}, true);
    ui::showControls({&f_.Command2, &f_.Command3, &f_.Command4, &f_.Command5, &f_.Command6,
                      &f_.Command7, &f_.Command8},
                     false);
    f_.Command9.setVisible(true);
    ui::showControls({&f_.Text1(0), &f_.Text1(1), &f_.Text1(2), &f_.Text1(3), &f_.Text2, &f_.Text3},
                     false);

    sizeToScreen();
    f_.paintBackground();
    if (!app::isSimulation(m.drawingMode))
        return;
    // The simulations keep no button and no frame: the layout lasts until the window goes.
    f_.Picture1.setAutoRedraw(false);
    ui::showControls({&f_.Command1(15), &f_.Command1(7), &save, &self}, false);
    f_.setBorderStyle(kNoBorder);
    f_.setCaption(QString());
}

void DrawingBoard::restoreFromFullScreen() {
    app::Module1& m = app::module1();
    f_.Command1(kFullScreenButton).setCaption(kFullScreen);
    app::leaveSimulation(m.drawingMode);
    m.fullCanvasOn = false;
    f_.setWindowState(ui::Normal);

    // Every button of the row comes back, also those the mode had hidden.
    for (int i = 0; i <= 17; ++i)
        f_.Command1(i).setVisible(true);
    ui::showControls({&f_.Command2, &f_.Command3, &f_.Command4, &f_.Command5, &f_.Command6,
                      &f_.Command7, &f_.Command8, &f_.Command9, &f_.Text1(0), &f_.Text1(1),
                      &f_.Text1(2), &f_.Text1(3), &f_.Text2, &f_.Text3},
                     true);
    f_.Command1(kSaveButton).setWidth(kSaveDesignWidth);
    f_.Command1(kSaveButton).setHeight(kSaveDesignHeight);
    fullScreenOn = false;

    f_.setBorderStyle(kFixedSingle);
    f_.setCaption(kWindowCaption);
    // With both flags off the resize handler lays the window out in proportion.
    f_.setWidth(int(std::lround(kRestoredShare * ui::Screen::Width())));
    f_.setHeight(int(std::lround(kRestoredShare * ui::Screen::Height())));
    f_.Picture1.setAutoRedraw(true);
    f_.paintBackground();
}

void DrawingBoard::wholeScreenCanvas(std::initializer_list<ui::Control*> hidden) {
    app::Module1& m = app::module1();
    canvasKeysOn = true;
    // Sized as a simulation's window is: the resize handler gives it the screen's size.
    const app::DrawingMode mode = m.drawingMode;
    if (!app::isSimulation(mode))
        m.drawingMode = app::DrawingMode::DropSimulation;
    m.fullCanvasOn = true;
    sizeToScreen();
    f_.paintBackground();
    f_.Picture1.setAutoRedraw(m.imagePresaved);
    f_.setBorderStyle(kNoBorder);
    f_.setCaption(QString());
    for (ui::Control* c : hidden)
        c->setVisible(false);
    // A later resize of the window lays it out in proportion again, a simulation's too.
    m.drawingMode = mode;
    app::leaveSimulation(m.drawingMode);
    m.fullCanvasOn = false;
}

void DrawingBoard::fullCanvas() {
    ui::Control* const preview = &f_.Command1(kPreviewButton);
    wholeScreenCanvas({&f_.Command1(1), &f_.Command1(2), &f_.Command1(3), &f_.Text1(2),
                       &f_.Text1(3), &f_.Command1(6), &f_.Command1(7), preview, &f_.Command1(9),
                       &f_.Command1(11), &f_.Text2, &f_.Text3});

    const std::initializer_list<ui::Control*> tools = {
        &f_.Command1(kPenButton), &f_.Command1(kReplayButton),     &f_.Command1(16),
        &f_.Command1(17),         &f_.Command1(kFullCanvasButton), &f_.Command1(kThicknessButton)};
    // A running preview keeps the canvas to itself.
    if (f_.Command1(kPreviewButton).Caption() == kPreviewRunning) {
        ui::showControls(tools, false);
        return;
    }

    const int left =
        int(std::lround(f_.Width() - kToolColumnInset * f_.Command1(kPenButton).Width()));
    for (ui::Control* c : tools)
        c->setLeft(left);
    app::Module1& m = app::module1();
    if (!canvasToolsAtEdge) {
        canvasToolsAtEdge = true;
        return;
    }
    // The second use: a bare canvas with the pen on and the Ctrl keys live at once.
    canvasToolsAtEdge = false;
    f_.Picture1.setAutoRedraw(true);
    m.freehandMode = true;
    m.imagePresaved = true;
    f_.Picture1.setDrawWidth(kBareCanvasPen);
    ui::showControls(tools, false);
}

void DrawingBoard::Command10_Click() {
    wholeScreenCanvas({&f_.Command1(1), &f_.Command1(2), &f_.Command1(3), &f_.Command1(6),
                       &f_.Command1(7), &f_.Command2, &f_.Command10, &f_.Command3, &f_.Command4,
                       &f_.Command5, &f_.Command6, &f_.Command7, &f_.Command1(9)});
}

} // namespace drawing
