#include "shell/form1.h"

// The launchers open the drawing window in each mode.
namespace shell {

void Form1::Command8_Click() {}
void Form1::Command9_Click() {}
void Form1::Command10_Click() {}
void Form1::Command11_Click() {}
void Form1::Command12_Click() {}
void Form1::Command13_Click() {}
void Form1::Image1_Click() {}

} // namespace shell
