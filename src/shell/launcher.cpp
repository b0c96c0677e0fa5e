#include "app/forms.h"
#include "app/module1.h"
#include "drawing/overlay_pictures.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "trajectories/anti_missile.h"

// The launchers open the drawing window in each mode: closed first so that it starts from its
// load, then the mode flags, the controls the mode uses, the caption and the mode's picture.
namespace shell {

namespace {

// Every mode but the anti-missile one starts outside it, whatever the window it replaces left
// behind, so that a canvas click does what the new mode does and never starts an interception.
// A running anti-missile window is thus closed without its own closing path.
void closeDrawingWindow() {
    app::Module1& m = app::module1();
    m.antiMissileRunning = false;
    m.antiMissileMode = false;
    app::form2().unload();
}

// A launcher pressed while the window is closing (inside its unload's wait) does nothing at
// all: the mode flags stay as they are and the closing goes on.
bool drawingWindowClosing() {
    return app::form2().isUnloading();
}

// Opens the window if it is closed. False while it is being closed: a launcher pressed from
// inside the closing wait of another one leaves the window to that one.
bool openDrawingWindow() {
    return app::form2().load();
}

// Command1(0), Command1(1), ... shown ('S') or hidden ('H') in index order.
void setCommand1(Form2& f, const char* states) {
    for (int i = 0; states[i]; ++i)
        f.Command1(i).setVisible(states[i] == 'S');
}

// The controls of the three image modes: no curve buttons, the grid and threshold boxes.
void showImageBoxes(Form2& f) {
    ui::showControls(
        {&f.Command3, &f.Command4, &f.Command5, &f.Command6, &f.Command7, &f.Command8, &f.Command9},
        false);
    ui::showControls({&f.Text1(0), &f.Text1(1)}, false);
    ui::showControls({&f.Text1(2), &f.Text1(3), &f.Text2, &f.Text3}, true);
    f.Command10.setVisible(false);
}

// The first steps of the three image modes: the window closed and opened afresh, the flags,
// the window shown. Nothing when the window is closing (another launcher's wait).
Form2* openImageMode(bool resetSampled) {
    if (drawingWindowClosing())
        return nullptr;
    app::Module1& m = app::module1();
    closeDrawingWindow();
    m.simulationMode = false;
    if (resetSampled)
        m.imageSampled = false;
    m.imageWorkMode = true;
    if (!openDrawingWindow())
        return nullptr;
    Form2& f = app::form2();
    f.setVisible(true);
    return &f;
}

} // namespace

// 数学画画
void Form1::Command10_Click() {
    if (drawingWindowClosing())
        return;
    app::Module1& m = app::module1();
    closeDrawingWindow();
    m.mathDrawMode = true;
    if (!openDrawingWindow())
        return;
    Form2& f = app::form2();
    ui::showControls({&f.Command12(1), &f.Command12(2), &f.Command12(0)}, false);
    setCommand1(f, "HSSSHHSSHHHHHHHHHHH");
    for (int i : {0, 13, 1, 2, 3, 4, 10})
        Text1(i).setText(QStringLiteral("1"));
    ui::showControls({&f.Command2, &f.Command10}, true);
    f.Command10.setBackColor(55488);
    ui::showControls({&f.Command3, &f.Command4, &f.Command5, &f.Command6, &f.Command7}, true);
    ui::showControls({&f.Command8, &f.Command9, &f.Text1(0), &f.Text1(1), &f.Text1(2), &f.Text1(3),
                  &f.Text2, &f.Text3},
                 false);
    m.simulationMode = false;
    f.setVisible(true);
    f.setCaption(QStringLiteral("数学画画"));
}

// 智能监控
void Form1::Command11_Click() {
    Form2* opened = openImageMode(true);
    if (!opened)
        return;
    Form2& f = *opened;
    f.Label1.setVisible(true);
    ui::showControls({&f.Command12(1), &f.Command12(2), &f.Command12(0)}, false);
    setCommand1(f, "HHHSHHSSHSHHHHHHHHHHH");
    f.Command2.setVisible(false);
    ui::showControls({&f.Command11, &f.Command13, &f.Command14, &f.Command15}, true);
    f.Command13.setBackColor(65535);
    showImageBoxes(f);
    f.overlay.hai();
}

// Dorvel画画
void Form1::Command12_Click() {
    Form2* opened = openImageMode(false);
    if (!opened)
        return;
    Form2& f = *opened;
    ui::showControls({&f.Command12(1), &f.Command12(2), &f.Command12(0)}, false);
    setCommand1(f, "HSSSHHSSHSHSHHSSSSHSSS");
    f.Command2.setVisible(false);
    showImageBoxes(f);
    f.overlay.zhihuaxiang();
}

// 图像叠加
void Form1::Command13_Click() {
    Form2* opened = openImageMode(true);
    if (!opened)
        return;
    Form2& f = *opened;
    f.Label1.setVisible(true);
    setCommand1(f, "HHHSHHSSHSHHHHHHHHHHS");
    f.Command2.setVisible(false);
    ui::showControls({&f.Command12(1), &f.Command12(2), &f.Command12(0)}, true);
    f.Command11.setVisible(false);
    showImageBoxes(f);
    f.overlay.hai3();
}

// Tessal模拟
void Form1::Command8_Click() {
    if (drawingWindowClosing())
        return;
    app::Module1& m = app::module1();
    closeDrawingWindow();
    m.mathDrawMode = false;
    if (!openDrawingWindow())
        return;
    Form2& f = app::form2();
    ui::showControls({&f.Command12(1), &f.Command12(2), &f.Command12(0)}, false);
    setCommand1(f, "SSSSSSSSSSHSSHHHHHH");
    ui::showControls({&f.Command2, &f.Command10, &f.Command3, &f.Command4, &f.Command5, &f.Command6,
                  &f.Command7, &f.Command8, &f.Command9},
                 false);
    ui::showControls({&f.Text1(0), &f.Text1(1), &f.Text1(2), &f.Text1(3)}, true);
    ui::showControls({&f.Text2, &f.Text3}, false);
    m.antiMissileMode = false;
    m.simulationMode = true;
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
        app::form2().unload();
    m.mathDrawMode = false;
    m.simulationMode = true;
    if (!openDrawingWindow())
        return;
    Form2& f = app::form2();
    setCommand1(f, "HHHHHHHHHHHHHHHHHHH");
    ui::showControls({&f.Command12(1), &f.Command12(2), &f.Command12(0), &f.Command2, &f.Command3,
                  &f.Command4, &f.Command5, &f.Command6, &f.Command7, &f.Command8, &f.Command9,
                  &f.Command10, &f.Text1(0), &f.Text1(1), &f.Text1(2), &f.Text1(3), &f.Text2,
                  &f.Text3},
                 false);
    if (!m.antiMissileRunning) {
        const std::pair<int, const char*> defaults[] = {
            {0, "50"}, {13, "7"}, {1, "700"}, {2, "1"}, {3, "1"}, {4, "-700"}, {10, "10"}};
        for (const auto& [i, text] : defaults)
            Text1(i).setText(QString::fromLatin1(text));
        m.freehandMode = false;
        m.antiMissileMode = false;
        f.setVisible(true);
        f.overlay.daotu();
    }
    f.antiMissile.sales();
    f.drawEllipse = false;
    m.antiMissileMode = true;
    f.setWindowState(ui::Normal);
    f.setCaption(QStringLiteral("反导模拟"));
    m.antiMissileRunning = true;
}

// A click on the main window's picture shows the drawing window in whatever mode the flags hold.
void Form1::Image1_Click() {
    if (drawingWindowClosing())
        return;
    if (!openDrawingWindow())
        return;
    app::form2().setVisible(true);
}

} // namespace shell
