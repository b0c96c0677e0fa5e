#pragma once

#include "dropcalc/motion.h"

#include <QString>
#include <optional>

namespace shell {
class Form2;
}

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

// The drawing window's drop simulation: its copies of the drop model, the trajectory plot of
// a click on the canvas, the falling-drop sweep of "雨" and the rain scene's plotter.
class DropPlots {
public:
    explicit DropPlots(shell::Form2& form);

    // The drop's displacement at t from the main window's panel: f1 and f2 for the panel's
    // launch, f3 and f4 for the interception's trial launch (trialVx, trialVy). f2 and f3 also
    // report a special moment in the main window's special-moments box.
    double f1(double t);
    double f2(double t);
    double f3(double t);
    double f4(double t);

    void Picture1_Click();
    void Command8_Click();
    // 推导计算: the state at the panel's time into the main window's panel, and the plot.
    void deriveAndPlot();
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

    // The samples of a trajectory plot.
    static constexpr int kPlotSteps = 150;
    // The window of the panel's path up to t over `steps` samples, squared to the larger half
    // size, into plotWindow; false (and plotWindow still set) when it has no size to draw in.
    bool sizeWindow(double t, int steps);

private:
    // The canvas scale from plotWindow.
    void applyWindow();
    void plotTrajectory();
    void sweep(bool firstClick);
    void drawRainDrop(double x0, double y0);
    void plotAtTime();
    double vertical(std::optional<double> trialVy, double t);

    shell::Form2& f_;
};

} // namespace trajectories
