#pragma once

#include "shell/form1.h"
#include "shell/form2.h"
#include "trajectories/drop_plots.h"
#include "vbrt/convert.h"

#include <QPointF>
#include <cmath>
#include <utility>

namespace testing_support {

// Types a drop into the main window's panel as numbers: radius (mm), density, launch
// velocity, wind and the time.
inline void typeDrop(shell::Form1& f, double radius, double density, double vx0, double vy0,
                     double windX, double windY, double time) {
    const std::pair<int, double> boxes[] = {{0, radius}, {13, density}, {1, vx0},  {4, vy0},
                                            {2, windX},  {3, windY},    {10, time}};
    for (const auto& [box, value] : boxes)
        f.Text1(box).setText(vbrt::CStr(value));
}

// Where the interception's trial at `degrees` is at time tau, with the panel's launch speed
// (the trial's launch is left in the drawing window).
inline QPointF pointOfTrial(shell::Form1& panel, shell::Form2& f, double degrees, double tau) {
    const double speed =
        std::hypot(vbrt::CDbl(panel.Text1(1).Text()), vbrt::CDbl(panel.Text1(4).Text()));
    const double theta = degrees / 360 * 8 * std::atan(1.0);
    f.trialVx = speed * std::cos(theta);
    f.trialVy = speed * std::sin(theta);
    return {f.dropPlots.f4(tau), f.dropPlots.f3(tau)};
}

} // namespace testing_support
