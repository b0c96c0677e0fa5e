#include "trajectories/drop_plots.h"

#include "app/module1.h"
#include "dropcalc/motion.h"
#include "dropcalc/plot.h"
#include "dropcalc/rounding.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"
#include "windows/form1_controls.h"
#include "windows/form2_controls.h"

#include <cmath>

namespace trajectories {

using windows::ParameterPanel;

using dropcalc::drawable;
using dropcalc::forEachTime;

namespace {
// Samples of one drop of the rain scene.
constexpr int kRainSteps = 6000;
} // namespace

DropPlots::DropPlots(windows::Form2Controls& form, windows::Form1Controls& main)
    : f_(form), main_(main), panel_(main.panel) {
    f_.Picture1.onClick = [this] { Picture1_Click(); };
    f_.Command8.onClick = [this] { Command8_Click(); };
    f_.Timer(15).onTimer = [this] { Command8_Click(); };
    f_.Timer(2).onTimer = [this] { Timer2_Timer(); };
    f_.Timer(3).onTimer = [this] { Timer3_Timer(); };
}

double DropPlots::f1(double t) {
    return panel_.x(t);
}

double DropPlots::f2(double t) {
    return panel_.y(t);
}

double DropPlots::f3(double t) {
    return panel_.y(t, dropcalc::Launch{f_.trialVx, f_.trialVy});
}

double DropPlots::f4(double t) {
    return panel_.x(t, dropcalc::Launch{f_.trialVx, f_.trialVy});
}

bool DropPlots::sizeWindow(double t, int steps, dropcalc::TimeLoop loop) {
    return panel_.sizePlotWindow(f_.plotWindow, t, steps, loop);
}

void DropPlots::applyWindow() {
    const std::array<double, 4>& w = f_.plotWindow;
    f_.Picture1.Scale(w[0], w[2], w[1], w[3]);
}

void DropPlots::Picture1_Click() {
    const ui::Form::Run run({&f_, &panel_.window()});
    if (!run)
        return;
    plotPanelDrop();
}

void DropPlots::plotPanelDrop() {
    f_.Timer(15).setEnabled(false);
    const app::Module1& m = app::module1();
    if (m.drawingMode != app::DrawingMode::DropSimulation || m.freehandMode)
        return;
    panel_.runOnDropInput([this] { plotTrajectory(); });
    panel_.caption(ParameterPanel::kDragCaption).setVisible(false);
}

void DropPlots::plotTrajectory() {
    app::Module1& m = app::module1();
    ui::PictureBox& canvas = f_.Picture1;
    const double t = panel_.number(ParameterPanel::kTimeBox);
    const double h = t / dropcalc::kPlotSteps;
    const bool usable = sizeWindow(t, dropcalc::kPlotSteps);
    if (!f_.coordMode && usable)
        applyWindow();
    m.plotHalfWidth = f_.plotWindow[1];
    m.plotHalfHeight = f_.plotWindow[3];
    // A window of no size has nothing to draw in.
    if (!usable)
        return;
    const vbrt::Colour pen = f_.penColor;
    canvas.PSet(f_.originX, f_.originY, pen);
    const double unit = float(float(canvas.ScaleWidth()) / dropcalc::kPlotSteps);

    // A ball along the path, each frame on a cleared canvas.
    if (!f_.drawChord) {
        forEachTime(t, h, [&](double tau) {
            const double x = f_.originX + f1(tau), y = f_.originY + f2(tau);
            f_.pauseThenClsBusy();
            if (!drawable(x, y))
                return true;
            canvas.setFillColor(pen);
            canvas.setFillStyle(0);
            vbrt::skipOnError([&] { canvas.Circle(x, y, 0.6 * unit, pen); });
            canvas.setFillStyle(1);
            vbrt::skipOnError([&] { canvas.Circle(x, y, unit, pen); });
            return true;
        });
    }

    canvas.PSet(f_.originX, f_.originY, pen);
    forEachTime(t, h, [&](double tau) {
        const double x = f_.originX + f1(tau), y = f_.originY + f2(tau);
        f_.plotStepDelay();
        if (drawable(x, y))
            canvas.LineTo(x, y, pen);
        return true;
    });

    if (!f_.drawEllipse)
        return;
    const auto paced = [this] {
        f_.plotStepDelay();
        return true;
    };
    const double rx = 0.9 * f_.plotWindow[1], ry = 0.9 * f_.plotWindow[3];
    canvas.PSet(f_.originX, f_.originY, pen);
    for (double flattening : {1.0, 0.3}) {
        canvas.PSet(f_.originX, f_.originY + ry, pen);
        dropcalc::drawPaced(
            canvas, {f_.originX, f_.originY, rx, flattening * ry, dropcalc::turnAndStep(), pen},
            paced);
    }
}

void DropPlots::Command8_Click() {
    app::Module1& m = app::module1();
    if (app::isSimulation(m.drawingMode) && !m.freehandMode) {
        const bool first = !plotToggle;
        plotToggle = true;
        panel_.runOnDropInput([&] { sweep(first); });
        panel_.caption(ParameterPanel::kDragCaption).setVisible(false);
    }
    main_.show();
}

void DropPlots::sweep(bool firstClick) {
    app::Module1& m = app::module1();
    ui::PictureBox& canvas = f_.Picture1;
    const double t = panel_.number(ParameterPanel::kTimeBox);
    const auto windowKept = [&] {
        return dropcalc::usableWindow(std::abs(m.plotHalfWidth), m.plotHalfHeight);
    };
    // The first click after the window opened sizes the window; so does a click that finds
    // none kept (an earlier first click was refused), where the sweep would not move.
    if (firstClick || !windowKept()) {
        if (sizeWindow(t, dropcalc::kPlotSteps) && !f_.coordMode)
            applyWindow();
        m.plotHalfHeight = f_.plotWindow[3];
        m.plotHalfWidth = f_.plotWindow[2];
    }
    if (!windowKept())
        return;

    const double h = t / dropcalc::kPlotSteps;
    const vbrt::Colour pen = f_.penColor;
    const double half = m.plotHalfWidth, bottom = m.plotHalfHeight;
    canvas.PSet(-half, -f_.originY, pen);
    canvas.PSet(f_.originX, f_.originY, pen);
    canvas.setDrawWidth(5);

    // 101 drops across the window, from the side -half names: each frame shows the drop as a
    // thick segment between its last two samples, until it leaves the window at the bottom.
    const double d = half / 50;
    const auto within = [&] { return d > 0 ? f_.originX <= half : f_.originX >= half; };
    double x = 0, y = 0;
    for (f_.originX = -half; within(); f_.originX += d) {
        forEachTime(t, h, [&](double tau) {
            const double xPrev = x, yPrev = y;
            x = f_.originX + f1(tau);
            y = f_.originY + f2(tau);
            if (!(y < bottom) || !drawable(x, y))
                return true;
            canvas.LineTo(x, y, pen);
            f_.countThenCls();
            if (tau <= h) {
                canvas.Line(f_.originX, f_.originY, x, y, pen);
                return true;
            }
            if (drawable(xPrev, yPrev))
                canvas.Line(xPrev, yPrev, x, y, pen);
            if (tau > t - h)
                canvas.PSet(f_.originX + d, f_.originY, pen);
            return true;
        });
    }
}

void DropPlots::rain(double t, double radius, double vx0, double windY, double vy0, double x0,
                     double y0) {
    const std::pair<int, double> written[] = {
        {ParameterPanel::kTimeBox, t}, {0, radius}, {1, vx0}, {3, windY}, {4, vy0}};
    for (const auto& [box, value] : written)
        panel_.box(box).setText(vbrt::CStr(value));
    panel_.runOnDropInput([&] {
        f_.drawChord = true;
        drawStartedDrop({t, x0, y0, kRainSteps, 150, [this] { f_.countTo50(); }});
    });
    panel_.caption(ParameterPanel::kDragCaption).setVisible(false);
    f_.drawEllipse = false;
}

void DropPlots::drawStartedDrop(const StartedDrop& d) {
    ui::PictureBox& canvas = f_.Picture1;
    const bool usable = sizeWindow(d.t, d.steps);
    if (!f_.coordMode && usable) {
        applyWindow();
        f_.coordMode = true;
    }
    f_.Text1(2).setText(vbrt::CStr(d.x0));
    f_.Text1(3).setText(vbrt::CStr(d.y0));
    if (!f_.coordMode)
        return;

    // The canvas takes single-precision coordinates here.
    const auto single = [](double v) { return double(float(v)); };
    const double h = d.t / d.steps;
    const auto sampled = [&](const std::function<void(double x, double y)>& step) {
        forEachTime(d.t, h, [&](double tau) {
            const double x = d.x0 + f1(tau), y = d.y0 + f2(tau);
            if (drawable(x, y))
                step(single(x), single(y));
            return true;
        });
    };
    const vbrt::Colour pen = f_.penColor;
    if (d.markStep) {
        canvas.PSet(single(d.x0), single(d.y0), pen);
        sampled(d.markStep);
    }
    canvas.PSet(single(d.x0), single(d.y0), pen);
    sampled([&](double x, double y) {
        d.pause();
        canvas.LineTo(x, y, pen);
    });
    canvas.PSet(0, 0, pen);
    canvas.setFillStyle(1);

    if (!f_.drawEllipse || !usable)
        return;
    const double rx = 0.9 * f_.plotWindow[1], ry = 0.9 * f_.plotWindow[3];
    const double turn = dropcalc::fullTurn();
    canvas.PSet(single(d.x0), single(d.y0 + ry), pen);
    dropcalc::drawPaced(
        canvas, {d.x0, d.y0, rx, ry, turn + turn / d.ringStepsPerTurn, pen, d.ringStepsPerTurn},
        [&] {
            d.pause();
            return true;
        });
    f_.drawEllipse = false;
}

} // namespace trajectories
