#pragma once

namespace shell {

// How the program ends, set up by main() (and by a test that runs the program as it runs):
// app::End ends the process at once, after what its connections still have to send was
// handed to the system; a signal from the desktop (a logout, a shut-down, a service manager,
// Ctrl+C) closes the windows as the quit does, each through its own close, and ends it.
void installProgramEnd();

} // namespace shell
