#pragma once

#include "dropcalc/motion.h"

#include <QString>

namespace shell {

class Form1;

// The main window's drop calculator: the state at t and its plot (推导计算), the orbit
// animation (日月地球) and the re-plot on a click on the picture. The window's controls it works
// are wired to its handlers; it keeps its own state and reads the parameter panel through the
// window's view of it.
class Calculator {
public:
    explicit Calculator(Form1& form);
    Calculator(const Calculator&) = delete;
    Calculator& operator=(const Calculator&) = delete;

    void Command1_Click();
    void Command2_Click();
    void Picture1_Click();
    void Picture1_DblClick();
    void Text1_Click(int index);
    void Text1_DblClick(int index);

    // The pen of its plots (&HBBGGRR), as the main window's colour tools set it: each
    // segment takes a random share of it.
    static constexpr double kStartPen = 16711680;
    double penColor = kStartPen;

    // The calculator's rounding: x to six decimals, as text; x is left unchanged.
    QString wc(double& x) const;

    // The drop's horizontal and vertical displacement at t, from the panel as it reads now
    // (a box that holds no number raises ErrTypeMismatch).
    double f1(double t);
    double f2(double t);
    // A 0.01 s wait that lets events run, then a clear: the frames of the drop's animations.
    void pauseThenCls();

private:
    // The displacements for these inputs.
    static double xAt(const dropcalc::DropInputs& in, double t);
    double yAt(const dropcalc::DropInputs& in, double t);

    // The runs: the state at t and its plot, the orbit, the re-plot. Each takes the panel's
    // numbers once, at its click, and draws and writes everything from them: an edit while it
    // runs counts from the next run on. Their waits let events in, and a click that would
    // start one of them inside another does nothing.
    void calculate();
    void orbit();
    void replot();
    // The path in a square window of half size h (false when the window went away meanwhile)
    // and the special moments' text.
    bool plotPath(const dropcalc::DropInputs& in, double t, double h);
    QString momentLines(const dropcalc::DropInputs& in, const dropcalc::DropState& state, double t,
                        double h);

    Form1& f_;
};

} // namespace shell
