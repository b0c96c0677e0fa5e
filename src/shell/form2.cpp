#include "shell/form2.h"

#include "app/module1.h"
#include "drawing/curve_animations.h"
#include "drawing/drawing_board.h"
#include "drawing/overlay_pictures.h"
#include "imaging/image_comparison.h"
#include "monitoring/monitoring.h"
#include "trajectories/anti_missile.h"
#include "trajectories/command_words.h"
#include "trajectories/drop_plots.h"
#include "trajectories/record_replay.h"
#include "windows/form1_controls.h"

namespace shell {

struct Form2::Subsystems {
    Subsystems(Form2& f, windows::Form1Controls& main, alarmpoint::Form4& alarmPoint)
        : overlay(f), board(f, main), curves(f, main.panel), antiMissile(f, main.panel, dropPlots),
          dropPlots(f, main), commandWords(f), slideshow(f), replay(f, main.panel, dropPlots),
          imaging(f), monitoring(f, alarmPoint) {}

    drawing::OverlayPictures overlay;
    drawing::DrawingBoard board;
    drawing::CurveAnimations curves;
    trajectories::AntiMissile antiMissile;
    trajectories::DropPlots dropPlots;
    trajectories::CommandWords commandWords;
    trajectories::Slideshow slideshow;
    trajectories::RecordReplay replay;
    imaging::ImageComparison imaging;
    monitoring::Monitoring monitoring;
};

Form2::Form2(windows::Form1Controls& main, alarmpoint::Form4& alarmPoint)
    : subsystems_(std::make_unique<Subsystems>(*this, main, alarmPoint)),
      overlay(subsystems_->overlay), board(subsystems_->board), curves(subsystems_->curves),
      antiMissile(subsystems_->antiMissile), dropPlots(subsystems_->dropPlots),
      commandWords(subsystems_->commandWords), slideshow(subsystems_->slideshow),
      replay(subsystems_->replay), imaging(subsystems_->imaging),
      monitoring(subsystems_->monitoring), main_(main), alarmPoint_(alarmPoint) {
    Command1.wire(
        [this](ui::CommandButton& b, int i) { b.onClick = [this, i] { Command1_Click(i); }; });
    Picture1.onMouseDown = [this](int button, int shift, double x, double y) {
        Picture1_MouseDown(button, shift, x, y);
    };
}

Form2::~Form2() = default;

} // namespace shell
