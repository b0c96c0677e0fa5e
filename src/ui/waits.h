#pragma once

namespace ui {

// Lets every pending event of every window run once (timers, sockets, clicks, repaints).
void DoEvents();

// Waits until more than `bound` seconds have passed, letting every event run as it comes and
// sleeping while none does. Elapsed time is measured on the monotonic clock and compared as
// 32-bit floats with a strict ">", so a wait of 1 s lasts just over 1 s, across midnight too.
void pumpedWait(float bound);
// The same without letting any event run: no timer fires and no window reacts, but what was
// drawn on a picture meanwhile is shown, so a paced drawing grows on screen. It sleeps in
// short slices rather than spinning.
void busyWait(float bound);

// The program's two waits with events running: just over one second, just over 0.01 s.
void pauseSecond();
void pauseShort();

// For waits that spin on their own (counted loops): shows what was drawn on pictures since
// they were last painted, at most once per frame of the screen.
void showDrawingSoFar();

} // namespace ui
