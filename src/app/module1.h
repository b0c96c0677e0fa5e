#pragma once

#include "app/line_table.h"

#include <QString>

namespace app {

// What the drawing window does with a canvas click and a resize. Each launcher sets its own
// mode; a few steps inside the window change it too: the end of a full-screen layout ends a
// simulation, the closing of an anti-missile window leaves only its simulation, and the
// interception plots its path as the drop simulation. The modes that are no simulation differ
// only in the controls their launchers show.
enum class DrawingMode {
    // No launcher's mode yet, or a simulation whose full-screen layout ended.
    Plain,
    MathDraw,      // 数学画画
    Monitoring,    // 智能监控
    DorvelDrawing, // Dorvel画画
    Overlay,       // 图像叠加
    // Tessal模拟 and the main window's drop calculation: the window keeps its layout, and a
    // canvas click plots the drop.
    DropSimulation,
    // 反导模拟: a simulation whose canvas click runs the interception.
    AntiMissile,
};

// The simulations keep their layout through a resize and plot on a canvas click.
constexpr bool isSimulation(DrawingMode mode) {
    return mode == DrawingMode::DropSimulation || mode == DrawingMode::AntiMissile;
}

// The anti-missile mode ends; its simulation goes on.
constexpr void leaveAntiMissile(DrawingMode& mode) {
    if (mode == DrawingMode::AntiMissile)
        mode = DrawingMode::DropSimulation;
}

// A simulation ends: the window lays itself out again and a canvas click only shows the point.
constexpr void leaveSimulation(DrawingMode& mode) {
    if (isSimulation(mode))
        mode = DrawingMode::Plain;
}

// The state the windows share. Every window reads and writes it; none owns it.
struct Module1 {
    // Shut-down.
    bool quitConfirmed = false;

    // The drawing window's mode, chosen by the main window's launchers.
    DrawingMode drawingMode = DrawingMode::Plain;
    // The anti-missile simulation's window is open (a second press of its launcher draws the
    // scene again instead of reopening); its mode may have been left meanwhile.
    bool antiMissileRunning = false;
    // The math drawing's first layout is still to come: it hides 雨 and shows Command1(9).
    bool mathDrawLayoutPending = false;
    // An image mode was opened: a wide window then keeps the curve buttons hidden. No launcher
    // forgets it; only an anti-missile window closed while it runs (its close box) does.
    bool imageWorkMode = false;
    // A picture was sampled: the canvas no longer reads out the colour under the pointer.
    // Only the monitoring, overlay and Tessal launchers and the main window's calculation
    // forget it; Dorvel画画, 数学画画 and 反导模拟 keep it.
    bool imageSampled = false;
    // The pen is on: a canvas press starts a stroke. The pen buttons and keys switch it in any
    // mode, the simulations included.
    bool freehandMode = false;

    // Drawing window layouts and tools.
    bool fullCanvasOn = false;
    bool imagePresaved = false;
    bool fastPlot = false;
    double plotHalfWidth = 0;
    double plotHalfHeight = 0;

    // The parameter-record replay's shift, added to each record's origin in the fast replay
    // (the line-width question of a simulation clears it).
    double replayShiftX = 0;
    double replayShiftY = 0;
    // The origin the coordinate transform set, added to every replayed stroke point.
    double replayOffsetX = 0;
    double replayOffsetY = 0;

    // Requests between the monitoring and the remote alarm point.
    bool alarmPointOn = false;
    bool alarmUploadArmed = false;
    bool loadUploadArmed = false;
    bool alarmSoundArmed = false;
    bool remoteRestartRequest = false;
    bool remoteCollabOn = false;
    QString snapshotName;

    // Line table and the three grids of the pixel sets.
    LineTable lines;
};

Module1& module1();
// A fresh Module1 with the start values (tests start from it).
void resetModule1();

} // namespace app
