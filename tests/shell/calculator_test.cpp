#include "app/module1.h"
#include "app_fixture.h"
#include "dropcalc/motion.h"
#include "dropcalc/rounding.h"
#include "paint_counter.h"
#include "shell/calculator.h"
#include "shell/form1.h"
#include "shell/forms.h"
#include "text_printers.h"
#include "vbrt/convert.h"
#include "vbrt/random.h"

#include <QAccessible>
#include <QImage>
#include <QTimer>

using namespace testing_support;

namespace {

const QString kNotNumbers = QStringLiteral("请输入数值！");
const QString kTitle = QStringLiteral("Tessal");

class DropCalculator : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        installAsset(QStringLiteral("picture1.jpg"));
        installAsset(QStringLiteral("I1.jpg"));
        installAsset(QStringLiteral("1.jpg"));
        f().show();
        vbrt::seedRnd(7);
    }
    shell::Form1& f() { return shell::form1(); }
    // Radius, density, Vx0, Vy0, VFx, VFy and the time, as typed into the panel.
    void type(const char* radius, const char* density, const char* vx0, const char* vy0,
              const char* windX, const char* windY, const char* time) {
        const std::pair<int, const char*> boxes[] = {
            {0, radius}, {13, density}, {1, vx0}, {4, vy0}, {2, windX}, {3, windY}, {10, time}};
        for (const auto& [box, text] : boxes)
            f().Text1(box).setText(QString::fromUtf8(text));
    }
    QString box(int i) { return f().Text1(i).Text(); }
    // Pixels of exactly this colour on the picture's persistent image.
    int pixelsOf(vbrt::Colour c) {
        const QImage img = f().Picture1.Image();
        const QRgb wanted = qRgb(vbrt::redOf(c), vbrt::greenOf(c), vbrt::blueOf(c));
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += (img.pixel(x, y) & 0xFFFFFF) == (wanted & 0xFFFFFF);
        return n;
    }
};

} // namespace

TEST_F(DropCalculator, RefusesTextsThatAreNoNumbersAndSizesOrTimesOfNothing) {
    struct Case {
        int box;
        const char* text;
    };
    const Case
        cases[] =
            {
                {0, ""},   {1, "abc"}, {2, "1,5"},     {3, "-"}, {4, "x1"},
                {13, ""},  {10, "0"},  {10, "-1"},     {0, "0"}, {0, "-2"},
                {13, "0"}, {13, "-1"}, {10, "1E-321"}, // a time whose ten-thousandth is 0: the path
                                                       // would never end
            };
    for (const Case& c : cases) {
        type("1", "1", "8", "-12", "-2", "1", "3");
        f().Text1(5).setText(QStringLiteral("old"));
        f().Text1(c.box).setText(QString::fromUtf8(c.text));
        dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
        f().calculator.Command1_Click();
        EXPECT_EQ(box(5), QStringLiteral("old")) << c.box << " " << c.text;
        EXPECT_EQ(box(11), QString()) << c.box << " " << c.text;
        EXPECT_FALSE(f().Label1(14).Visible());
        EXPECT_EQ(f().Label1(14).Caption(), QStringLiteral("阻力为："));
    }
    EXPECT_TRUE(app::isSimulation(app::module1().drawingMode));

    // The orbit and the re-plot refuse the same way and draw nothing.
    dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
    f().calculator.Command2_Click();
    EXPECT_FALSE(f().exitWithoutAsking);
    dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
    f().calculator.Picture1_Click();
    EXPECT_EQ(box(11), QString());
}

TEST_F(DropCalculator, ComputesWithTheNumbersTheBoxesShowWhoeverPutThemThere) {
    // The program empties the time; a screen reader then fills it and changes the radius, as
    // it would in the boxes' widgets.
    type("1", "1", "8", "-12", "-2", "1", "");
    const auto fillIn = [&](int box, const char* text) {
        QAccessibleInterface* access =
            QAccessible::queryAccessibleInterface(f().Text1(box).widget());
        ASSERT_NE(access, nullptr);
        access->setText(QAccessible::Value, QString::fromUtf8(text));
    };
    fillIn(10, "20");
    fillIn(0, "2");
    f().calculator.Command1_Click();

    const dropcalc::DropState s = dropcalc::stateAt({2, 8, -2, 1, -12, 1}, 20);
    EXPECT_EQ(box(5), dropcalc::wcText(s.hx));
    EXPECT_EQ(box(6), dropcalc::wcText(s.hy));

    // The values 反导模拟 fills in give results wider than their boxes: each shows from its
    // start, its sign first.
    type("50", "7", "700", "-700", "1", "1", "10");
    f().calculator.Command1_Click();
    for (int i : {5, 6, 7, 8, 9, 11, 12})
        EXPECT_EQ(f().Text1(i).SelStart(), 0) << i << " " << qPrintable(box(i));
}

