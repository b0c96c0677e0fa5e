// The drawing window's command row Command1(0..21): one handler that runs the block of the
// pressed index.
#include "app/module1.h"
#include "shell/form2.h"

namespace shell {

void Form2::Command1_Click(int index) {
    // Tested in this order, each test for itself; 粗 (21) only while the pen is on. The canvas,
    // picture, pen, stroke, layout and preview commands (1-3, 6, 7, 9, 13-21) come with the
    // drawing board.
    if (index == 12)
        dropPlots.drawChords();
    if (index == 11)
        dropPlots.transformCoordinates();
    if (index == 10)
        antiMissile.changeAngle();
    if (index == 8)
        dropPlots.noEllipse();
    if (index == 4)
        dropPlots.singleColour();
    if (index == 5)
        dropPlots.randomColours();
    if (index == 0)
        dropPlots.deriveAndPlot();
}

} // namespace shell
