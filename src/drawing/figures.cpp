#include "drawing/figures.h"

#include <cmath>

namespace drawing {

namespace {

// Collects a figure's segments and pauses in drawing order.
class Builder {
public:
    void pause() { figure_.pauses.push_back(figure_.segments.size()); }
    // A segment from the axis point (0, rho) to (x, y).
    void fromAxis(double rho, double x, double y) { figure_.segments.push_back({0, rho, x, y}); }
    Figure take() { return std::move(figure_); }

private:
    Figure figure_;
};

// Runs pass(t) for t = start, start + D, ... while t <= 2 pi + D, with D a turn divided into
// `steps`; t grows by repeated addition, so the number of passes follows its rounding (one
// more than a plain count would give).
template <typename Pass> void turnAndStep(int steps, bool fromFirstStep, Pass pass) {
    const double pi = 4 * std::atan(1.0);
    const double d = 2 * pi / steps;
    for (double t = fromFirstStep ? d : 0; t <= 2 * pi + d; t += d)
        pass(t);
}

// The fan of 死 and 塔: radii of the line at distance 1 whose normal points at -phase.
void lineFan(Builder& b, Centre c, double phase, double t) {
    const double r = 1 / std::cos(t + phase);
    b.fromAxis(r, c.x + r * std::cos(t), c.y + r * std::sin(t));
}

} // namespace

Figure eggFigure(const ComaState& state, Centre c, double r0) {
    const double freq = state.eggFreq.toDouble(), phase = state.eggPhase.toDouble();
    Builder b;
    turnAndStep(1000, true, [&](double t) {
        b.pause();
        const double u = freq * t;
        const double r = r0 * std::cos(u + phase);
        b.fromAxis(r, c.x - r * std::cos(u), c.y - r * std::sin(u));
        b.fromAxis(r, c.x + r * std::cos(u), c.y + r * std::sin(u));
    });
    return b.take();
}

Figure deathFigure(const ComaState& state, Centre c) {
    const double phase = state.deathPhase.toDouble();
    Builder b;
    turnAndStep(1000, false, [&](double t) {
        lineFan(b, c, phase, t);
        b.pause();
    });
    return b.take();
}

Figure towerFigure(Centre c) {
    constexpr double kPhase = 30;
    Builder b;
    turnAndStep(1000, false, [&](double t) {
        b.pause();
        lineFan(b, c, kPhase, t);
    });
    return b.take();
}

Figure nutshellFigure(const ComaState& state, Centre c, double r0) {
    const double deathPhase = state.deathPhase.toDouble(), deathFreq = state.deathFreq.toDouble();
    const double eggPhase = state.eggPhase.toDouble(), eggFreq = state.eggFreq.toDouble();
    const double shellPhase = state.shellPhase.toDouble(), shellFreq = state.shellFreq;
    Builder b;
    turnAndStep(500, false, [&](double t) {
        lineFan(b, c, deathPhase, t);

        const double eggAngle = eggFreq * t;
        const double eggRho = r0 * std::cos(eggPhase + eggAngle);
        b.fromAxis(eggRho, c.x - eggRho * std::cos(eggAngle), c.y - eggRho * std::sin(eggAngle));
        b.fromAxis(eggRho, c.x + eggRho * std::cos(eggAngle), c.y + eggRho * std::sin(eggAngle));

        const double right = 0.1 + deathFreq * t;
        const double rightRho = 8 / std::cos(right);
        b.fromAxis(rightRho, c.x + rightRho * std::cos(right), c.y + rightRho * std::sin(right));
        const double left = deathPhase + deathFreq * t;
        const double leftRho = 8 / std::cos(left);
        b.fromAxis(leftRho, c.x - leftRho * std::cos(left), c.y - leftRho * std::sin(left));

        const double theta = (shellPhase + (shellFreq + 1) * t) + 0.00001;
        const double shellRho = 1 / std::cos(theta) + 3;
        b.fromAxis(shellRho, c.x + shellRho * std::cos(theta), c.y + shellRho * std::sin(theta));
        b.pause();
    });
    return b.take();
}

Figure lifeFigure(const ComaState& state, Centre c) {
    const double phase = state.lifePhase.toDouble(), freq = state.lifeFreq.toDouble();
    Builder b;
    turnAndStep(300, false, [&](double t) {
        const double theta = (phase + (1 + freq) * t) + 0.00001;
        const double rho1 = 1 / std::cos(theta) + 3;
        b.fromAxis(rho1, c.x + rho1 * std::cos(theta), c.y + rho1 * std::sin(theta));

        const double rho3 = 8 / std::cos(phase + freq * t);
        const double rho2 = 8 / std::cos(0.1 + freq * t);
        b.pause();
        const double right = 0.1 + freq * t;
        b.fromAxis(rho2, c.x + rho2 * std::cos(right), c.y + rho2 * std::sin(right));
        b.pause();
        const double left = phase + freq * t;
        b.fromAxis(rho3, c.x - rho3 * std::cos(left), c.y - rho3 * std::sin(left));
    });
    return b.take();
}

Figure lightFigure(Centre c) {
    Builder b;
    turnAndStep(600, false, [&](double t) {
        const double rho = 8 / std::cos(30 + 7 * t);
        b.pause();
        const double alpha = 0.1 + 7 * t;
        b.fromAxis(rho, c.x + rho * std::cos(alpha), c.y + rho * std::sin(alpha));
    });
    return b.take();
}

} // namespace drawing
