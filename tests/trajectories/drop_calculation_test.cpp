#include "app/module1.h"
#include "app_fixture.h"
#include "drop_panel.h"
#include "dropcalc/rounding.h"
#include "shell/calculator.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "text_printers.h"
#include "trajectories/drop_plots.h"
#include "vbrt/convert.h"
#include "windows/routines.h"

#include <cmath>
#include <functional>

using namespace testing_support;

namespace {

const QString kNotNumbers = QStringLiteral("请输入数值！");
const QString kTitle = QStringLiteral("Tessal");

class DrawingWindowCalculator : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        installAsset(QStringLiteral("picture1.jpg"));
        f1().show();
        f1().Command8_Click();
        ASSERT_TRUE(f2().isLoaded());
    }
    shell::Form1& f1() { return shell::form1(); }
    shell::Form2& f2() { return shell::form2(); }
    void type(double vx0, double vy0, double windX, double windY, double time) {
        typeDrop(f1(), 1, 1, vx0, vy0, windX, windY, time);
    }
    QString box(int i) { return f1().Text1(i).Text(); }
};

dropcalc::DropInputs waterDrop(double vy0, double windY) {
    return {1, 0, 0, windY, vy0, 1};
}

QString restText(double t1) {
    return QStringLiteral("t=") + dropcalc::wcText(t1) + QStringLiteral("时，");
}

} // namespace

TEST(DrawingWindowMoments, EachVerticalCaseNamesItsMoment) {
    struct Case {
        const char* what;
        double vy0, windY, t;
        std::optional<bool> momentCaption, dragCaption;
    };
    const Case cases[] = {
        {"down into an upward wind: nothing", 5, -3, 1, {}, {}},
        {"up into a downward wind: its rest", -5, 3, 1, true, {}},
        {"down, slower than the wind: its rest", 1, 4, 0.1, true, false},
        {"down, faster than the wind: the drag", 6, 1, 1, false, true},
        {"up, faster than an upward wind: rest and stop", -5, -1, 1, true, {}},
        {"up, slower than an upward wind: the stop", -1, -4, 1, true, {}},
    };
    for (const Case& c : cases) {
        const dropcalc::DropInputs in = waterDrop(c.vy0, c.windY);
        const dropcalc::DropState s = dropcalc::stateAt(in, c.t);
        const trajectories::MomentReport r = trajectories::momentReport(in, s, c.t);
        EXPECT_EQ(r.momentCaption, c.momentCaption) << c.what;
        EXPECT_EQ(r.dragCaption, c.dragCaption) << c.what;
        EXPECT_EQ(r.text.has_value(), c.momentCaption.has_value()) << c.what;
    }

    const auto text = [](double vy0, double windY, double t) {
        const dropcalc::DropInputs in = waterDrop(vy0, windY);
        return *trajectories::momentReport(in, dropcalc::stateAt(in, t), t).text;
    };
    const dropcalc::Drop up = dropcalc::Drop::forModel(waterDrop(-5, 3));
    EXPECT_EQ(text(-5, 3, 1), restText(up.t1) + QStringLiteral("vy为vfy。"));
    EXPECT_EQ(text(1, 4, 0.1), vbrt::CStr(dropcalc::Drop::forModel(waterDrop(1, 4)).t1));

    // Rising faster than an upward wind: the rest, then the moment it stops rising, which
    // is known only past the rest.
    const dropcalc::Drop rise = dropcalc::Drop::forModel(waterDrop(-5, -1));
    const QString late = text(-5, -1, 1);
    EXPECT_TRUE(late.startsWith(restText(rise.t1) + QStringLiteral("\n\rvy达到vfy.\r\nt=")));
    EXPECT_TRUE(late.endsWith(QStringLiteral("时，\r\nvy为0.")));
    const double stop = vbrt::CDbl(late.section(QStringLiteral("\r\nt="), 1).section("时", 0, 0));
    EXPECT_GT(stop, rise.t1);
    EXPECT_EQ(text(-5, -1, rise.t1 / 2),
              restText(rise.t1) + QStringLiteral("\n\rvy达到vfy.\r\nt=时，\r\nvy为0."));
    EXPECT_TRUE(text(-1, -4, 1).endsWith(QStringLiteral("时，vy为0.")));
}

TEST_F(DrawingWindowCalculator, WritesTheStateAtTheTimeAndPlotsInTheChosenColours) {
    type(3, -4, 1, 0, 2);
    f2().Command1_Click(4); // 单色
    f2().Command1_Click(0);
    const dropcalc::DropState s = dropcalc::stateAt({1, 3, 1, 0, -4, 1}, 2);
    EXPECT_EQ(box(5), dropcalc::wcText(s.hx));
    EXPECT_EQ(box(6), dropcalc::wcText(s.hy));
    EXPECT_EQ(box(7), dropcalc::wcText(s.vx));
    EXPECT_EQ(box(8), dropcalc::wcText(s.vy));
    EXPECT_EQ(box(9), dropcalc::wcText(std::hypot(s.vx, s.vy)));
    EXPECT_GT(vbrt::CDbl(box(12)), std::hypot(s.hx, s.hy));
    EXPECT_FALSE(f1().Label1(14).Visible());
    const std::array<double, 4>& w = f2().plotWindow;
    EXPECT_EQ(w[0], -w[1]);
    EXPECT_EQ(w[2], -w[3]);
    EXPECT_EQ(w[1], w[3]);

    // Single colour: every chord and segment in the pen colour; the ellipse in its own.
    const QImage shown = f2().Picture1.screen();
    int pen = 0, other = 0;
    const vbrt::Colour back = vbrt::fromRgb32(shown.pixel(0, 0));
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const vbrt::Colour c = vbrt::fromRgb32(shown.pixel(x, y));
            pen += c == f2().penColor;
            other += c != f2().penColor && c != back && c != vbrt::RGB(128, 64, 128);
        }
    }
    EXPECT_GT(pen, 100);
    EXPECT_EQ(other, 0);

    f1().Text1(0).setText(QStringLiteral("0"));
    dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
    f2().Command1_Click(0);
}

