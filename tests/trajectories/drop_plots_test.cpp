#include "app/module1.h"
#include "app_fixture.h"
#include "drop_panel.h"
#include "shell/calculator.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "text_printers.h"
#include "trajectories/drop_plots.h"
#include "vbrt/convert.h"

using namespace testing_support;

namespace {

const QString kNotNumbers = QStringLiteral("请输入数值！");
const QString kTitle = QStringLiteral("Tessal");

class DrawingWindowDrop : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        installAsset(QStringLiteral("picture1.jpg"));
        f1().show();
        f1().Command8_Click(); // the drop simulation on the drawing window
        ASSERT_TRUE(f2().isLoaded());
    }
    shell::Form1& f1() { return shell::form1(); }
    shell::Form2& f2() { return shell::form2(); }
    trajectories::DropPlots& plots() { return f2().dropPlots; }
    // Radius, density, Vx0, Vy0, VFx, VFy and the time, as typed into the main window's panel.
    void type(double radius, double density, double vx0, double vy0, double windX, double windY,
              double time) {
        typeDrop(f1(), radius, density, vx0, vy0, windX, windY, time);
    }
    QString moments() { return f1().Text1(11).Text(); }
    // The canvas's extent in its scale.
    double scaleWidth() { return f2().Picture1.ScaleWidth(); }
};

} // namespace

TEST_F(DrawingWindowDrop, ItsModelIsTheMainWindowsAndTheTrialLaunchReplacesThePanels) {
    struct Case {
        double vx0, vy0, windX, windY;
    };
    const Case cases[] = {{1, 1, 1, 1},   {0, 0, 0, 5},    {0, -5, 0, 0}, {3, 20, -1, 0},
                          {700, 0, 0, 0}, {-4, -6, 2, -4}, {2, 5, 1, -3}};
    for (const Case& c : cases) {
        type(1, 1, c.vx0, c.vy0, c.windX, c.windY, 1);
        for (double t : {0.0, 0.3, 2.0, 50.0}) {
            EXPECT_EQ(plots().f1(t), f1().calculator.f1(t)) << c.vy0 << " " << t;
            EXPECT_EQ(plots().f2(t), f1().calculator.f2(t)) << c.vy0 << " " << t;
            f2().trialVx = c.vx0;
            f2().trialVy = c.vy0;
            EXPECT_EQ(plots().f3(t), plots().f2(t)) << c.vy0 << " " << t;
            EXPECT_EQ(plots().f4(t), plots().f1(t)) << c.vy0 << " " << t;
        }
    }
    // The trial launch is all f3 and f4 read of the launch: the panel's may be anything.
    type(1, 1, 1, 1, 0, 0, 1);
    f1().Text1(1).setText(QStringLiteral("x"));
    f1().Text1(4).setText(QStringLiteral("x"));
    f2().trialVx = 2;
    f2().trialVy = -3;
    type(1, 1, 2, -3, 0, 0, 1);
    const double x = plots().f4(1), y = plots().f3(1);
    EXPECT_EQ(x, f1().calculator.f1(1));
    EXPECT_EQ(y, f1().calculator.f2(1));
}

TEST_F(DrawingWindowDrop, TheVerticalModelReportsItsSpecialMomentInTheMainPanel) {
    struct Case {
        double vy0, windY, t;
        const char* expected; // nullptr: the box keeps what it held
    };
    const Case cases[] = {
        {-5, 3, 1, "t=0.70483时，vy为vfy。"}, // thrown up into a downward wind, past its rest
        {1, 4, 0.1, "0.298776"},              // down, slower than the wind: its rest, unrounded
        {1, 4, 30, "0.298776"},
        {-2, -1, 1, nullptr},
        {3, -1, 1, nullptr},
    };
    for (const Case& c : cases) {
        type(1, 1, 0, c.vy0, 0, c.windY, 1);
        f1().Text1(11).setText(QStringLiteral("kept"));
        plots().f2(c.t);
        const QString expected =
            c.expected ? QString::fromUtf8(c.expected) : QStringLiteral("kept");
        EXPECT_TRUE(moments().startsWith(expected)) << qPrintable(moments()) << " " << c.vy0;
    }
    // Thrown down faster than the wind: the drag at the launch, k u0^2.
    type(1, 1, 0, 6, 0, 1, 1);
    plots().f2(1);
    EXPECT_NEAR(vbrt::CDbl(moments()), 3.43062e-7 * 25, 1e-11);
}

