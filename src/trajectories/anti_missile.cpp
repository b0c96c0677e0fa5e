#include "trajectories/anti_missile.h"

#include "app/module1.h"
#include "dropcalc/plot.h"
#include "dropcalc/rounding.h"
#include "trajectories/drop_plots.h"
#include "ui/waits.h"
#include "vbrt/convert.h"
#include "windows/form2_controls.h"
#include "windows/parameter_panel.h"

#include <QScopedValueRollback>
#include <cmath>

namespace trajectories {

using windows::ParameterPanel;

using dropcalc::forEachTime;

namespace {
constexpr vbrt::Colour kSplashRing = 0xCCCCCC;

// The square window of a path's extents: half sizes 1.5 times the spans (or the sum, for a
// path that stays on one side of the launch height).
std::array<double, 4> squareWindow(const dropcalc::Extents& e) {
    const double a = e.yMax * e.yMin > 0 ? 1.5 * (e.yMax + e.yMin) : 1.5 * (e.yMax - e.yMin);
    return dropcalc::squareWindow(1.5 * (e.xMax - e.xMin), a);
}

// Whether v lies in the tolerance interval around the target coordinate.
bool within(double v, double target, double e) {
    if (target >= 0 && target * (1 - e) <= v && v <= target * (1 + e))
        return true;
    return target <= 0 && target * (1 + e) <= v && v <= target * (1 - e);
}
} // namespace

AngleSweep angleSweep(double x, double y, double tolerance) {
    AngleSweep s;
    s.step = tolerance < 0.01 ? -0.1 : tolerance <= 0.02 ? -0.125 : -0.25;
    // Each test overrides the ones before it: a target on an axis takes the last that holds.
    if (y <= 0 && x >= 0)
        s.hi = 360, s.lo = 270;
    if (y <= 0 && x <= 0)
        s.hi = 270, s.lo = 180;
    if (y >= 0 && x <= 0)
        s.hi = 180, s.lo = 90;
    if (y >= 0 && x >= 0)
        s.hi = 90, s.lo = 0;
    return s;
}

void AntiMissile::sales() {
    panel_.runOnDropInput([this] {
        app::Module1& m = app::module1();
        ui::PictureBox& canvas = f_.Picture1;
        DropPlots& plots = plots_;
        const double t = panel_.number(ParameterPanel::kTimeBox);
        const dropcalc::Extents e = dropcalc::scanExtents(
            t, 150, [&](double tau) { return plots.f1(tau); },
            [&](double tau) { return plots.f2(tau); });
        const std::array<double, 4>& w = f_.plotWindow = squareWindow(e);
        // A window of no size has nothing to draw in.
        if (!dropcalc::usableWindow(w[1], w[3]))
            return;
        canvas.Scale(w[0], w[2], w[1], w[3]);
        m.plotHalfWidth = w[1];
        m.plotHalfHeight = w[3];

        const vbrt::Colour pen = f_.penColor;
        canvas.PSet(0, 0, pen);
        canvas.setFillStyle(1);
        canvas.Box(0.9 * w[0], 0.9 * w[2], 0.9 * w[1], 0.9 * w[3], pen);
        canvas.Line(0, 0.9 * w[2], 0, 0.9 * w[3], pen);
        canvas.Line(0.9 * w[0], 0, 0.9 * w[1], 0, pen);
        canvas.PSet(0, 0.9 * w[3], pen);
        dropcalc::drawPaced(canvas, {0, 0, 0.9 * w[1], 0.9 * w[3], dropcalc::fullTurn(), pen},
                            [this] {
                                f_.plotStepDelay();
                                return true;
                            });
        canvas.PSet(0, 0, pen);
        canvas.setFillStyle(0);
        canvas.Circle(0, 0, vbrt::Int(canvas.ScaleWidth() / 100), pen);
    });
}

AntiMissile::Search AntiMissile::interceptionSearch() {
    f_.coordMode = true;
    Search s;
    panel_.runOnDropInput([&] { sweep(s); });
    return s;
}

void AntiMissile::sweep(Search& s) {
    // The target and the tolerance must be numbers too.
    for (int i :
         {ParameterPanel::kTargetXBox, ParameterPanel::kTargetYBox, ParameterPanel::kErrorBox}) {
        if (!vbrt::IsNumeric(panel_.box(i).Text())) {
            panel_.refuseDropInput();
            return;
        }
    }
    const double t = panel_.number(ParameterPanel::kTimeBox);
    f_.launchSpeed = std::sqrt(std::pow(panel_.number(1), 2) + std::pow(panel_.number(4), 2));
    const double e = dropcalc::wc(panel_.number(ParameterPanel::kErrorBox) * 0.01);
    s.targetX = panel_.number(ParameterPanel::kTargetXBox);
    s.targetY = panel_.number(ParameterPanel::kTargetYBox);
    const double x0 = s.targetX, y0 = s.targetY;

    DropPlots& plots = plots_;
    ui::PictureBox& canvas = f_.Picture1;
    const ui::Opening opening(f_);
    const double turn = 8 * std::atan(1.0);
    const double dt = t / 100;
    const auto trialX = [&](double tau) { return plots.f4(tau); };
    const auto trialY = [&](double tau) { return plots.f3(tau); };
    forEachAngle(angleSweep(x0, y0, e), [&](double a) {
        const double theta = a / 360 * turn;
        f_.trialVx = f_.launchSpeed * std::cos(theta);
        f_.trialVy = f_.launchSpeed * std::sin(theta);
        f_.plotWindow = squareWindow(dropcalc::scanExtents(t, 100, trialX, trialY));
        s.unit = f_.plotWindow[1] / 100;

        const vbrt::Colour pen = f_.penColor;
        const vbrt::Colour trace = vbrt::CLng(1.2 * pen);
        canvas.PSet(0, 0, pen);
        forEachTime(t, dt, [&](double tau) {
            const double x = trialX(tau), y = trialY(tau);
            canvas.setDrawWidth(3);
            if (dropcalc::drawable(x, y))
                canvas.LineTo(x, y, trace);
            if (!within(x, x0, e) || !within(y, y0, e))
                return true;
            s.hit = true;
            panel_.box(1).setText(vbrt::CStr(f_.trialVx));
            panel_.box(4).setText(vbrt::CStr(f_.trialVy));
            panel_.box(ParameterPanel::kAngleBox).setText(vbrt::CStr(a));
            panel_.box(ParameterPanel::kTimeBox).setText(vbrt::CStr(tau));
            f_.Text2.setText(QStringLiteral("θ  = ") + vbrt::CStr(a));
            return false;
        });
        f_.pauseThenClsBusy();

        // The path is wiped in the background colour, letting events run between segments.
        canvas.PSet(0, 0, pen);
        bool open = true;
        forEachTime(t, dt, [&](double tau) {
            const double x = trialX(tau), y = trialY(tau);
            canvas.setDrawWidth(3);
            if (dropcalc::drawable(x, y))
                canvas.LineTo(x, y, canvas.BackColor());
            ui::DoEvents();
            open = opening.alive();
            return open;
        });
        return !s.hit && open;
    });
}

void AntiMissile::changeAngle() {
    // Another run of the window or of the main window's panel would start inside the search's
    // erase passes: the click is ignored.
    const ui::Form::Run run({&f_, &panel_.window()});
    if (!run)
        return;
    const QScopedValueRollback guard(searching_, true);
    const ui::Opening opening(f_);
    interceptionSearch();
    // A window closed during the erase passes has nothing left to plot on.
    if (!opening.alive())
        return;
    panel_.caption(ParameterPanel::kDragCaption).setVisible(false);
    f_.Picture1.setDrawWidth(2);
    plots_.plotPanelDrop();
}

double AntiMissile::bianhuanjiaodu() {
    const ui::Form::Run run({&f_, &panel_.window()});
    if (!run)
        return 1;
    const QScopedValueRollback guard(searching_, true);
    const ui::Opening opening(f_);
    app::Module1& m = app::module1();
    m.drawingMode = app::DrawingMode::AntiMissile;
    const Search s = interceptionSearch();
    // Closed during the erase passes (Esc, a launcher): whatever closed it set the mode flags
    // for what comes next, and a search that set them again would turn every later canvas
    // click, in any mode, into an interception.
    if (!opening.alive())
        return 1;
    panel_.caption(ParameterPanel::kDragCaption).setVisible(false);
    f_.Picture1.setDrawWidth(2);
    // The plot of the panel's path runs only in the drop simulation.
    m.drawingMode = app::DrawingMode::DropSimulation;
    plots_.plotPanelDrop();
    m.drawingMode = app::DrawingMode::AntiMissile;
    if (s.hit)
        splash(s);
    f_.Picture1.setDrawWidth(2);
    return 1;
}

void AntiMissile::pauseThenCls(float seconds) {
    ui::busyWait(seconds);
    f_.Picture1.Cls();
}

void AntiMissile::splash(const Search& s) {
    ui::PictureBox& canvas = f_.Picture1;
    const vbrt::Colour pen = f_.penColor;
    const double x = s.targetX, y = s.targetY, u = s.unit;
    canvas.Cls();
    canvas.setDrawWidth(3);
    canvas.PSet(x, y, pen);
    canvas.setFillColor(pen);
    canvas.setFillStyle(0);
    canvas.Circle(x, y, 0.6 * u, pen);
    pauseThenCls(0.01f);
    canvas.setFillStyle(1);
    canvas.Circle(x, y, u, pen);
    pauseThenCls(0.01f);
    canvas.Circle(x, y, 1.2 * u, pen);
    pauseThenCls(0.02f);
    canvas.Circle(x, y, 2.5 * u, pen);
    canvas.Circle(x, y, 3.7 * u, pen);
    pauseThenCls(0.03f);
    canvas.Circle(x, y, 6.2 * u, pen);
    pauseThenCls(0.05f);
    canvas.Circle(x, y, 1.2 * u, kSplashRing);
}

} // namespace trajectories