TEST_F(DrawingWindowCalculator, PlotOptionsSetTheirMembersAndSwapTheColourButtons) {
    shell::Form2& f = f2();
    f.Command1_Click(4);
    EXPECT_EQ(f.dropPlots.colorMode, trajectories::ColourMode::SingleColour);
    EXPECT_FALSE(f.Command1(4).Visible());
    EXPECT_TRUE(f.Command1(5).Visible());
    f.Command1_Click(5);
    EXPECT_EQ(f.dropPlots.colorMode, trajectories::ColourMode::RandomShares);
    EXPECT_TRUE(f.Command1(4).Visible());
    EXPECT_FALSE(f.Command1(5).Visible());
    f.Command1_Click(8);
    EXPECT_FALSE(f.drawEllipse);
    f.Command1_Click(12);
    EXPECT_TRUE(f.drawChord);

    f1().Text1(15).setText(QStringLiteral("120"));
    f1().Text1(16).setText(QStringLiteral("80"));
    f.Command1_Click(11);
    EXPECT_TRUE(f.coordMode);
    EXPECT_EQ(f.Text1(2).Text(), QStringLiteral("120"));
    EXPECT_EQ(f.Text1(3).Text(), QStringLiteral("80"));
    EXPECT_EQ(f.originX, 120);
    EXPECT_EQ(f.originY, 80);
    EXPECT_EQ(app::module1().replayOffsetX, 120);
    EXPECT_EQ(app::module1().replayOffsetY, 80);
    EXPECT_EQ(f.Text1(2).BackColor(), vbrt::RGB(232, 227, 174));

    // A target box that is no number changes nothing.
    f1().Text1(16).setText(QString());
    dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
    f.Command1_Click(11);
    EXPECT_EQ(f.originY, 80);
    EXPECT_EQ(f.Text1(3).Text(), QStringLiteral("80"));

    // 粗 does nothing while the pen is off.
    f.Command1_Click(21);
}

TEST_F(DrawingWindowCalculator, NumbersThatOverflowAreRefusedWholeInBothWindows) {
    struct Case {
        const char* what;
        double radius, density, vy0, windX, windY, time;
        bool plotted; // only a readout overflows: the plots, which show none, still draw
    };
    const Case cases[] = {
        {"thrown down at 1e155 m/s: the drag at the launch", 1, 1, 1e155, 0, 0, 3, false},
        {"a radius of 1e300 mm", 1e300, 1, 1, 0, 0, 3, false},
        {"a density of 1e-300", 1, 1e-300, 1, 0, 0, 3, false},
        {"an upward wind of 1e300 m/s", 1, 1, 0, 0, -1e300, 3, false},
        {"a time of 1e300 s: the path's length", 1, 1, 0, 0, 0, 1e300, true},
        {"a side wind of 1e300 m/s: the speed", 1, 1, 0, 1e300, 0, 3, true},
    };
    const int readouts[] = {5, 6, 7, 8, 9, 11, 12};
    const QString old = QStringLiteral("old");
    const QStringList untouched(std::size(readouts), old);
    const auto fill = [&] {
        for (int i : readouts)
            f1().Text1(i).setText(old);
    };
    const auto panel = [&] {
        QStringList texts;
        for (int i : readouts)
            texts << box(i);
        return texts;
    };
    const auto refused = [&](const std::function<void()>& click) {
        fill();
        dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
        click();
    };
    const std::array<double, 4> kept{-1, 1, -1, 1};
    for (const Case& c : cases) {
        typeDrop(f1(), c.radius, c.density, 1, c.vy0, c.windX, c.windY, c.time);
        f2().plotWindow = kept;
        // The main window's calculator empties the moments box before its check, as always.
        refused([&] { f1().calculator.Command1_Click(); });
        QStringList emptied = untouched;
        emptied[5] = QString();
        EXPECT_EQ(panel(), emptied) << c.what;
        refused([&] { f2().Command1_Click(0); });
        EXPECT_EQ(panel(), untouched) << c.what;
        EXPECT_EQ(f2().plotWindow, kept) << c.what;

        if (c.plotted) {
            f2().dropPlots.Picture1_Click();
            EXPECT_TRUE(std::isfinite(f2().plotWindow[1])) << c.what;
            EXPECT_NE(f2().plotWindow, kept) << c.what;
            continue;
        }
        refused([&] { f2().dropPlots.Picture1_Click(); });
        EXPECT_EQ(panel(), untouched) << c.what;
        EXPECT_EQ(f2().plotWindow, kept) << c.what;
        refused([&] { f1().calculator.Picture1_Click(); });
        EXPECT_EQ(panel(), untouched) << c.what;
        refused([&] { f1().calculator.Command2_Click(); });
        EXPECT_EQ(panel(), untouched) << c.what;
        EXPECT_FALSE(f1().exitWithoutAsking) << c.what;
    }
}
