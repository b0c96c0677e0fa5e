#pragma once

namespace alarmpoint {
class Form4;
}

namespace shell {

class Form1;
class Form2;
class Form3;

// The registry of the windows: the default instance of each, created on first use. The
// objects live for the run (unloading a window keeps its object).
Form1& form1();
Form2& form2();
Form3& form3();
alarmpoint::Form4& form4();

// Drops every window object and the shared state, for a fresh start (tests).
void resetAll();

} // namespace shell