TEST_F(DropCalculator, ShowsTheStateAtTheTimeAndTheSpecialMomentsAndDrawsAsItGoes) {
    // Thrown up and forward against the wind: it falls back through the launch height, and
    // once the wind has turned it round, back through the launch vertical.
    type("1", "1", "8", "-12", "-2", "1", "20");
    PaintCounter counter;
    f().Picture1.widget()->installEventFilter(&counter);
    f().calculator.Command1_Click();

    const dropcalc::DropInputs in{1, 8, -2, 1, -12, 1};
    const dropcalc::DropState s = dropcalc::stateAt(in, 20);
    EXPECT_EQ(box(5), dropcalc::wcText(s.hx));
    EXPECT_EQ(box(6), dropcalc::wcText(s.hy));
    EXPECT_EQ(box(7), dropcalc::wcText(s.vx));
    EXPECT_EQ(box(8), dropcalc::wcText(s.vy));
    EXPECT_EQ(box(9), dropcalc::wcText(std::hypot(s.vx, s.vy)));
    // The path is longer than the straight line to where the drop is at t.
    EXPECT_GT(vbrt::CDbl(box(12)), std::hypot(s.hx, s.hy));

    const QStringList lines = box(11).split(vbrt::kCrLf);
    ASSERT_EQ(lines.size(), 4) << qPrintable(box(11));
    // Where the drop meets each axis again: after 1.8 s ahead of the launch point, after
    // some 16 s below it.
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("当 t=1.8"))) << qPrintable(lines[0]);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("时,  与 x 轴相交，水平距离为：")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(".")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("当t=16."))) << qPrintable(lines[1]);
    EXPECT_TRUE(lines[1].contains(QStringLiteral(" 时，与 y 轴相交，垂直距离为：")));
    EXPECT_EQ(lines[2], QStringLiteral("当t=") + dropcalc::wcText(s.zeroVxTime) +
                            QStringLiteral(" 时，vx=0"));
    EXPECT_EQ(lines[3], QStringLiteral("t=") + dropcalc::wcText(s.equalisedTime) +
                            QStringLiteral("时，vy为vfy。"));

    EXPECT_FALSE(f().Label1(14).Visible());
    EXPECT_GT(pixelsOf(0xFF0000), 500) << "the frame";
    EXPECT_GT(pixelsOf(vbrt::RGB(128, 64, 128)), 300) << "the ellipse";
    // Every pace lets the picture be painted: the user sees it grow.
    EXPECT_GT(counter.paints, 100) << counter.paints;
}

TEST_F(DropCalculator, ADropThatMovesOnlyForwardMeetsNeitherAxisAndLongTimesStayNumbers) {
    type("1", "1", "3", "2", "3", "0", "1000");
    f().calculator.Command1_Click();
    EXPECT_TRUE(vbrt::IsNumeric(box(6))) << qPrintable(box(6));
    EXPECT_EQ(box(7), QStringLiteral("3"));
    const QStringList lines = box(11).split(vbrt::kCrLf);
    EXPECT_EQ(lines,
              (QStringList{QStringLiteral("当t=0 时，vx=0"), QStringLiteral("t=0时，vy为vfy。")}));
}

