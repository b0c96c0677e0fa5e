#pragma once

#include "shell/form1.h"
#include "vbrt/convert.h"

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

} // namespace testing_support
