#include "drawing/curve_animations.h"

#include "dropcalc/plot.h"
#include "vbrt/errors.h"
#include "windows/form2_controls.h"
#include "windows/parameter_panel.h"

#include <QImage>
#include <QScopedValueRollback>
#include <cmath>

namespace drawing {

using windows::ParameterPanel;

using vbrt::Variant;

namespace {

// The phases turn by pi / 12 cut to nine decimals, as the animations always have.
constexpr double kAngleStep = 0.261799387;
// Samples of the drop's path that size a figure's window: those of a trajectory plot.
constexpr int kExtentSteps = dropcalc::kPlotSteps;

// One set of the animation state, as a timer advances it.
struct StateSet {
    Variant& tick;
    Variant& phase;
    Variant& freq;
    double& phaseTicks;
};
StateSet eggSet(ComaState& s) {
    return {s.eggTick, s.eggPhase, s.eggFreq, s.eggPhaseTicks};
}
StateSet deathSet(ComaState& s) {
    return {s.deathTick, s.deathPhase, s.deathFreq, s.deathPhaseTicks};
}
StateSet lifeSet(ComaState& s) {
    return {s.lifeTick, s.lifePhase, s.lifeFreq, s.lifePhaseTicks};
}

// A tick: the counters and the frequency grow, and every 19th tick the phase turns.
void advance(StateSet s, double freqStep) {
    s.tick = s.tick + Variant(int16_t(1));
    s.phaseTicks += 1;
    s.freq = s.freq + Variant(freqStep);
    if (s.phaseTicks > 18) {
        s.phaseTicks = 0;
        s.phase = s.phase + Variant(kAngleStep);
    }
}

void turn(Variant& phase) {
    phase = phase + Variant(kAngleStep);
}

// A tick of an animation with a figure of its own: the set advances, and once its tick count
// passes `limit` the figure is drawn anew (its phase turned once more first where
// `turnOnRedraw`) and the count starts again from what the figure returns.
void tick(StateSet s, double freqStep, int limit, bool turnOnRedraw,
          const std::function<double()>& redraw) {
    advance(s, freqStep);
    if (s.tick.toDouble() <= limit)
        return;
    if (turnOnRedraw)
        turn(s.phase);
    s.tick = redraw();
}

void showValues(ui::TextBox& box, const Variant& freq, const Variant& phase) {
    box.setText(freq.toString() + QLatin1Char('@') + phase.toString());
}

Segment single(const Segment& s) {
    return {float(s.x1), float(s.y1), float(s.x2), float(s.y2)};
}

} // namespace

void paintFigure(ui::PictureBox& canvas, const Figure& figure, vbrt::Colour colour,
                 const std::function<void()>& pause) {
    const ui::Area visible = canvas.visibleArea();
    std::size_t nextPause = 0;
    const auto pausesBefore = [&](std::size_t segment) {
        for (; nextPause < figure.pauses.size() && figure.pauses[nextPause] == segment; ++nextPause)
            pause();
    };
    for (std::size_t i = 0; i < figure.segments.size(); ++i) {
        pausesBefore(i);
        const Segment s = single(figure.segments[i]);
        const std::optional<Segment> shown = ui::clipSegment(s, visible);
        if (!shown)
            continue;
        canvas.Line(shown->x1, shown->y1, shown->x2, shown->y2, colour);
        // The next line from the current point goes on from the true end.
        canvas.setCurrentX(s.x2);
        canvas.setCurrentY(s.y2);
    }
    pausesBefore(figure.segments.size());
}

CurveAnimations::CurveAnimations(windows::Form2Controls& form, windows::ParameterPanel& panel)
    : f_(form), panel_(panel) {
    f_.Command2.onClick = [this] { Command2_Click(); };
    f_.Command3.onClick = [this] { Command3_Click(); };
    f_.Command4.onClick = [this] { Command4_Click(); };
    f_.Command5.onClick = [this] { Command5_Click(); };
    f_.Command6.onClick = [this] { Command6_Click(); };
    f_.Command7.onClick = [this] { Command7_Click(); };
    f_.Timer(4).onTimer = [this] { Timer4_Timer(); };
    f_.Timer(5).onTimer = [this] { Timer5_Timer(); };
    f_.Timer(6).onTimer = [this] { Timer6_Timer(); };
    f_.Timer(7).onTimer = [this] { Timer7_Timer(); };
    f_.Timer(16).onTimer = [this] { Timer16_Timer(); };
}

void CurveAnimations::toggle(ui::CommandButton& button, int timer,
                             const std::function<void()>& starting) {
    ui::Timer& ticks = f_.Timer(timer);
    if (ticks.Enabled()) {
        // The last drawing stays on the picture.
        button.setBackColor(kCurveOff);
        ticks.setEnabled(false);
        return;
    }
    button.setBackColor(kCurveOn);
    ticks.setEnabled(true);
    starting();
}

void CurveAnimations::Command2_Click() {
    toggle(f_.Command2, 5, [this] {
        showValues(f_.Text2, state.eggFreq, state.eggPhase);
        coma2();
    });
}

void CurveAnimations::Command3_Click() {
    toggle(f_.Command3, 6, [this] {
        showValues(f_.Text2, state.deathFreq, state.deathPhase);
        coma3();
    });
}

void CurveAnimations::Command4_Click() {
    toggle(f_.Command4, 4, [this] { coma4(); });
}

void CurveAnimations::Command5_Click() {
    toggle(f_.Command5, 7, [this] {
        showValues(f_.Text2, state.lifeFreq, state.lifePhase);
        coma5();
    });
}

void CurveAnimations::Command7_Click() {
    toggle(f_.Command7, 16, [this] {
        ComaState& s = state;
        s.shellPhase = int16_t(0);
        s.shellFreq = 0;
        // 光 shows the life set's values, though its figure reads none of them.
        showValues(f_.Text2, s.lifeFreq, s.lifePhase);
        coma7();
    });
}

void CurveAnimations::Command6_Click() {
    f_.Command6.setBackColor(kCurveOn);
    coma6();
}

// 果壳 turns the death and egg sets along with its own, without drawing them.
void CurveAnimations::Timer4_Timer() {
    if (messageOpen_)
        return;
    ComaState& s = state;
    advance(deathSet(s), 0.1);
    if (s.deathTick.toDouble() > 6) {
        turn(s.deathPhase);
        s.deathTick = int16_t(0);
    }
    advance(eggSet(s), 0.5);
    if (s.eggTick.toDouble() > 6)
        s.eggTick = int16_t(0);

    s.shellTick = s.shellTick + Variant(int16_t(1));
    s.shellPhase = s.shellPhase + Variant(0.05);
    s.shellFreq += 0.5;
    if (s.shellTick.toDouble() > 6)
        s.shellTick = redraw(&CurveAnimations::coma4);
}

void CurveAnimations::Timer5_Timer() {
    if (!messageOpen_)
        tick(eggSet(state), 0.5, 3, false, [this] { return redraw(&CurveAnimations::coma2); });
}

void CurveAnimations::Timer6_Timer() {
    if (!messageOpen_)
        tick(deathSet(state), 0.1, 6, true, [this] { return redraw(&CurveAnimations::coma3); });
}

// 光 turns the death set, which its own figure never reads.
void CurveAnimations::Timer16_Timer() {
    if (!messageOpen_)
        tick(deathSet(state), 0.1, 6, true, [this] { return redraw(&CurveAnimations::coma7); });
}

void CurveAnimations::Timer7_Timer() {
    if (!messageOpen_)
        tick(lifeSet(state), 0.1, 6, true, [this] { return redraw(&CurveAnimations::coma5); });
}

double CurveAnimations::redraw(double (CurveAnimations::*figure)()) {
    f_.Picture1.setPicture(QImage());
    return (this->*figure)();
}

double CurveAnimations::coma2() {
    return drawFigure({f_.Command2},
                      [this](Centre c, double r0) { return eggFigure(state, c, r0); });
}

double CurveAnimations::coma3() {
    return drawFigure({f_.Command3}, [this](Centre c, double) { return deathFigure(state, c); });
}

double CurveAnimations::coma4() {
    return drawFigure({f_.Command4, kCurveOn, true, true},
                      [this](Centre c, double r0) { return nutshellFigure(state, c, r0); });
}

double CurveAnimations::coma5() {
    return drawFigure({f_.Command5, kCurveOn, true, true},
                      [this](Centre c, double) { return lifeFigure(state, c); });
}

// 塔 has no timer: it ends without the wait and leaves the fill style solid.
double CurveAnimations::coma6() {
    return drawFigure({f_.Command6, kTowerDrawn, false, true},
                      [](Centre c, double) { return towerFigure(c); });
}

double CurveAnimations::coma7() {
    return drawFigure({f_.Command7, kCurveOn, true, true},
                      [](Centre c, double) { return lightFigure(c); });
}

double CurveAnimations::drawFigure(const Closing& closing,
                                   const std::function<Figure(Centre, double)>& figure) {
    const ui::Opening opening(f_);
    const std::optional<double> r0 = openFrame();
    // The window may have been closed while the message was open.
    if (!opening.alive())
        return 0;
    if (r0) {
        if (closing.solidFill)
            f_.Picture1.setFillStyle(0);
        paintFigure(f_.Picture1, figure({f_.originX, f_.originY}, *r0), f_.penColor,
                    [this] { f_.plotStepDelay(); });
    }
    closing.button.setBackColor(closing.colour);
    if (closing.wait)
        f_.yanchi();
    return 0;
}

std::optional<double> CurveAnimations::openFrame() {
    if (!panel_.dropBoxesNumeric()) {
        refuse();
        return std::nullopt;
    }
    // A step of 0 (or none at all) would sample the drop's extents without end.
    const double t = panel_.number(ParameterPanel::kTimeBox);
    const double step = t / kExtentSteps;
    if (step == 0 || !std::isfinite(step)) {
        refuse();
        return std::nullopt;
    }
    // The figures sample the path only as long as the time is not past the panel's: a
    // negative time sizes the window from the launch and that time alone.
    bool usable = false;
    const auto sized = [&] {
        usable =
            panel_.sizePlotWindow(f_.plotWindow, t, kExtentSteps, dropcalc::TimeLoop::WhileAtMost);
    };
    if (!vbrt::skipOnError(sized)) {
        refuse();
        return std::nullopt;
    }
    // A window of no size can be no scale: the figure is left out.
    if (!usable)
        return std::nullopt;
    const std::array<double, 4>& w = f_.plotWindow;

    ui::PictureBox& canvas = f_.Picture1;
    if (!f_.coordMode)
        canvas.Scale(w[0], w[2], w[1], w[3]);
    const double r0 = 0.9 * w[3];
    canvas.PSet(f_.originX, f_.originY, f_.penColor);
    canvas.PSet(f_.originX, f_.originY + r0, f_.penColor);
    return r0;
}

void CurveAnimations::refuse() {
    const QScopedValueRollback open(messageOpen_, true);
    panel_.refuseDropInput();
}

} // namespace drawing
