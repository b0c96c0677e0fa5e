#include "windows/form2_controls.h"

#include "app/module1.h"

namespace windows {

Form2Controls::Form2Controls() : ui::Form(QStringLiteral("Form2")) {}

namespace {
struct Place {
    const char* caption;
    int left, top, width, height;
};

// Command1(0..21): the drawing window's command row along the top and its side column.
const Place kCommand1[22] = {
    {"推导计算", 360, 120, 975, 735},   {"清空图像", 2520, 120, 975, 735},
    {"图像预存", 3600, 120, 972, 732},  {"图像保存", 4680, 120, 972, 732},
    {"单色", 5760, 120, 975, 735},      {"随机彩色", 5760, 120, 975, 735},
    {"底色", 9000, 480, 855, 375},      {"画色", 9000, 120, 855, 375},
    {"不画椭圆", 7920, 120, 975, 735},  {"导入图像", 1440, 120, 975, 732},
    {"变换角度", 10080, 120, 975, 735}, {"坐标变换", 12360, 120, 975, 735},
    {"画弦", 6840, 120, 855, 375},      {"写字", 6840, 480, 855, 375},
    {"画画", 14880, 2400, 372, 852},    {"自动", 14880, 3600, 372, 852},
    {"导出", 14880, 4800, 372, 852},    {"导入", 14880, 6000, 372, 852},
    {"全屏", 14880, 7440, 372, 852},    {"全画屏", 14880, 7200, 372, 1332},
    {"图像预览", 360, 120, 975, 732},   {"粗", 14880, 1680, 372, 492},
};

// The command row's font, as the window's design names it: SimSun (GB2312), bold, 14.4 points.
const QString kCommand1Font = QStringLiteral("SimSun");
constexpr double kCommand1FontSize = 14.4;

const Place kCommand12[3] = {
    {"图像采集", 14880, 1680, 372, 1212},
    {"图像比较", 14880, 3480, 372, 1212},
    {"图像叠加", 14880, 4920, 372, 1212},
};

// Intervals in milliseconds of Timer1 .. Timer23; every timer is off until code starts it.
const int kTimerInterval[24] = {0,    1800, 2000, 3000, 1000, 1000, 1000, 1000,
                                1000, 200,  1,    1,    1500, 10,   100,  10,
                                1000, 50,   1000, 2000, 1000, 2000, 1000, 300};

void place(ui::CommandButton& b, const Place& p) {
    b.setCaption(QString::fromUtf8(p.caption));
    b.Move(p.left, p.top, p.width, p.height);
}
} // namespace

void Form2Controls::design() {
    // A client area of 15468 x 9060 twips inside the frame.
    designWindow(QStringLiteral("人工智能远程监控模块"), 240, 240, 15468 + kFrameWidth,
                 9060 + kFrameHeight, vbrt::RGB(192, 208, 192));

    Picture1.Move(720, 1080, 13092, 7332);
    // The picture holder lies over the drawing area and is never seen itself.
    Image1.Move(720, 1080, 13092, 7332);
    Image1.setVisible(false);

    for (int i = 0; i <= 21; ++i) {
        place(Command1(i), kCommand1[i]);
        Command1(i).setFontName(kCommand1Font);
        Command1(i).setFontSize(kCommand1FontSize);
        Command1(i).setFontBold(true);
    }
    for (int i = 0; i <= 2; ++i)
        place(Command12(i), kCommand12[i]);
    place(Command2, {"蛋", 240, 3720, 372, 372});
    place(Command3, {"死", 240, 3240, 372, 372});
    place(Command4, {"果壳", 120, 2160, 492, 372});
    place(Command5, {"生", 240, 2760, 372, 372});
    place(Command6, {"塔", 240, 1680, 372, 372});
    place(Command7, {"光", 240, 1200, 372, 372});
    place(Command8, {"雨", 120, 5160, 372, 372});
    place(Command9, {"图像采集", 15000, 960, 372, 1212});
    place(Command10, {"全屏", 120, 4320, 612, 372});
    place(Command11, {"图像采集", 14640, 960, 372, 1212});
    place(Command13, {"智能监控停止", 14640, 4800, 372, 1932});
    place(Command14, {"人工监控", 14640, 2640, 372, 1572});
    place(Command15, {"远程监控室", 14640, 7200, 372, 1572});

    Text1(0).Move(11280, 0, 975, 495);
    Text1(1).Move(11280, 480, 975, 495);
    Text1(2).Move(13560, 0, 975, 495);
    Text1(3).Move(13560, 480, 975, 495);
    Text2.Move(0, 5640, 615, 1812);
    Text3.Move(0, 6960, 612, 1464);
    // The sampling grid and the comparison threshold start at their usual values.
    resetSamplingGrid();

    Label1.setCaption(QStringLiteral("采集分辨率：X×Y"));
    Label1.Move(12240, 120, 1332, 852);
    Label1.setWordWrap(true);
    Label1.setBackColor(vbrt::RGB(192, 208, 192));

    WindowsMediaPlayer1.Move(720, 1080, 3600, 2400);
    WindowsMediaPlayer1.setVisible(false);

    for (int i = 1; i <= 23; ++i) {
        Timer(i).setInterval(kTimerInterval[i]);
        Timer(i).setEnabled(false);
    }
}

std::optional<pixelsets::Steps> Form2Controls::samplingGrid() const {
    return pixelsets::stepsFromBoxes(Text1(2).Text(), Text1(3).Text(), Picture1.Width(),
                                     Picture1.Height());
}

void Form2Controls::resetSamplingGrid(const QString& threshold) {
    Text1(2).setText(QStringLiteral("800"));
    Text1(3).setText(QStringLiteral("600"));
    Text2.setText(threshold);
}

void Form2Controls::pauseThenClsBusy() {
    pauseTickBusy();
    Picture1.Cls();
}

void Form2Controls::plotStepDelay() {
    windows::plotStepDelay(app::module1().fastPlot);
}

void Form2Controls::countThenCls() {
    countLoop(1, 5000);
    Picture1.Cls();
}

void Form2Controls::paintBackground() {
    Image1.setStretch(true);
    // In the area's own scale, whatever it is: a plot or an import leaves a scale of its own,
    // and the picture is still to fill the whole area.
    if (!Image1.Picture().isNull())
        Picture1.PaintPicture(Image1.Picture(), Picture1.ScaleLeft(), Picture1.ScaleTop(),
                              Picture1.ScaleWidth(), Picture1.ScaleHeight());
    Picture1.Refresh();
}

} // namespace windows
