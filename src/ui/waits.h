#pragma once

namespace ui {

// Lets every pending event of every window run once (timers, sockets, clicks, repaints).
void DoEvents();

// Waits until more than `bound` seconds have passed, letting events run in every turn.
// Elapsed time is measured on the monotonic clock and compared as 32-bit floats with a
// strict ">", so a wait of 1 s lasts just over 1 s, across midnight too.
void pumpedWait(float bound);
// The same without letting any event run: no timer fires and no window reacts.
void busyWait(float bound);

} // namespace ui
