#pragma once

namespace windows {
class Form2Controls;
class ParameterPanel;
} // namespace windows

namespace trajectories {

class DropPlots;

// The launch angles an interception tries, in degrees: from hi down to lo in steps of `step`
// (negative), through the quarter of the plane that holds the target, finer for a smaller
// tolerance.
struct AngleSweep {
    double hi = 0, lo = 0, step = 0;
};
AngleSweep angleSweep(double targetX, double targetY, double tolerance);
// Runs trial(a) for each angle, the step added each time, until it gives false.
template <typename Trial> void forEachAngle(const AngleSweep& s, Trial trial) {
    for (double a = s.hi; a >= s.lo; a += s.step) {
        if (!trial(a))
            return;
    }
}

// The anti-missile interception of the drawing window: the scene the launcher opens on, the
// launch-angle search towards a target (变换角度, or a click on the canvas) and the splash of a
// hit.
class AntiMissile {
public:
    AntiMissile(windows::Form2Controls& form, windows::ParameterPanel& panel, DropPlots& plots)
        : f_(form), panel_(panel), plots_(plots) {}

    // The scene: a square window from the panel's drop path, frame, axes, a circle traced
    // point by point and a disc at the origin.
    void sales();
    // 变换角度: the search against the target boxes, then the plot of the panel's path.
    void changeAngle();
    // The search against a target clicked on the canvas, the plot, and a splash on a hit.
    // Always 1.
    double bianhuanjiaodu();

    // What a search leaves to the splash.
    struct Search {
        bool hit = false;
        double targetX = 0, targetY = 0;
        double unit = 0; // a hundredth of the last trial's window
    };
    // Sweeps the launch angle through the quarter of the plane that holds the target of
    // Form1.Text1(15)/(16), drawing and erasing each trial path, until a sample falls within
    // the tolerance box; writes the hitting launch, angle and time into the panels.
    Search interceptionSearch();
    // A search is under way (its erase passes let clicks run).
    bool searching() const { return searching_; }

private:
    void sweep(Search& s);
    void splash(const Search& s);
    // A busy wait of more than `seconds`, then the canvas cleared.
    void pauseThenCls(float seconds);

    windows::Form2Controls& f_;
    windows::ParameterPanel& panel_;
    DropPlots& plots_;
    bool searching_ = false;
};

} // namespace trajectories
