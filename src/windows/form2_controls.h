#pragma once

#include "pixelsets/pixel_set.h"
#include "ui/control_array.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/picture_box.h"
#include "ui/timer.h"
#include "vbrt/colour.h"
#include "windows/routines.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

namespace windows {

// The monitoring and drawing window's controls, its design, the members several of its
// subsystems share and the small routines they wait and pace with. The window itself
// (shell::Form2) adds its subsystems and its own handlers; each subsystem is given this part.
class Form2Controls : public ui::Form {
public:
    Form2Controls();

    // The picture files the drawing area is saved to and imported from.
    static inline const QString kPictureFilter =
        QStringLiteral("图形文件*.jpg|*.jpg|图形文件*.bmp|*.bmp|图形文件*.gif|*.gif");

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
    bool drawEllipse = true;
    double originX = 0, originY = 0;
    bool coordMode = false;
    bool drawChord = false;
    bool readoutFrozen = false;
    // The canvas window of the last drop plot: left, right, top, bottom.
    std::array<double, 4> plotWindow{};
    // The interception's launch speed and its trial launch velocity.
    double launchSpeed = 0;
    double trialVx = 0, trialVy = 0;

    // The threshold the comparisons start with, and the monitoring's when its box holds none.
    static inline const QString kDefaultThreshold = QStringLiteral("100");
    // The sampling grid the boxes Text1(2) (columns) and Text1(3) (rows) give on the drawing
    // area; nothing when they give none.
    std::optional<pixelsets::Steps> samplingGrid() const;
    // The grid boxes back at 800 x 600, and the threshold box at `threshold`.
    void resetSamplingGrid(const QString& threshold = kDefaultThreshold);

    // The mode's background picture in the picture holder, painted again over the whole
    // drawing area (drawings made since are covered by it).
    void paintBackground();

    // Small shared routines.
    void pauseSecond() { windows::pauseSecond(); }
    double yanchi() { return windows::yanchi(); }
    void pauseTickBusy() { windows::pauseTickBusy(); }
    void pauseThenClsBusy();
    void plotStepDelay();
    void countThenCls();
    void countTo50() { countLoop(0, 50); }

protected:
    void design() override;
};

} // namespace windows
