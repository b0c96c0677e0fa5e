#pragma once

#include "ui/waits.h"

#include <QString>
#include <cstdint>

// The small routines the drawing window's buttons, timers, plots and comparisons share:
// waits, counted delays, three-way picks and colour-text parts.
namespace windows {

// Waits just over one second / 0.01 s, letting pending events of every window run (kept in ui,
// beside the window openings whose routines wait with them).
using ui::pauseSecond;
using ui::pauseShort;
// Waits just over one second without letting any event run; always 0.
double yanchi();
// Waits just over 0.01 s without letting any event run.
void pauseTickBusy();
// A plot step: a counted delay when plotting fast, else a 0.01 s busy wait.
void plotStepDelay(bool fastPlot);
// Counted empty loops: short delays that let no event run.
void countLoop(int from, int to);

// Largest, smallest and middle of three; the middle is 0 when two or more are equal.
int16_t max3(int16_t a, int16_t b, int16_t c);
int16_t max1(int16_t a, int16_t b, int16_t c);
int16_t max2(int16_t a, int16_t b, int16_t c);

// Parts of a colour text "255r128g64b": red, green, blue. Raise invalid-argument when the
// closing letter is missing or comes first, type-mismatch for a part that is no number,
// overflow outside 16 bits.
int16_t quza(const QString& s);
int16_t quzb(const QString& s);
int16_t quzc(const QString& s);

} // namespace windows
