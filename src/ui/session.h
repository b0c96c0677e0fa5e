#pragma once

#include <functional>

namespace ui {

// The desktop ends a program with a signal: SIGTERM at a logout, a shut-down or from a service
// manager, SIGHUP when its terminal goes, SIGINT on Ctrl+C. The handler only notes the signal;
// `end` runs on the program's own thread at the next turn of the event loop or of any wait,
// busy waits and counted loops included, so the program ends whatever it is doing: a message
// box or a paced drawing does not hold it up.
void endSessionOnSignals(std::function<void()> end);
// Holds those signals until endSessionOnSignals: one that comes while the program starts, before
// the end can run, then ends it as any other rather than killing it outright. First in main(),
// so that the threads the application starts leave the signals to the program's own thread.
void holdSessionSignals();
// Back to the system's handling of those signals (tests).
void stopEndingSessionOnSignals();
// True from such a signal on: nobody is left to answer a message box.
bool sessionEnding();
// Runs the end once a signal came; the waits that take no input call it.
void endSessionIfSignalled();

} // namespace ui
