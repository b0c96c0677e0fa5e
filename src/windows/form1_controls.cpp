#include "windows/form1_controls.h"

#include "ui/picture_file.h"
#include "vbrt/apppath.h"
#include "vbrt/errors.h"
#include "vbrt/file_reader.h"

#include <QScopedValueRollback>

namespace windows {

namespace {
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

Form1Controls::Form1Controls() : ui::Form(QStringLiteral("Form1")) {
    // The arrays' elements come after every other control, in this order.
    Command3.add(0, 1);
    Command4.add(0, 2);
    Command6.add(0, 1);
    Label1.add(0, 17);
    Text1.add(0, 17);
    VScroll1.add(0, 2);
    Text2.add(0, 2);
}

void Form1Controls::design() {
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

QImage Form1Controls::startUpPicture(const QString& file) {
    ui::PictureError error = ui::PictureError::None;
    QImage picture = ui::LoadPicture(vbrt::appFile(file), &error);
    if (error == ui::PictureError::NotAPlainFile || error == ui::PictureError::TooLarge)
        startUpNotes_ << vbrt::appFile(file) + QStringLiteral(" 没有载入：") +
                             (error == ui::PictureError::TooLarge ? QStringLiteral("图片太大")
                                                                  : vbrt::notAPlainFile());
    return picture;
}

bool Form1Controls::pickColour(int index) {
    // A cancelled dialog changes nothing, whatever cancel setting the file dialogs left on
    // the shared dialog; that setting is theirs and stays as it was.
    const QScopedValueRollback cancelError(CommonDialog1.CancelError, true);
    try {
        CommonDialog1.ShowColor();
    } catch (const vbrt::RuntimeError& e) {
        if (e.number() != vbrt::ErrDialogCancel)
            throw;
        return false;
    }
    Command6(index == 1 ? 1 : 0).setBackColor(CommonDialog1.Color);
    return true;
}

} // namespace windows
