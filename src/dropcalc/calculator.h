#pragma once

#include "dropcalc/motion.h"

#include <QString>
#include <functional>
#include <optional>

namespace shell {
class Form1;
}

namespace dropcalc {

// The main window's drop calculator: the state at t and its plot (推导计算), the orbit
// animation (日月地球), the re-plot on a click on the picture, and the reading of the
// parameter panel that the drawing window's simulations share. The panel's controls are the
// window's; the calculator keeps its own state.
class Calculator {
public:
    explicit Calculator(shell::Form1& form);
    Calculator(const Calculator&) = delete;
    Calculator& operator=(const Calculator&) = delete;

    void Command1_Click();
    void Command2_Click();
    void Picture1_Click();
    void Picture1_DblClick();
    void Text1_Click(int index);
    void Text1_DblClick(int index);

    // The calculator's rounding: x to six decimals, as text; x is left unchanged.
    QString wc(double& x) const;

    // The drop's horizontal and vertical displacement at t, from the panel as it reads now
    // (a box that holds no number raises ErrTypeMismatch).
    double f1(double t) { return xAt(dropInputs(), t); }
    double f2(double t) { return yAt(dropInputs(), t); }
    // The number in a box of the panel (ErrTypeMismatch when it holds none).
    double panelNumber(int box) const;
    // The drop's inputs as the panel holds them now, read in the order the model reads them.
    // With a launch given, its velocity stands for the panel's and boxes 1 and 4 are not read.
    DropInputs dropInputs(std::optional<Launch> launch = {}) const;
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
    // A 0.01 s wait that lets events run, then a clear: the frames of the drop's animations.
    void pauseThenCls();

private:
    // The displacements for these inputs.
    static double xAt(const DropInputs& in, double t);
    double yAt(const DropInputs& in, double t);

    // The runs: the state at t and its plot, the orbit, the re-plot. Each takes the panel's
    // numbers once, at its click, and draws and writes everything from them: an edit while it
    // runs counts from the next run on. Their waits let events in, and a click that would
    // start one of them inside another does nothing.
    void calculate();
    void orbit();
    void replot();
    // The path in a square window of half size h (false when the window went away meanwhile)
    // and the special moments' text.
    bool plotPath(const DropInputs& in, double t, double h);
    QString momentLines(const DropInputs& in, const DropState& state, double t, double h);

    shell::Form1& f_;
};

} // namespace dropcalc
