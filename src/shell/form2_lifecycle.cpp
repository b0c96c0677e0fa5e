// Opening and closing of the drawing window, and its clicks outside the controls.
#include "alarmpoint/form4.h"
#include "app/module1.h"
#include "drawing/curve_animations.h"
#include "drawing/drawing_board.h"
#include "monitoring/monitoring.h"
#include "platform/capture_window.h"
#include "shell/form2.h"
#include "trajectories/drop_plots.h"
#include "windows/form1_controls.h"

namespace shell {

using vbrt::RGB;

namespace {
constexpr vbrt::Colour kBoxColour = RGB(168, 221, 155);
constexpr vbrt::Colour kButtonColour = RGB(232, 227, 174);
} // namespace

void Form2::Form_Load() {
    app::Module1& m = app::module1();

    m.alarmUploadArmed = true;
    m.loadUploadArmed = true;
    m.alarmSoundArmed = true;

    // A log that cannot be created loses its entries, not the window; the monitoring says why.
    monitoring.startOfOpening();

    // The camera's hidden window. Without a camera the window opens all the same: the
    // monitoring reports the missing picture when it first needs one.
    using namespace platform;
    hCapWnd = capCreateCaptureWindowA(QStringLiteral("Video"), 0, 0, 0, 640, 480, window(), 0);
    SendMessage(hCapWnd, WM_CAP_DRIVER_CONNECT, 0, 0);
    SendMessage(hCapWnd, WM_CAP_SET_SCALE, -1, 0);
    SendMessage(hCapWnd, WM_CAP_SET_PREVIEWRATE, 3, 0);
    SendMessage(hCapWnd, WM_CAP_SET_PREVIEW, 1, 0);

    Command13.setVisible(false);
    WindowsMediaPlayer1.setVisible(false);
    Label1.setVisible(false);

    dropPlots.startOfOpening();
    for (ui::Control* c :
         {static_cast<ui::Control*>(&Text2), static_cast<ui::Control*>(&Text3),
          static_cast<ui::Control*>(&Text1(0)), static_cast<ui::Control*>(&Text1(1)),
          static_cast<ui::Control*>(&Text1(2)), static_cast<ui::Control*>(&Text1(3))})
        c->setBackColor(kBoxColour);

    originX = 0;
    originY = 0;
    m.freehandMode = false;
    Image1.setVisible(false);

    curves.state.startOfOpening();
    board.startOfOpening();

    coordMode = false;
    drawChord = false;
    readoutFrozen = false;

    if (Height() > 1000)
        loadLayout();

    drawEllipse = true;
    dropPlots.colorMode = trajectories::ColourMode::RandomShares;
    Command1(4).setVisible(true);
    Command1(5).setVisible(false);

    for (ui::CommandButton* b :
         {&Command2, &Command3, &Command4, &Command5, &Command6, &Command7, &Command8, &Command9,
          &Command10, &Command11, &Command13, &Command14, &Command15, &Command12(1), &Command12(2),
          &Command12(0)})
        b->setBackColor(kButtonColour);
    for (int i = 0; i <= 21; ++i)
        Command1(i).setBackColor(kButtonColour);

    for (ui::CommandButton* b : {&Command1(19), &Command1(21), &Command11, &Command13, &Command14,
                                 &Command15, &Command12(1), &Command12(2), &Command12(0)})
        b->setVisible(false);

    setBackColor(RGB(192, 208, 192));
    main_.Command6(0).setBackColor(RGB(208, 208, 192));
    Picture1.setBackColor(0);

    penColor = 33000;
    Command1(20).setVisible(false);
}

void Form2::Form_Unload(int&) {
    app::Module1& m = app::module1();
    if (m.antiMissileRunning) {
        m.antiMissileRunning = false;
        app::leaveAntiMissile(m.drawingMode);
        m.imageWorkMode = false;
    }

    monitoring.endOfOpening();
    Timer(19).setEnabled(false);
    Timer(18).setEnabled(false);

    if (monitoring.ran()) {
        platform::SendMessage(hCapWnd, platform::WM_CAP_DRIVER_DISCONNECT, 0, 0);
        // Clicks, sockets and the still running camera timers may act meanwhile; a second
        // unload asked for from among them is ignored while this one runs.
        pauseSecond();
        Timer(19).setEnabled(false);
        Timer(18).setEnabled(false);

        monitoring.logEntry(QStringLiteral("    Somebody closed the  watch system ."));
        if (m.alarmPointOn) {
            m.alarmPointOn = false;
            alarmPoint_.gaojingsc(
                QStringLiteral("\r\n    有人关闭了监控系统 或者 电脑断电了.\r\n"));
        }
    }

    // The camera is released now, not whenever the window's widgets are finally deleted, so
    // that a window opened straight after finds it free.
    platform::destroyCaptureWindow(hCapWnd);
}

void Form2::Form_Click() {
    board.jiajian();
}

void Form2::Form_DblClick() {
    Timer(3).setEnabled(false);
}

} // namespace shell
