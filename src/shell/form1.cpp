#include "shell/form1.h"

#include "alarmpoint/form4.h"
#include "app/module1.h"
#include "app/program.h"
#include "app/records.h"
#include "dropcalc/calculator.h"
#include "shell/form2.h"
#include "shell/form3.h"
#include "shell/forms.h"
#include "shell/video_player.h"
#include "ui/clock.h"
#include "ui/picture_file.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"
#include "vbrt/datetime.h"
#include "vbrt/file_reader.h"
#include "vbrt/file_writer.h"

namespace shell {

using vbrt::RGB;

namespace {
constexpr vbrt::Colour kLauncherColour = RGB(232, 227, 174);
constexpr vbrt::Colour kToolColour = RGB(192, 208, 192);
constexpr vbrt::Colour kPanelColour = RGB(158, 239, 158);

const char* const kLabelCaptions[18] = {
    "半径r(mm)=",
    "水平风速VFx=",
    "水平初速Vx0=",
    "垂直风速VFy=",
    "垂直初速Vy0=",
    "垂直位移Hy =",
    "水平位移Hx =",
    "速率V =",
    "水平速度Vx =",
    "垂直速度Vy =",
    "飞行时间t =",
    "路程H =",
    "物质相对水的密度   P =",
    "特殊时刻 T =",
    "阻力为 =",
    "反导角度ф =",
    "目标坐标（X,Y）",
    "拦截误差设定值（%）：",
};

// Where a caption and the box (or two boxes) it names stand in the parameter panel.
struct PanelPlace {
    int col, row;
    int label;
    int box;
    int sharedLabel = -1; // a second caption in the same place, shown in turn with the first
    int secondBox = -1;   // a second box behind the same caption
    int rows = 1;         // rows the box spans
};
const PanelPlace kPanel[] = {
    {0, 0, 0, 0},   {0, 1, 12, 13},
    {0, 2, 2, 1},   {0, 3, 4, 4},
    {0, 4, 1, 2},   {0, 5, 3, 3},
    {1, 0, 10, 10}, {1, 1, 6, 5},
    {1, 2, 5, 6},   {1, 3, 8, 7},
    {1, 4, 9, 8},   {1, 5, 7, 9},
    {2, 0, 11, 12}, {2, 1, 13, 11, 14, -1, 2},
    {2, 3, 15, 14}, {2, 4, 16, 15, -1, 16},
    {2, 5, 17, 17},
};
} // namespace

struct Form1::Subsystems {
    explicit Subsystems(Form1& f) : calculator(f), video(f) {}

