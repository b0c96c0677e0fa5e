#pragma once

#include <optional>

namespace shell {
class Form2;
}

namespace trajectories {

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
    // One drop of the rain scene: flight time, radius, launch velocity, vertical wind and
    // starting point, written into the panels first; drawn in the window the scene's first
    // drop set.
    void rain(double t, double radius, double vx0, double windY, double vy0, double x0, double y0);

private:
    // The window of the panel's path over `steps` samples, squared to the larger half size,
    // into plotWindow; false (and plotWindow still set) when it has no size to draw in.
    bool sizeWindow(double t, int steps);
    // The canvas scale from plotWindow.
    void applyWindow();
    void plotTrajectory();
    void sweep(bool firstClick);
    void drawRainDrop(double x0, double y0);
    double vertical(std::optional<double> trialVy, double t);

    shell::Form2& f_;
};

} // namespace trajectories
