#pragma once

#include "drawing/coma_state.h"
#include "drawing/curve_animations.h"
#include "drawing/drawing_board.h"
#include "drawing/overlay_pictures.h"
#include "monitoring/monitoring.h"
#include "pixelsets/image_comparison.h"
#include "shell/routines.h"
#include "trajectories/anti_missile.h"
#include "trajectories/command_words.h"
#include "trajectories/drop_plots.h"
#include "trajectories/record_replay.h"
#include "ui/control_array.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/picture_box.h"
#include "ui/timer.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <memory>

namespace shell {

// The monitoring and drawing window: one window for every mode. It owns the controls and
// the members several subsystems share; each subsystem keeps its own handlers and state in
// a class of its own folder that this window owns and wires to its controls.
class Form2 : public ui::Form {
public:
    Form2();
    ~Form2() override;

    ui::PictureBox Picture1{this, "Picture1"};
    ui::ImageBox Image1{this, "Image1"};
    ui::ControlArray<ui::CommandButton> Command1{this, "Command1", 0, 21};
    ui::CommandButton Command2{this, "Command2"};   // 蛋
    ui::CommandButton Command3{this, "Command3"};   // 死
    ui::CommandButton Command4{this, "Command4"};   // 果壳
    ui::CommandButton Command5{this, "Command5"};   // 生
    ui::CommandButton Command6{this, "Command6"};   // 塔
    ui::CommandButton Command7{this, "Command7"};   // 光
    ui::CommandButton Command8{this, "Command8"};   // 雨
    ui::CommandButton Command9{this, "Command9"};   // 图像采集 (template comparison)
    ui::CommandButton Command10{this, "Command10"}; // 全屏
    ui::CommandButton Command11{this, "Command11"}; // 图像采集 (capture and compare)
    ui::ControlArray<ui::CommandButton> Command12{this, "Command12", 0, 2}; // 采集, 比较, 叠加
    ui::CommandButton Command13{this, "Command13"}; // 智能监控停止 / 启动
    ui::CommandButton Command14{this, "Command14"}; // 人工监控
    ui::CommandButton Command15{this, "Command15"}; // 远程监控室
    ui::ControlArray<ui::TextBox> Text1{this, "Text1", 0, 3};
    ui::TextBox Text2{this, "Text2"};
    ui::TextBox Text3{this, "Text3"};
    ui::Label Label1{this, "Label1"};
    ui::WidgetHost WindowsMediaPlayer1{this, "WindowsMediaPlayer1"};
    ui::ControlArray<ui::Timer> Timer{this, "Timer", 1, 23}; // Timer1 .. Timer23
    ui::CommonDialog CommonDialog1, CommonDialog2, CommonDialog3;

    // Shared members of the window (they outlive an unload).
    qintptr hCapWnd = 0;
    vbrt::Colour penColor = 33000;
    trajectories::ColourMode colorMode = trajectories::ColourMode::RandomShares;
    bool drawEllipse = true;
    double originX = 0, originY = 0;
    bool coordMode = false;
    bool drawChord = false;
    bool readoutFrozen = false;
    drawing::ComaState comaState;
    // The canvas window of the last drop plot: left, right, top, bottom.
    std::array<double, 4> plotWindow{};
    // The interception's launch speed and its trial launch velocity.
    double launchSpeed = 0;
    double trialVx = 0, trialVy = 0;

    // Subsystems of the window.
    drawing::OverlayPictures overlay{*this};
    drawing::DrawingBoard board{*this};
    drawing::CurveAnimations curves{*this};
    trajectories::AntiMissile antiMissile{*this};
    trajectories::DropPlots dropPlots{*this};
    trajectories::CommandWords commandWords{*this};
    trajectories::Slideshow slideshow{*this};
    trajectories::RecordReplay replay{*this};
    pixelsets::ImageComparison imaging{*this};
    monitoring::Monitoring monitoring{*this};

    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    // The command row: runs the block of the pressed button.
    void Command1_Click(int index);
    // A press on the canvas.
    void Picture1_MouseDown(int button, int shift, double x, double y);
    void Form_Resize() override;
    // The mode's background picture in the picture holder, painted again over the whole
    // drawing area (drawings made since are covered by it).
    void paintBackground();
    void Form_Click() override;
    void Form_DblClick() override;

    // Small shared routines.
    void pauseSecond() { shell::pauseSecond(); }
    double yanchi() { return shell::yanchi(); }
    void pauseTickBusy() { shell::pauseTickBusy(); }
    void pauseThenClsBusy();
    void plotStepDelay();
    void countThenCls();
    void countTo50() { countLoop(0, 50); }

protected:
    void design() override;

private:
    void loadLayout();
    // Drawing area and picture holder in proportion to the window; `heightFactor` is the
    // share of the height under the top button row they take.
    void placeDrawingArea(double heightFactor);
    // The right-hand button column, just right of the drawing area.
    void placeColumn(bool withFullCanvasButton);
};

} // namespace shell
