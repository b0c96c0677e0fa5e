#pragma once

#include "shell/routines.h"
#include "ui/control_array.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/picture_box.h"
#include "ui/timer.h"
#include "vbrt/colour.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <memory>

namespace dropcalc {
enum class TimeLoop;
}
namespace drawing {
class CurveAnimations;
class DrawingBoard;
class OverlayPictures;
} // namespace drawing
namespace monitoring {
class Monitoring;
}
namespace pixelsets {
class ImageComparison;
}
namespace trajectories {
class AntiMissile;
class CommandWords;
class DropPlots;
class RecordReplay;
class Slideshow;
} // namespace trajectories

namespace shell {

// The monitoring and drawing window: one window for every mode. It owns the controls and
// the members several subsystems share; each subsystem keeps its own handlers and state in
// a class of its own folder that this window owns and wires to its controls.
class Form2 : public ui::Form {
public:
    Form2();
    ~Form2() override;

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
    pixelsets::ImageComparison& imaging;
    monitoring::Monitoring& monitoring;

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
    // The window of the panel's drop up to t over `steps` samples, into plotWindow, as the
    // trajectory plots size theirs: for the figures of the other subsystems.
    bool sizePlotWindow(double t, int steps, dropcalc::TimeLoop loop);

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
