#pragma once

#include "dropcalc/motion.h"
#include "dropcalc/plot.h"

#include <QString>
#include <functional>
#include <optional>

namespace windows {
class Form1Controls;
class Form2Controls;
class ParameterPanel;
} // namespace windows

namespace trajectories {

// What the drawing window's calculator shows beside its special-moments box for a drop at t:
// the box's text and which of the two captions ("特殊时刻 T =", "阻力为 =") is shown; nothing
// where it leaves them as they are.
struct MomentReport {
    std::optional<QString> text;
    std::optional<bool> momentCaption, dragCaption;
};
MomentReport momentReport(const dropcalc::DropInputs& in, const dropcalc::DropState& state,
                          double t);

// How the drop plot colours its chords and path: each stroke its own random share of the pen
// colour (随机彩色, the start of every opening), or the pen colour alone (单色).
enum class ColourMode { RandomShares, SingleColour };

// The drawing window's drop simulation: its copies of the drop model, the trajectory plot of
// a click on the canvas, the falling-drop sweep of "雨" and the rain scene's plotter.
class DropPlots {
public:
    DropPlots(windows::Form2Controls& form, windows::Form1Controls& main);

    // 单色 / 随机彩色; it outlives an unload, and each opening starts with random shares.
    ColourMode colorMode = ColourMode::RandomShares;
    // 雨 plotted since the window opened: only its first sweep of an opening sizes the window.
    bool plotToggle = false;
    // A new opening of the window: the next 雨 is its first.
    void startOfOpening() { plotToggle = false; }

    // The drop's displacement at t from the main window's panel: f1 and f2 for the panel's
    // launch, f3 and f4 for the interception's trial launch (trialVx, trialVy). f2 and f3 also
    // report a special moment in the main window's special-moments box.
    double f1(double t);
    double f2(double t);
    double f3(double t);
    double f4(double t);

    // A click on the canvas plots the panel's drop in the drop simulation; like 推导计算 it is
    // a run of this window and of the main window's panel, and does nothing while another
    // runs.
    void Picture1_Click();
    void Command8_Click();
    // 推导计算: the state at the panel's time into the main window's panel, and the plot.
    void deriveAndPlot();
    // The plot of a click, for a run that holds both windows already (the interception's).
    void plotPanelDrop();
    // The plot options: 单色, 随机彩色, 不画椭圆, 坐标变换, 画弦.
    void singleColour();
    void randomColours();
    void noEllipse();
    void transformCoordinates();
    void drawChords();
    // One drop of the rain scene: flight time, radius, launch velocity, vertical wind and
    // starting point, written into the panels first; drawn in the window the scene's first
    // drop set.
    void rain(double t, double radius, double vx0, double windY, double vy0, double x0, double y0);
    // The rain scene: one tick of Timer2 draws its 21 drops and ends the scene; Timer3 switches
    // Timer2 on and off in turn. Nothing in the program starts either.
    void Timer2_Timer();
    void Timer3_Timer();

    // A snapshot of the canvas in drawimage.jpg in the program's folder, and the canvas
    // painted over with it again, stretched to the canvas, after the panel's drop window has
    // been worked out afresh into plotWindow. False when the picture could not be written or
    // read, or (with the panel's message) when the panel's drop is refused.
    bool drawrainready();
    bool drawoutput();

    // A drop drawn from a starting point of its own, as the rain scene and the record replay
    // draw theirs: the window of its flight over `steps` samples (only the first drop after
    // the coordinates were released scales the canvas; the others are drawn in that scale),
    // the start shown in the origin boxes, the path from it with `pause` before each segment,
    // a dot at the canvas origin, and the ring round the start while drawEllipse is set. When
    // markStep is given, a first pass over the samples calls it with each point.
    struct StartedDrop {
        double t = 0, x0 = 0, y0 = 0;
        int steps = 0;
        int ringStepsPerTurn = 150;
        std::function<void()> pause;
        std::function<void(double x, double y)> markStep = {};
    };
    void drawStartedDrop(const StartedDrop& d);

    // The window of the panel's path up to t over `steps` samples, squared to the larger half
    // size, into plotWindow; false (and plotWindow still set) when it has no size to draw in.
    // A path that overflowed raises ErrOverflow and leaves plotWindow as it was.
    bool sizeWindow(double t, int steps, dropcalc::TimeLoop loop = dropcalc::TimeLoop::ForTo);
    // The canvas scale from plotWindow.
    void applyWindow();

private:
    void plotTrajectory();
    void sweep(bool firstClick);
    void plotAtTime();

    windows::Form2Controls& f_;
    // The main window, shown after the sweep, and its parameter panel.
    windows::Form1Controls& main_;
    windows::ParameterPanel& panel_;
};

} // namespace trajectories
