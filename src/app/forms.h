#pragma once

namespace shell {
class Form1;
class Form2;
class Form3;
} // namespace shell
namespace alarmpoint {
class Form4;
}

namespace app {

// The default instance of each window, created on first use; the objects live for the run
// (unloading a window keeps its object).
shell::Form1& form1();
shell::Form2& form2();
shell::Form3& form3();
alarmpoint::Form4& form4();

// Drops every window object and the shared state, for a fresh start (tests).
void resetAll();

} // namespace app
