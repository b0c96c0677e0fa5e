#pragma once

#include "vbrt/colour.h"

#include <array>
#include <cmath>
#include <functional>
#include <initializer_list>

namespace ui {
class PictureBox;
}

// What the drop's plots and animations share: the time steps, the extent scan, the window
// rule, the frame with its axes and the paced ellipse.
namespace dropcalc {

// How a loop over times ends. ForTo counts as a For loop: up to the end, or down to it for a
// negative step. WhileAtMost runs as long as tau <= end, so a negative end samples nothing.
enum class TimeLoop { ForTo, WhileAtMost };

// The samples of a trajectory plot.
constexpr int kPlotSteps = 150;

// Runs sample(tau) for tau = 0, step, 2 step, ... until the loop ends, the step added each
// time, so the count depends on the additions being exact. A step that does not move the
// counter (a time of 0) samples tau = 0 alone. sample returns false to stop early.
template <typename Sample>
void forEachTime(double end, double step, Sample sample, TimeLoop loop = TimeLoop::ForTo) {
    const bool down = loop == TimeLoop::ForTo && step < 0;
    for (double tau = 0; down ? tau >= end : tau <= end;) {
        if (!sample(tau))
            return;
        const double next = tau + step;
        if (next == tau)
            return;
        tau = next;
    }
}

// A time the plots can step through: a positive number whose finest step (a ten-thousandth)
// still moves the counter.
bool steppableTime(double t);

struct Extents {
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

// The path's extents over the steps end / steps, in the program's order: the least y from
// y(0), the greatest from y(end), then the same for x.
template <typename X, typename Y>
Extents scanExtents(double end, int steps, X x, Y y, TimeLoop loop = TimeLoop::ForTo) {
    const double step = end / steps;
    Extents e;
    auto each = [&](auto sample) { forEachTime(end, step, sample, loop); };
    auto lower = [&](auto f, double& least) {
        each([&](double tau) {
            if (const double v = f(tau); v < least)
                least = v;
            return true;
        });
    };
    auto higher = [&](auto f, double& most) {
        each([&](double tau) {
            if (const double v = f(tau); v > most)
                most = v;
            return true;
        });
    };
    e.yMin = y(0.0);
    lower(y, e.yMin);
    e.yMax = y(end);
    higher(y, e.yMax);
    e.xMin = x(0.0);
    lower(x, e.xMin);
    e.xMax = x(end);
    higher(x, e.xMax);
    return e;
}

// The length of the path from 0 to end as the sum of 10,000 chords, the model evaluated afresh
// for both ends of each.
template <typename X, typename Y> double pathLength(double end, X x, Y y) {
    const double step = end / 10000;
    double length = 0;
    forEachTime(end, step, [&](double tau) {
        const double prevX = tau == 0 ? 0 : x(tau - step);
        const double prevY = tau == 0 ? 0 : y(tau - step);
        const double px = x(tau), py = y(tau);
        length += std::sqrt(std::pow(prevX - px, 2) + std::pow(prevY - py, 2));
        return true;
    });
    return length;
}

// Half sizes of a window that leaves room around the path: three halves of the horizontal
// span; vertically three halves of the span, or of the sum when the path stays on one side
// of the launch height.
inline double horizontalHalf(const Extents& e) {
    return 3 * (e.xMax - e.xMin) / 2;
}
inline double verticalHalf(const Extents& e) {
    return e.yMin * e.yMax > 0 ? 3 * (e.yMax + e.yMin) / 2 : 3 * (e.yMax - e.yMin) / 2;
}
// The window left, right, top, bottom of the half sizes, made square on the larger one (equal
// ones keep the vertical).
inline std::array<double, 4> squareWindow(double halfX, double halfY) {
    std::array<double, 4> w{-halfX, halfX, -halfY, halfY};
    if (halfX > halfY) {
        w[2] = w[0];
        w[3] = w[1];
    } else {
        w[0] = w[2];
        w[1] = w[3];
    }
    return w;
}

// Raises ErrOverflow unless every value is a finite number. A drop whose path or readouts
// overflow is refused as one whose boxes hold no numbers, before anything of it is shown.
void requireFinite(std::initializer_list<double> values);

// A window the picture can be scaled to: both half sizes finite and above 0.
inline bool usableWindow(double halfX, double halfY) {
    return std::isfinite(halfX) && std::isfinite(halfY) && halfX > 0 && halfY > 0;
}

// A picture's point that may be drawn: never an infinity or NaN.
inline bool drawable(double x, double y) {
    return std::isfinite(x) && std::isfinite(y);
}

// The blue box at nine tenths of the window, and the axes with their arrowheads at the
// positive ends in the fore colour.
void drawFrame(ui::PictureBox& picture, double halfX, double halfY);

inline constexpr vbrt::Colour kEllipseColour = vbrt::RGB(128, 64, 128);

// An ellipse round (cx, cy) in steps of a turn / stepsPerTurn from the current point, up to
// the angle `end`, each step after a pause; the pause gives false when the drawing must stop.
// False when it stopped.
struct PacedEllipse {
    double cx = 0, cy = 0, rx = 0, ry = 0;
    double end = 0;
    vbrt::Colour colour = kEllipseColour;
    int stepsPerTurn = 150;
};
bool drawPaced(ui::PictureBox& picture, const PacedEllipse& e, const std::function<bool()>& pause);
// One turn, and one turn and a step (the closing segment drawn twice).
double fullTurn();
double turnAndStep();

} // namespace dropcalc