    dropcalc::Calculator calculator;
    VideoPlayer video;
};

Form1::Form1()
    : ui::Form(QStringLiteral("Form1")), subsystems_(std::make_unique<Subsystems>(*this)),
      calculator(subsystems_->calculator), video(subsystems_->video) {
    Command3.add(0, 1);
    Command4.add(0, 2);
    Command6.add(0, 1);
    Label1.add(0, 17);
    Text1.add(0, 17);
    VScroll1.add(0, 2);
    Text2.add(0, 2);

    Command8.onClick = [this] { Command8_Click(); };
    Command9.onClick = [this] { Command9_Click(); };
    Command10.onClick = [this] { Command10_Click(); };
    Command11.onClick = [this] { Command11_Click(); };
    Command12.onClick = [this] { Command12_Click(); };
    Command13.onClick = [this] { Command13_Click(); };
    Image1.onClick = [this] { Image1_Click(); };

    Command3.wire(
        [this](ui::CommandButton& b, int i) { b.onClick = [this, i] { Command3_Click(i); }; });
    Command4.wire(
        [this](ui::CommandButton& b, int i) { b.onClick = [this, i] { Command4_Click(i); }; });
    Command5.onClick = [this] { Command5_Click(); };
    Command6.wire(
        [this](ui::CommandButton& b, int i) { b.onClick = [this, i] { Command6_Click(i); }; });
    Command7.onClick = [this] { Command7_Click(); };
    Label1.wire([this](ui::Label& l, int i) { l.onClick = [this, i] { Label1_Click(i); }; });
    VScroll1.wire(
        [this](ui::VScrollBar& v, int i) { v.onChange = [this, i] { VScroll1_Change(i); }; });
    Timer1.onTimer = [this] { Timer1_Timer(); };

    Command1.onClick = [this] { Command1_Click(); };
    Command2.onClick = [this] { Command2_Click(); };
    Picture1.onClick = [this] { Picture1_Click(); };
    Picture1.onDblClick = [this] { Picture1_DblClick(); };
    Text1.wire([this](ui::TextBox& t, int i) {
        t.onClick = [this, i] { Text1_Click(i); };
        t.onDblClick = [this, i] { Text1_DblClick(i); };
    });

    Command14.onClick = [this] { Command14_Click(); };
    Command15.onClick = [this] { Command15_Click(); };
    HScroll1.onChange = [this] { HScroll1_Change(); };
    Timer3.onTimer = [this] { Timer3_Timer(); };
}

Form1::~Form1() = default;

void Form1::Command1_Click() {
    calculator.Command1_Click();
}
void Form1::Command2_Click() {
    calculator.Command2_Click();
}
void Form1::Picture1_Click() {
    calculator.Picture1_Click();
}
void Form1::Picture1_DblClick() {
    calculator.Picture1_DblClick();
}
void Form1::Text1_Click(int index) {
    calculator.Text1_Click(index);
}
void Form1::Text1_DblClick(int index) {
    calculator.Text1_DblClick(index);
}

void Form1::returnToPictureView() {
    video.returnToPictureView();
}

void Form1::Command14_Click() {
    video.Command14_Click();
}
void Form1::Command15_Click() {
    video.Command15_Click();
}
void Form1::HScroll1_Change() {
    video.HScroll1_Change();
}
void Form1::Timer3_Timer() {
    video.Timer3_Timer();
}
void Form1::WindowsMediaPlayer1_Click(int button, int shift, int x, int y) {
    video.WindowsMediaPlayer1_Click(button, shift, x, y);
}
void Form1::WindowsMediaPlayer1_DoubleClick(int button, int shift, int x, int y) {
    video.WindowsMediaPlayer1_DoubleClick(button, shift, x, y);
}

void Form1::design() {
    designWindow(QStringLiteral("风雨同路，一往无前"), 600, 300, 15480, 11520, kToolColour);

    // The picture area on the left, the window's picture and the buttons on the right,
    // the parameter panel below. The picture area takes the size of its 580 x 360 picture
    // (with its 2-pixel edge), the same size it keeps when the picture is missing.
    Picture1.Move(120, 120, 8760, 5460);
    Picture1.setAutoRedraw(true);
    Picture1.setAutoSize(true);
    Picture1.setPicture(startUpPicture(QStringLiteral("\\picture1.jpg")));
    Image1.setStretch(true);
    Image1.Move(9000, 120, 6240, 2760);

    struct Button {
        ui::CommandButton& b;
        const char* caption;
        int col, row;
    };
    const Button buttons[] = {
        {Command10, "数学画画", 0, 0},   {Command11, "智能监控", 1, 0},
        {Command12, "Dorvel画画", 0, 1}, {Command13, "图像叠加", 1, 1},
        {Command8, "Tessal模拟", 0, 2},  {Command9, "反导模拟", 1, 2},
        {Command1, "推导计算", 0, 3},    {Command14, "视频播放", 1, 3},
        {Command15, "导入视频", 0, 4},   {Command2, "日月地球", 1, 4},
        {Command3(0), "清空图像", 0, 5}, {Command3(1), "图像预存", 1, 5},
        {Command5, "保存图像", 0, 6},    {Command7, "导入图像", 1, 6},
        {Command6(0), "纸的颜色", 0, 7}, {Command6(1), "彩笔", 1, 7},
    };
    for (const Button& b : buttons) {
        b.b.setCaption(QString::fromUtf8(b.caption));
        b.b.Move(9000 + b.col * 3180, 3000 + b.row * 600, 3060, 495);
        b.b.setFontSize(11);
    }
    const char* const rgb[3] = {"红", "绿", "蓝"};
    const vbrt::Colour rgbBack[3] = {0xC0C0FF, 0xC0FFC0, 0xFFC0C0};
    for (int i = 0; i < 3; ++i) {
        Command4(i).setCaption(QString::fromUtf8(rgb[i]));
        Command4(i).Move(9000 + i * 2100, 7800, 1980, 495);
        Command4(i).setBackColor(rgbBack[i]);
        Command4(i).setVisible(false);
    }
    Command6(0).setVisible(false);
    Command6(1).setVisible(false);

    // Parameter panel: three columns of six rows, each caption in front of the box its text
    // names (caption and box numbers differ). The drop's inputs on the left, its state at t
    // in the middle, the path, the special moments and the interception on the right.
    for (const PanelPlace& p : kPanel) {
        const int x = 120 + p.col * 5100, y = 5940 + p.row * 780;
        for (int label : {p.label, p.sharedLabel}) {
            if (label < 0)
                continue;
            Label1(label).setCaption(QString::fromUtf8(kLabelCaptions[label]));
            Label1(label).Move(x, y + 150, 2700, 375);
            Label1(label).setAlignment(1);
            Label1(label).setFontSize(10);
            Label1(label).setWordWrap(true);
        }
        // Two boxes behind one caption share the box's width.
        const int width = p.secondBox < 0 ? 2220 : 1080;
        Text1(p.box).Move(x + 2760, y, width, 660 + 780 * (p.rows - 1));
        if (p.secondBox >= 0)
            Text1(p.secondBox).Move(x + 2760 + width + 60, y, width, 660);
    }
    for (int i = 0; i < 18; ++i)
        Text1(i).setFontSize(20);
    // The special moments come one per line.
    Text1(11).setMultiLine(true);

    // Under the picture area, where the start-up puts it too.
    HScroll1.Move(120, 5610, 8760, 255);
    HScroll1.setMax(32767);

    // The colour mixer, hidden from the start.
    for (int i = 0; i < 3; ++i) {
        VScroll1(i).Move(9000 + i * 480, 8400, 375, 1500);
        VScroll1(i).setMax(255);
        VScroll1(i).setSmallChange(1);
        VScroll1(i).setLargeChange(100);
        VScroll1(i).setValue(100);
        VScroll1(i).setVisible(false);
        Text2(i).Move(10500, 8400 + i * 500, 900, 375);
        Text2(i).setText(QStringLiteral("0"));
        Text2(i).setEnabled(false);
        Text2(i).setVisible(false);
    }
    Picture3.Move(11520, 8400, 1500, 1500);
    Picture3.setVisible(false);

    Timer1.setInterval(1000);
    Timer1.setEnabled(false);
    Timer3.setInterval(618);
    Timer3.setEnabled(false);

    WindowsMediaPlayer1.Move(120, 120, 8760, 5460);
}

void Form1::Form_Load() {
    app::Module1& m = app::module1();

    Command15.setVisible(false);
    Command2.setVisible(false);
    Command5.setVisible(false);
    Command3(0).setVisible(false);
    Command3(1).setVisible(false);
    Command7.setVisible(false);

    HScroll1.setVisible(false);
    Timer3.setEnabled(false);

    m.quitConfirmed = false;
    app::leaveSimulation(m.drawingMode);

    rotate(vbrt::appFile(QStringLiteral("\\tree.txt")),
           vbrt::appFile(QStringLiteral("\\treebackup.txt")));
    rotate(vbrt::appFile(QStringLiteral("\\treego.txt")),
           vbrt::appFile(QStringLiteral("\\treegobackup.txt")));

    // A missing or unreadable picture leaves the picture empty.
    Image1.setPicture(startUpPicture(QStringLiteral("\\22.bmp")));
    // The run log says what start-up left alone. Its own failure has nobody to tell: no
    // window is up yet.
    const QString now = vbrt::dateTimeText(ui::Clock::instance().now());
    for (const QString& note : std::exchange(startUpNotes_, {}))
        vbrt::appendToFile(vbrt::appFile(QStringLiteral("\\tree.txt")),
                           (now + vbrt::kCrLf + note + vbrt::kCrLf).toUtf8());

    m.calcPenColor = 16711680;

    for (ui::CommandButton* b : {&Command1, &Command8, &Command9, &Command10, &Command11,
                                 &Command12, &Command13, &Command14, &Command6(1)})
        b->setBackColor(kLauncherColour);
    for (ui::CommandButton* b :
         {&Command2, &Command3(0), &Command3(1), &Command5, &Command7, &Command15})
        b->setBackColor(kToolColour);
    Command6(0).setBackColor(RGB(146, 197, 198));
    setBackColor(kToolColour);

    for (int i = 0; i <= 17; ++i)
        Label1(i).setBackColor(kToolColour);
    for (int i = 0; i <= 17; ++i) {
        Text1(i).setBackColor(kPanelColour);
        Text1(i).setFontSize(20);
    }

    Label1(13).setVisible(true);
    Label1(14).setVisible(false);

    WindowsMediaPlayer1.setVisible(false);
    WindowsMediaPlayer1.setWidth(Picture1.Width());
    WindowsMediaPlayer1.setHeight(Picture1.Height());
    WindowsMediaPlayer1.setLeft(Picture1.Left());
    WindowsMediaPlayer1.setTop(Picture1.Top());

    HScroll1.setLeft(WindowsMediaPlayer1.Left());
    HScroll1.setTop(WindowsMediaPlayer1.Top() + WindowsMediaPlayer1.Height() + 30);
    HScroll1.setWidth(WindowsMediaPlayer1.Width());
}

void Form1::rotate(const QString& source, const QString& backup) {
    // The source is emptied only once its text is safely in the backup, and its text goes
    // there only when the source can be emptied afterwards: a source that cannot be written
    // is left alone rather than appended again at every start.
    const auto leftAlone = [&](const QString& why) {
        startUpNotes_ << source + QStringLiteral(" 没有移入 ") + backup + QStringLiteral("：") +
                             why;
    };
    const vbrt::ReadResult kept = vbrt::readFile(source, app::kMaxRecordFileBytes);
    if (!kept && kept.kind != vbrt::ReadError::Missing)
        return leftAlone(kept.error);
    vbrt::ReplaceFile emptied(source);
    if (const vbrt::WriteResult opened = emptied.open(); !opened)
        return leftAlone(opened.error);
    QByteArray text = kept.bytes;
    if (!text.isEmpty())
        text.append("\r\n");
    if (const vbrt::WriteResult appended = vbrt::appendToFile(backup, text); !appended)
        return leftAlone(appended.error);
    if (const vbrt::WriteResult committed = emptied.commit(); !committed)
        leftAlone(committed.error);
}

QImage Form1::startUpPicture(const QString& file) {
    ui::PictureError error = ui::PictureError::None;
    QImage picture = ui::LoadPicture(vbrt::appFile(file), &error);
    if (error == ui::PictureError::NotAPlainFile || error == ui::PictureError::TooLarge)
        startUpNotes_ << vbrt::appFile(file) + QStringLiteral(" 没有载入：") +
                             (error == ui::PictureError::TooLarge ? QStringLiteral("图片太大")
                                                                  : vbrt::notAPlainFile());
    return picture;
}

Form1::QuitAnswer Form1::quitQuestion() {
    app::Module1& m = app::module1();
    if (exitWithoutAsking) {
        // Ends at once: no window's unload handler runs.
        app::End();
        return QuitAnswer::EndNow;
    }
    if (m.quitConfirmed)
        return QuitAnswer::Confirmed;
    // Asked once: a second close (or the re-entry of a close handler while the windows go
    // down) asks nothing.
    m.quitConfirmed = true;
    return ui::MsgBox(QStringLiteral("是否退出Tessal Arvendel？"), ui::vbYesNo,
                      QStringLiteral("Tessal Arvendel")) == ui::vbNo
               ? QuitAnswer::Stay
               : QuitAnswer::Yes;
}

void Form1::Form_QueryUnload(int& cancel, int) {
    switch (quitQuestion()) {
    case QuitAnswer::EndNow:
    case QuitAnswer::Stay:
        cancel = 1;
        return;
    case QuitAnswer::Yes:
        unload();
        shell::form2().unload();
        shell::form3().unload();
        shell::form4().unload();
        return;
    case QuitAnswer::Confirmed:
        return;
    }
}

void Form1::Form_Unload(int&) {
    shell::form2().unload();
    shell::form3().unload();
    shell::form4().unload();
    unload();
    app::End();
}

void Form1::Form_Click() {
    Picture1.setBackColor(kToolColour);
    Picture1.setAutoRedraw(false);
}

} // namespace shell