TEST_F(DropCalculator, ReplotAppendsTheRangeOnEveryClick) {
    // x = t exactly; y grows from 0, so the window is 1.5 times the extents.
    type("1", "1", "1", "0", "1", "0", "2");
    f().Text1(11).setText(QStringLiteral("before"));
    f().calculator.Picture1_Click();
    f().calculator.Picture1_Click();
    const double halfY =
        1.5 * dropcalc::verticalDisplacement(dropcalc::Drop::forModel({1, 1, 1, 0, 0, 1}), 2);
    const QString range = QStringLiteral("坐标范围：(-3,3)--(") + dropcalc::wcText(-halfY) + "," +
                          dropcalc::wcText(halfY) + ")";
    EXPECT_EQ(box(11), QStringLiteral("before") + range + range);
    EXPECT_EQ(f().Label1(14).Caption(), QStringLiteral("坐标："));
    EXPECT_EQ(f().Picture1.BackColor(), vbrt::RGB(192, 208, 192));
    EXPECT_GT(pixelsOf(0xFF), 50) << "the red path";
    EXPECT_GT(pixelsOf(0), 50) << "the last ball and the axes";

    // A double click clears the drawing down to the paper.
    f().calculator.Picture1_DblClick();
    EXPECT_EQ(pixelsOf(0xFF), 0);
}

TEST_F(DropCalculator, OrbitShowsTheRangeAndLetsTheProgramEndWithoutTheQuestion) {
    type("1", "1", "1", "0", "1", "0", "2");
    f().Text1(11).setText(QStringLiteral("before"));
    f().calculator.Command2_Click();
    EXPECT_TRUE(f().exitWithoutAsking);
    EXPECT_TRUE(f().Picture1.Visible());
    EXPECT_FALSE(f().WindowsMediaPlayer1.Visible());
    EXPECT_TRUE(box(11).startsWith(QStringLiteral("坐标范围：(-3,3)--("))) << qPrintable(box(11));
    // The last frame: the earth in blue and the moon in yellow on the night sky.
    EXPECT_GT(pixelsOf(0xFF0000), 20);
    EXPECT_GT(pixelsOf(0xFFFF), 20);
}

TEST_F(DropCalculator, PanelBoxesOfTheDropHighlightOnClickAndEmptyOnDoubleClick) {
    const vbrt::Colour panel = f().Text1(3).BackColor();
    for (int i = 0; i <= 17; ++i)
        f().Text1(i).setText(QStringLiteral("7"));
    f().calculator.Text1_Click(3);
    f().calculator.Text1_Click(5);
    f().calculator.Text1_Click(14);
    f().calculator.Text1_DblClick(0);
    f().calculator.Text1_DblClick(13);
    f().calculator.Text1_DblClick(17);
    for (int i = 0; i <= 17; ++i) {
        const bool highlighted = i == 3 || i == 5;
        EXPECT_EQ(f().Text1(i).BackColor(), highlighted ? vbrt::RGB(239, 239, 158) : panel) << i;
        EXPECT_EQ(box(i), i == 0 || i == 13 ? QString() : QStringLiteral("7")) << i;
    }
}

TEST_F(DropCalculator, AStraightFallIsReplottedAlongTheAxisInAWindowOfItsHeight) {
    // No horizontal motion: the window takes the fall's half height both ways.
    type("1", "1", "0", "0", "0", "0", "2");
    const double fall = f().calculator.f2(2), a = 1.5 * fall, u = a / 50;
    const QString half = dropcalc::wcText(a);
    const QString range =
        QStringLiteral("坐标范围：(-") + half + "," + half + ")--(-" + half + "," + half + ")";
    f().Text1(11).setText(QString());
    f().calculator.Picture1_Click();
    EXPECT_EQ(box(11), range);
    const ui::PictureBox& p = f().Picture1;
    EXPECT_EQ(p.Point(u / 4, fall - u / 4), 0) << "the last ball, at the foot of the fall";
    EXPECT_EQ(p.Point(0.9 * a, 0.5 * a), 0xFF0000) << "the frame's right side";
    EXPECT_EQ(p.Point(-0.9 * a, 0.5 * a), 0xFF0000) << "its left side";
    EXPECT_EQ(p.Point(0.5 * a, -0.9 * a), 0xFF0000) << "its top";
    EXPECT_EQ(p.Point(0.5 * a, 0.5 * a), vbrt::RGB(192, 208, 192)) << "paper inside";

    // The orbit plays in the same window, its discs sized from it: after two and a half turns
    // the moon stands below the earth, which has passed the top of the picture.
    f().calculator.Command2_Click();
    EXPECT_EQ(box(11), range);
    EXPECT_EQ(p.Point(0, -0.675 * a - 10 * u), 0xFFFF) << "the moon";
}
