#pragma once

#include <functional>

namespace app {

// Ends the program at once: no window's close handler runs. In the program the event loop
// quits; in tests the end is only recorded.
void End();
bool programEnded();
void resetProgramEnded();
// What End does besides recording (the program installs "quit the event loop").
void setEndAction(std::function<void()> action);
// What must be saved however the program ends: End runs `save` first, in the order the
// owners gave theirs, until the owner takes it back.
void keepAtEnd(const void* owner, std::function<void()> save);
void forgetAtEnd(const void* owner);

} // namespace app