TEST_F(DrawingWindowDrop, ACanvasClickSizesASquareWindowAndKeepsItsHalfSize) {
    app::Module1& m = app::module1();
    struct Case {
        const char* what;
        double vx0, time;
    };
    // Wider than tall: the horizontal half size; taller: the vertical one.
    for (const Case& c : {Case{"wide", 300, 1}, Case{"tall", 0.5, 3}}) {
        type(1, 1, c.vx0, 0, 0, 0, c.time);
        f2().coordMode = false;
        plots().Picture1_Click();
        const std::array<double, 4>& w = f2().plotWindow;
        const double half =
            c.vx0 == 300 ? 1.5 * f1().calculator.f1(c.time) : 1.5 * f1().calculator.f2(c.time);
        EXPECT_NEAR(w[1], half, 1e-9 * half) << c.what;
        EXPECT_EQ(w[0], -w[1]);
        EXPECT_EQ(w[2], -w[1]);
        EXPECT_EQ(w[3], w[1]);
        EXPECT_EQ(m.plotHalfWidth, w[1]);
        EXPECT_EQ(m.plotHalfHeight, w[1]);
        EXPECT_NEAR(scaleWidth(), 2 * w[1], 1e-9 * half);
        EXPECT_FALSE(f1().Label1(14).Visible());
    }

    // With the coordinates kept, the path goes into the canvas's scale as it is.
    f2().Picture1.Scale(0, 0, 10, 10);
    f2().coordMode = true;
    type(1, 1, 3, 0, 0, 0, 1);
    plots().Picture1_Click();
    EXPECT_EQ(scaleWidth(), 10);
    EXPECT_GT(m.plotHalfWidth, 0);

    // Outside the drop simulation the click only stops the sweep's timer.
    f2().Timer(15).setEnabled(true);
    m.drawingMode = app::DrawingMode::Plain;
    plots().Picture1_Click();
    EXPECT_FALSE(f2().Timer(15).Enabled());

    m.drawingMode = app::DrawingMode::DropSimulation;
    f1().Text1(13).setText(QStringLiteral("0"));
    dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
    plots().Picture1_Click();
}

TEST_F(DrawingWindowDrop, TheSweepRunsAcrossTheWindowInTheDirectionItsHalfWidthGives) {
    app::Module1& m = app::module1();
    // A sweep clears the canvas for each of its 15,251 frames: a small one is quick to clear.
    f2().Picture1.Move(0, 0, 1500, 1200);
    type(1, 1, 2, 0, 0, 0, 0.5);
    // The first click after the window opened sizes the window and keeps its left edge.
    plots().Command8_Click();
    const double s = f2().plotWindow[1];
    EXPECT_TRUE(plots().plotToggle);
    EXPECT_EQ(m.plotHalfWidth, -s);
    EXPECT_EQ(m.plotHalfHeight, s);
    EXPECT_LT(f2().originX, -s) << "right to left";
    EXPECT_EQ(f2().Picture1.DrawWidth(), 5);
    EXPECT_TRUE(f1().Visible());

    f2().originX = 0;
    plots().Picture1_Click();
    plots().Command8_Click();
    EXPECT_GT(f2().originX, s) << "left to right after a canvas click";

    // Every click checks the panel.
    f1().Text1(2).setText(QString());
    dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
    plots().Command8_Click();
}

TEST_F(DrawingWindowDrop, RainDrawsEachDropInTheWindowTheFirstOneSet) {
    f2().coordMode = false;
    f2().drawEllipse = true;
    type(1, 1, 0, 0, 0, 0, 1);
    plots().rain(1, 1, 5, 0, -3, 0, 0);
    const double first = scaleWidth();
    EXPECT_TRUE(f2().coordMode);
    EXPECT_TRUE(f2().drawChord);
    EXPECT_FALSE(f2().drawEllipse);
    EXPECT_NEAR(first, 2 * f2().plotWindow[1], 1e-9 * first);

    plots().rain(3, 2, 1, 1, 0, 4, -2);
    EXPECT_EQ(scaleWidth(), first);
    EXPECT_NE(2 * f2().plotWindow[1], first) << "its own window is worked out all the same";
    const std::pair<int, const char*> panel[] = {{10, "3"}, {0, "2"}, {1, "1"}, {3, "1"}, {4, "0"}};
    for (const auto& [box, text] : panel)
        EXPECT_EQ(f1().Text1(box).Text(), QString::fromLatin1(text)) << box;
    EXPECT_EQ(f2().Text1(2).Text(), QStringLiteral("4"));
    EXPECT_EQ(f2().Text1(3).Text(), QStringLiteral("-2"));
    EXPECT_FALSE(f1().Label1(14).Visible());

    // A wind that is no number: one message per drop, the panel holding the drop's values.
    f1().Text1(2).setText(QStringLiteral("?"));
    dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
    plots().rain(2, 1, 1, 1, 1, 0, 0);
    EXPECT_EQ(f1().Text1(10).Text(), QStringLiteral("2"));
}
