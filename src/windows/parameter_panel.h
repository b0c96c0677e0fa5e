#pragma once

#include "dropcalc/motion.h"
#include "ui/control_array.h"
#include "ui/controls.h"
#include "ui/form.h"

#include <array>
#include <functional>
#include <optional>

namespace dropcalc {
enum class TimeLoop;
}

namespace windows {

// The main window's parameter panel as the windows that read it see it: the boxes Text1 and
// the captions Label1, the drop the boxes describe and the messages that refuse them. The
// controls are the main window's; the view keeps no state of its own.
//
// The runs that read or write the panel while their waits let events in are runs of the main
// window (a ui::Form::Run on window()), whichever window they draw in: one at a time for the
// whole program, so that none starts inside another and mixes its readouts with the other's.
class ParameterPanel {
public:
    ParameterPanel(ui::Form& window, ui::ControlArray<ui::TextBox>& boxes,
                   ui::ControlArray<ui::Label>& captions)
        : window_(window), boxes_(boxes), captions_(captions) {}
    ParameterPanel(const ParameterPanel&) = delete;
    ParameterPanel& operator=(const ParameterPanel&) = delete;

    // Boxes with a role of their own.
    enum Box {
        kTimeBox = 10,     // the time t of the drop
        kMomentsBox = 11,  // its special moments, or the drag
        kLastDropBox = 13, // the drop's inputs and results end here
        kAngleBox = 14,    // the interception's launch angle
        kTargetXBox = 15,  // the interception's target
        kTargetYBox = 16,
        kErrorBox = 17, // the interception's tolerance, in per cent
    };
    // Captions beside the special-moments box.
    enum Caption { kMomentCaption = 13, kDragCaption = 14 };

    ui::Form& window() { return window_; }
    ui::TextBox& box(int index) { return boxes_(index); }
    ui::Label& caption(int index) { return captions_(index); }

    // The number in a box (ErrTypeMismatch when it holds none).
    double number(int box) const;
    // The drop's inputs as the panel holds them now, read in the order the model reads them.
    // With a launch given, its velocity stands for the panel's and boxes 1 and 4 are not read.
    dropcalc::DropInputs dropInputs(std::optional<dropcalc::Launch> launch = {}) const;
    // Whether the drop's input boxes (radius, velocities, wind, time, density) all hold numbers.
    bool dropBoxesNumeric() const;
    // Before any drop computation: the drop's boxes must hold numbers, the radius, density and
    // time numbers above 0.
    bool dropInputFits() const;
    // Checks the drop's input, then runs the step. A box emptied or made no number while the
    // step lets events run (or a value no number can hold) ends it with the same message as
    // the check.
    void runOnDropInput(const std::function<void()>& step);
    // The same, leaving the message to the caller: false where runOnDropInput would refuse.
    bool tryOnDropInput(const std::function<void()>& step);
    // "请输入数值！": the message that refuses a drop's input.
    void refuseDropInput() const;

    // The drawing window's drop: its horizontal and vertical displacement at t from the panel
    // as it reads now, or with a trial launch standing for the panel's velocity. The vertical
    // one writes the drop's special moment into the moments box.
    double x(double t, std::optional<dropcalc::Launch> launch = {});
    double y(double t, std::optional<dropcalc::Launch> launch = {});
    // Runs a computation of the drawing window's drop; one that fails puts the moments box
    // back as it was before raising again.
    void keepMomentOnError(const std::function<void()>& compute);
    // The square canvas window (left, right, top, bottom) of the drop up to t over `steps`
    // samples, into `window`; false when it has no size to draw in.
    bool sizePlotWindow(std::array<double, 4>& window, double t, int steps,
                        dropcalc::TimeLoop loop);

private:
    ui::Form& window_;
    ui::ControlArray<ui::TextBox>& boxes_;
    ui::ControlArray<ui::Label>& captions_;
};

} // namespace windows
