#pragma once

#include "ui/control_array.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/picture_box.h"
#include "ui/timer.h"
#include "vbrt/colour.h"
#include "windows/parameter_panel.h"

#include <QImage>
#include <QStringList>

namespace windows {

// The main window's controls, its design and the view of its parameter panel that the
// drawing window reads. The window itself (shell::Form1) adds its subsystems and handlers.
class Form1Controls : public ui::Form {
public:
    Form1Controls();

    // The window's own colour, of its background and its tools.
    static constexpr vbrt::Colour kToolColour = vbrt::RGB(192, 208, 192);

    // Set by the orbit animation; closing then ends the program without the quit question.
    bool exitWithoutAsking = false;

    ui::CommandButton Command1{this, "Command1"};                   // 推导计算
    ui::CommandButton Command2{this, "Command2"};                   // 日月地球
    ui::ControlArray<ui::CommandButton> Command3{this, "Command3"}; // 清空图像, 图像预存
    ui::ControlArray<ui::CommandButton> Command4{this, "Command4"}; // 红, 绿, 蓝
    ui::CommandButton Command5{this, "Command5"};                   // 保存图像
    ui::ControlArray<ui::CommandButton> Command6{this, "Command6"}; // 纸的颜色, 彩笔
    ui::CommandButton Command7{this, "Command7"};                   // 导入图像
    ui::CommandButton Command8{this, "Command8"};                   // Tessal模拟
    ui::CommandButton Command9{this, "Command9"};                   // 反导模拟
    ui::CommandButton Command10{this, "Command10"};                 // 数学画画
    ui::CommandButton Command11{this, "Command11"};                 // 智能监控
    ui::CommandButton Command12{this, "Command12"};                 // Dorvel画画
    ui::CommandButton Command13{this, "Command13"};                 // 图像叠加
    ui::CommandButton Command14{this, "Command14"};                 // 视频播放
    ui::CommandButton Command15{this, "Command15"};                 // 导入视频
    ui::ControlArray<ui::Label> Label1{this, "Label1"};
    ui::ControlArray<ui::TextBox> Text1{this, "Text1"};
    ui::PictureBox Picture1{this, "Picture1"};
    ui::ImageBox Image1{this, "Image1"};
    ui::WidgetHost WindowsMediaPlayer1{this, "WindowsMediaPlayer1"};
    ui::HScrollBar HScroll1{this, "HScroll1"};
    ui::ControlArray<ui::VScrollBar> VScroll1{this, "VScroll1"};
    ui::ControlArray<ui::TextBox> Text2{this, "Text2"};
    ui::PictureBox Picture3{this, "Picture3"};
    ui::Timer Timer1{this, "Timer1"};
    ui::Timer Timer3{this, "Timer3"};
    ui::CommonDialog CommonDialog1;

    // The parameter panel: the boxes Text1 and their captions Label1.
    ParameterPanel panel{*this, Text1, Label1};

    // The colour dialog for the colour button `index` (0 paper, 1 pen): the chosen colour
    // becomes the button's; false, and nothing changed, when the dialog was cancelled.
    bool pickColour(int index);

protected:
    void design() override;

    // A picture of the program's folder, or none; one that is there but not read is noted for
    // the run log.
    QImage startUpPicture(const QString& file);
    // What start-up left alone and why, for the run log once it is rotated.
    QStringList startUpNotes_;
};

} // namespace windows
