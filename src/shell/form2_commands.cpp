// The drawing window's command row Command1(0..21): one handler that runs the block of the
// pressed index.
#include "app/module1.h"
#include "drawing/drawing_board.h"
#include "shell/form2.h"
#include "trajectories/anti_missile.h"
#include "trajectories/command_words.h"
#include "trajectories/drop_plots.h"
#include "trajectories/record_replay.h"

namespace shell {

void Form2::Command1_Click(int index) {
    // Tested in this order, each test for itself; 粗 (21) only while the pen is on.
    if (index == 21 && app::module1().freehandMode)
        board.cxqh();
    if (index == 20)
        slideshow.togglePreview();
    if (index == 19)
        board.fullCanvas();
    if (index == 18)
        board.fullScreen();
    if (index == 17)
        board.inputres();
    if (index == 16)
        board.outsave();
    if (index == 15)
        board.autop();
    if (index == 14)
        board.huahua();
    if (index == 13)
        board.writeText();
    if (index == 12)
        dropPlots.drawChords();
    if (index == 11)
        dropPlots.transformCoordinates();
    if (index == 10)
        antiMissile.changeAngle();
    if (index == 9)
        board.importPicture();
    if (index == 8)
        dropPlots.noEllipse();
    if (index == 7)
        board.penColour();
    if (index == 6)
        board.paperColour();
    if (index == 4)
        dropPlots.singleColour();
    if (index == 5)
        dropPlots.randomColours();
    if (index == 3) {
        board.savePictureWithRecords();
        return;
    }
    if (index == 1)
        board.clearPicture();
    if (index == 2)
        board.preSavePicture();
    if (index == 0)
        dropPlots.deriveAndPlot();
}

} // namespace shell
