#pragma once

#include "ui/control_array.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/picture_box.h"
#include "ui/timer.h"

#include <QDate>
#include <memory>

namespace dropcalc {
class Calculator;
}

namespace shell {

class VideoPlayer;

// The main window: launcher, parameter panel, drop calculator, picture, colour and video tools.
class Form1 : public ui::Form {
public:
    Form1();
    ~Form1() override;

    // Set by the orbit animation; closing then ends the program without the quit question.
    bool exitWithoutAsking = false;

    // Boxes of the parameter panel Text1 with a role of their own.
    enum PanelBox {
        kTimeBox = 10,     // the time t of the drop
        kMomentsBox = 11,  // its special moments, or the drag
        kLastDropBox = 13, // the drop's inputs and results end here
        kAngleBox = 14,    // the interception's launch angle
        kTargetXBox = 15,  // the interception's target
        kTargetYBox = 16,
        kErrorBox = 17, // the interception's tolerance, in per cent
    };
    // Captions of Label1 beside the special-moments box.
    enum PanelCaption { kMomentCaption = 13, kDragCaption = 14 };

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

private:
    // The subsystems of the window, made after every control in the order below and gone
    // before the controls; the references name them.
    struct Subsystems;
    std::unique_ptr<Subsystems> subsystems_;

public:
    dropcalc::Calculator& calculator;
    VideoPlayer& video;

    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Unload(int& cancel) override;
    void Form_Click() override;

    // The quit question of the main window and the browser window, asked at most once a run.
    enum class QuitAnswer {
        EndNow,   // exitWithoutAsking: the program ended without any close handling
        Stay,     // No: the closing window stays open
        Yes,      // asked just now and agreed
        Confirmed // asked before (or the alarm point was closed): close without asking
    };
    QuitAnswer quitQuestion();

    // Ends any video shown and brings the picture area back.
    void returnToPictureView();

    // Picture and colour tools.
    void Command3_Click(int index);
    void Command4_Click(int index);
    void Command5_Click();
    void Command6_Click(int index);
    // The colour dialog for the colour button `index` (0 paper, 1 pen): the chosen colour
    // becomes the button's; false, and nothing changed, when the dialog was cancelled.
    bool pickColour(int index);
    void Command7_Click();
    void Label1_Click(int index);
    void VScroll1_Change(int index);
    void Timer1_Timer();
    // The caption the clock shows on `date`.
    static QString clockCaption(const QDate& date);

    // Video player, its work done by `video`.
    void Command14_Click();
    void Command15_Click();
    void HScroll1_Change();
    void Timer3_Timer();
    void WindowsMediaPlayer1_Click(int button, int shift, int x, int y);
    void WindowsMediaPlayer1_DoubleClick(int button, int shift, int x, int y);

    // Drop calculator, its work done by `calculator`.
    void Command1_Click();
    void Command2_Click();
    void Picture1_Click();
    void Picture1_DblClick();
    void Text1_Click(int index);
    void Text1_DblClick(int index);

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
    // Moves the whole text of `source` to the end of `backup` and leaves `source` empty. What
    // cannot be moved is left as it was and noted for the run log.
    void rotate(const QString& source, const QString& backup);
    // A picture of the program's folder, or none; one that is there but not read is noted for
    // the run log.
    QImage startUpPicture(const QString& file);
    // What start-up left alone and why, for the run log once it is rotated.
    QStringList startUpNotes_;

    // Saves the picture under a name chosen in the save dialog.
    void savePicture();
    // Saves the picture under this name; a failed write says why.
    void savePictureTo(const QString& name);
};

} // namespace shell
