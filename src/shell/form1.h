#pragma once

#include "ui/control_array.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/picture_box.h"
#include "ui/timer.h"

namespace shell {

// The main window: launcher, parameter panel, drop calculator, picture, colour and video tools.
class Form1 : public ui::Form {
public:
    Form1();
    ~Form1() override;

    // Set by the orbit animation; closing then ends the program without the quit question.
    bool exitWithoutAsking = false;

    ui::CommandButton Command1{this, "Command1"};  // 推导计算
    ui::CommandButton Command2{this, "Command2"};  // 日月地球
    ui::ControlArray<ui::CommandButton> Command3{this, "Command3"}; // 清空图像, 图像预存
    ui::ControlArray<ui::CommandButton> Command4{this, "Command4"}; // 红, 绿, 蓝
    ui::CommandButton Command5{this, "Command5"};  // 保存图像
    ui::ControlArray<ui::CommandButton> Command6{this, "Command6"}; // 纸的颜色, 彩笔
    ui::CommandButton Command7{this, "Command7"};  // 导入图像
    ui::CommandButton Command8{this, "Command8"};  // Tessal模拟
    ui::CommandButton Command9{this, "Command9"};  // 反导模拟
    ui::CommandButton Command10{this, "Command10"}; // 数学画画
    ui::CommandButton Command11{this, "Command11"}; // 智能监控
    ui::CommandButton Command12{this, "Command12"}; // Dorvel画画
    ui::CommandButton Command13{this, "Command13"}; // 图像叠加
    ui::CommandButton Command14{this, "Command14"}; // 视频播放
    ui::CommandButton Command15{this, "Command15"}; // 导入视频
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

    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Unload(int& cancel) override;
    void Form_Click() override;

    // Launchers.
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();
    void Image1_Click();

protected:
    void design() override;

private:
    // Moves the whole text of `source` to the end of `backup` and leaves `source` empty.
    static void rotate(const QString& source, const QString& backup);
};

} // namespace shell
