#pragma once

#include "windows/form2_controls.h"

#include <memory>

namespace alarmpoint {
class Form4;
}
namespace drawing {
class CurveAnimations;
class DrawingBoard;
class OverlayPictures;
} // namespace drawing
namespace imaging {
class ImageComparison;
}
namespace monitoring {
class Monitoring;
}
namespace trajectories {
class AntiMissile;
class CommandWords;
class DropPlots;
class RecordReplay;
class Slideshow;
} // namespace trajectories
namespace windows {
class Form1Controls;
}

namespace shell {

// The monitoring and drawing window: one window for every mode. Its controls and the members
// several subsystems share are its Form2Controls; each subsystem keeps its own handlers and
// state in a class of its own folder that this window owns, is given the controls it works
// and the windows it reports to, and wires those controls to its handlers.
class Form2 : public windows::Form2Controls {
public:
    Form2(windows::Form1Controls& main, alarmpoint::Form4& alarmPoint);
    ~Form2() override;

private:
    // The subsystems of the window, made after every control in the order below and gone
    // before the controls; the references name them.
    struct Subsystems;
    std::unique_ptr<Subsystems> subsystems_;

public:
    drawing::OverlayPictures& overlay;
    drawing::DrawingBoard& board;
    drawing::CurveAnimations& curves;
    trajectories::AntiMissile& antiMissile;
    trajectories::DropPlots& dropPlots;
    trajectories::CommandWords& commandWords;
    trajectories::Slideshow& slideshow;
    trajectories::RecordReplay& replay;
    imaging::ImageComparison& imaging;
    monitoring::Monitoring& monitoring;

    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    // The command row: runs the block of the pressed button.
    void Command1_Click(int index);
    // A press on the canvas.
    void Picture1_MouseDown(int button, int shift, double x, double y);
    void Form_Resize() override;
    void Form_Click() override;
    void Form_DblClick() override;

private:
    // The windows this one reports to: the main window and its panel, the alarm point.
    windows::Form1Controls& main_;
    alarmpoint::Form4& alarmPoint_;

    void loadLayout();
    // Drawing area and picture holder in proportion to the window; `heightFactor` is the
    // share of the height under the top button row they take.
    void placeDrawingArea(double heightFactor);
    // The right-hand button column, just right of the drawing area.
    void placeColumn(bool withFullCanvasButton);
};

} // namespace shell
