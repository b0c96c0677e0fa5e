#include "app/module1.h"
#include "app_fixture.h"
#include "drawing/drawing_board.h"
#include "drop_panel.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "text_printers.h"
#include "trajectories/anti_missile.h"
#include "trajectories/drop_plots.h"
#include "ui/clock.h"
#include "vbrt/convert.h"

#include <QTimer>
#include <cmath>

using namespace testing_support;

namespace {

const QString kNotNumbers = QStringLiteral("请输入数值！");
const QString kTitle = QStringLiteral("Tessal");

class Interception : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        installAsset(QStringLiteral("picture1.jpg"));
        installAsset(QStringLiteral("456.jpg"));
        f1().show();
        f1().Command9_Click(); // the anti-missile scene, on the launcher's inputs
        ASSERT_TRUE(f2().isLoaded());
    }
    shell::Form1& f1() { return shell::form1(); }
    shell::Form2& f2() { return shell::form2(); }
    trajectories::AntiMissile& am() { return f2().antiMissile; }
    void target(double x, double y, const char* errorPercent) {
        f1().Text1(15).setText(vbrt::CStr(x));
        f1().Text1(16).setText(vbrt::CStr(y));
        f1().Text1(17).setText(QString::fromLatin1(errorPercent));
    }
    QPointF pointOfTrial(double degrees, double tau) {
        return testing_support::pointOfTrial(f1(), f2(), degrees, tau);
    }
    QString box(int i) { return f1().Text1(i).Text(); }
};

} // namespace

TEST(AngleSweep, QuarterAndStepFollowTheTargetAndTheTolerance) {
    struct Case {
        double x, y, tolerance;
        double hi, lo, step;
        int trials;
    };
    const Case cases[] = {
        {5, -5, 0.005, 360, 270, -0.1, 900}, // the repeated addition ends a trial short
        {-5, -5, 0.005, 270, 180, -0.1, 901}, {-5, 5, 0.005, 180, 90, -0.1, 901},
        {5, 5, 0.005, 90, 0, -0.1, 901},      {5, 5, 0.01, 90, 0, -0.125, 721},
        {5, 5, 0.02, 90, 0, -0.125, 721},     {5, 5, 0.0201, 90, 0, -0.25, 361},
        {5, 5, 0.5, 90, 0, -0.25, 361},       {0, 0, 0.5, 90, 0, -0.25, 361},
        {-5, 0, 0.5, 180, 90, -0.25, 361},    {0, -5, 0.5, 270, 180, -0.25, 361},
    };
    for (const Case& c : cases) {
        const trajectories::AngleSweep s = trajectories::angleSweep(c.x, c.y, c.tolerance);
        EXPECT_EQ(s.hi, c.hi) << c.x << " " << c.y;
        EXPECT_EQ(s.lo, c.lo) << c.x << " " << c.y;
        EXPECT_EQ(s.step, c.step) << c.tolerance;
        int trials = 0;
        trajectories::forEachAngle(s, [&](double) { return ++trials > 0; });
        EXPECT_EQ(trials, c.trials) << c.x << " " << c.y << " " << c.tolerance;
    }
}

TEST_F(Interception, TheSceneIsFramedInTheWindowOfThePanelsPath) {
    ui::PictureBox& canvas = f2().Picture1;
    const double m = f2().plotWindow[1];
    EXPECT_GT(m, 0);
    EXPECT_EQ(app::module1().plotHalfWidth, m);
    EXPECT_EQ(app::module1().plotHalfHeight, m);
    EXPECT_NEAR(canvas.ScaleWidth(), 2 * m, 1e-9 * m);
    const vbrt::Colour pen = f2().penColor;
    EXPECT_EQ(canvas.Point(0.9 * m, 0.3 * m), pen) << "frame";
    EXPECT_EQ(canvas.Point(0, -0.5 * m), pen) << "vertical axis";
    EXPECT_EQ(canvas.Point(-0.5 * m, 0), pen) << "horizontal axis";
    EXPECT_EQ(canvas.Point(0.005 * m, 0.005 * m), canvas.FillColor()) << "disc";
}

TEST_F(Interception, AHitWritesTheLaunchAngleAndTimeAndEndsInTheSplash) {
    // A target on the trial at 88.5 degrees, within a tolerance of 1 %.
    const QPointF t = pointOfTrial(88.5, 2);
    target(t.x(), t.y(), "1");
    const trajectories::AntiMissile::Search s = am().interceptionSearch();
    ASSERT_TRUE(s.hit);
    const double angle = vbrt::CDbl(box(14));
    EXPECT_NEAR(angle, 88.5, 0.6);
    EXPECT_EQ(f2().Text2.Text(), QStringLiteral("θ  = ") + box(14));
    const QPointF hit = pointOfTrial(angle, vbrt::CDbl(box(10)));
    EXPECT_NEAR(hit.x(), t.x(), 0.01 * std::abs(t.x()));
    EXPECT_NEAR(hit.y(), t.y(), 0.01 * std::abs(t.y()));
    EXPECT_EQ(box(1), vbrt::CStr(f2().trialVx));
    EXPECT_EQ(box(4), vbrt::CStr(f2().trialVy));
    EXPECT_EQ(s.unit, f2().plotWindow[1] / 100);

    // The canvas click: the same search, the plot, and the splash that ends in a grey ring
    // at the target, every other drawing wiped.
    app::module1().drawingMode = app::DrawingMode::AntiMissile;
    ui::PictureBox& canvas = f2().Picture1;
    const auto launch = [this] {
        f1().Text1(1).setText(QStringLiteral("700"));
        f1().Text1(4).setText(QStringLiteral("-700"));
        f1().Text1(10).setText(QStringLiteral("10"));
    };
    launch();
    canvas.Scale(f2().plotWindow[0], f2().plotWindow[2], f2().plotWindow[1], f2().plotWindow[3]);
    const QPointF aim = pointOfTrial(88.5, 2);
    target(aim.x(), aim.y(), "1");
    // The hitting trial's unit, as the splash will see it.
    const double unit = am().interceptionSearch().unit;
    launch();
    f2().Picture1_MouseDown(ui::LeftButton, 0, aim.x(), aim.y());
    EXPECT_EQ(box(15), vbrt::CStr(float(aim.x())));
    EXPECT_EQ(f2().Text1(0).Text(), box(15));
    const QImage shown = canvas.screen();
    // A circle's radius is in horizontal units.
    const double pixelsPerUnit = shown.width() / canvas.ScaleWidth();
    const QPointF centre((aim.x() - canvas.ScaleLeft()) * pixelsPerUnit,
                         (aim.y() - canvas.ScaleTop()) * shown.height() / canvas.ScaleHeight());
    int grey = 0, pen = 0;
    double radii = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const vbrt::Colour c = vbrt::fromRgb32(shown.pixel(x, y));
            if (c == 0xCCCCCC) {
                ++grey;
                radii += std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
            }
            pen += c == f2().penColor;
        }
    }
    // The ring of 1.2 units round the target, within a pixel.
    ASSERT_GT(grey, 10);
    EXPECT_NEAR(radii / grey, 1.2 * unit * pixelsPerUnit, 1.0);
    EXPECT_EQ(pen, 0) << "the path and the rings wiped";
    EXPECT_EQ(canvas.DrawWidth(), 2);
    EXPECT_EQ(app::module1().drawingMode, app::DrawingMode::AntiMissile);
}

TEST_F(Interception, AMissWritesNothingAndBadTargetsAreRefused) {
    // Each segment of an erase pass lets the canvas repaint: a small one paints quickly.
    f2().Picture1.Move(0, 0, 1500, 1200);
    target(1e9, 1e9, "50");
    const QStringList before = {box(1), box(4), box(10), box(14), f2().Text2.Text()};
    EXPECT_FALSE(am().interceptionSearch().hit);
    EXPECT_EQ((QStringList{box(1), box(4), box(10), box(14), f2().Text2.Text()}), before);

    for (int i : {15, 16, 17}) {
        target(1, 1, "1");
        f1().Text1(i).setText(QStringLiteral("?"));
        dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
        f2().Command1_Click(10);
        EXPECT_EQ(f2().Picture1.DrawWidth(), 2) << "the closing steps run";
    }
}

TEST_F(Interception, ASearchOrATargetGivenWhileOneRunsChangesNothing) {
    const QPointF t = pointOfTrial(88.5, 2);
    target(t.x(), t.y(), "1");
    bool nestedWhileSearching = false;
    double nestedTook = -1;
    QTimer::singleShot(0, [&] {
        nestedWhileSearching = am().searching();
        const double start = ui::Clock::instance().monotonic();
        f2().Command1_Click(10);
        app::module1().drawingMode = app::DrawingMode::AntiMissile;
        f2().Picture1_MouseDown(ui::LeftButton, 0, 5, 6);
        nestedTook = ui::Clock::instance().monotonic() - start;
    });
    f2().Command1_Click(10);
    EXPECT_TRUE(nestedWhileSearching);
    EXPECT_EQ(nestedTook, 0);
    // The running sweep and its splash belong to the first target; so do the boxes.
    EXPECT_EQ(box(15), vbrt::CStr(t.x()));
    EXPECT_EQ(box(16), vbrt::CStr(t.y()));
    EXPECT_EQ(f2().Text1(0).Text(), QString()) << "the drawing window's boxes too";
}

TEST_F(Interception, AfterEscDuringASweepACanvasClickDoesWhatEachLaunchersModeDoes) {
    for (const char* name : {"hai1.jpg", "hai2.jpg", "hai11.jpg", "hai03.jpg"})
        installAsset(QString::fromLatin1(name));
    // Esc while the first trial's path is wiped: the window goes, and the search ends there,
    // leaving the mode flags and the main window as the closing left them.
    const QPointF aim = pointOfTrial(88.5, 2);
    target(aim.x(), aim.y(), "1");
    f1().Label1(14).setVisible(true);
    bool escapedMidSweep = false;
    QTimer::singleShot(0, [&] {
        escapedMidSweep = am().searching();
        f2().board.Picture1_KeyPress(27);
    });
    f2().Picture1_MouseDown(ui::LeftButton, 0, aim.x(), aim.y());
    ASSERT_TRUE(escapedMidSweep);
    EXPECT_FALSE(f2().isLoaded());
    EXPECT_NE(app::module1().drawingMode, app::DrawingMode::AntiMissile);
    EXPECT_FALSE(app::module1().antiMissileRunning);
    EXPECT_TRUE(f1().Label1(14).Visible()) << "no closing step of the search ran";

    enum Does { ShowsThePoint, Plots, Intercepts };
    struct Case {
        const char* mode;
        void (shell::Form1::*launcher)();
        Does does;
    };
    const Case cases[] = {
        {"数学画画", &shell::Form1::Command10_Click, ShowsThePoint},
        {"智能监控", &shell::Form1::Command11_Click, ShowsThePoint},
        {"Dorvel画画", &shell::Form1::Command12_Click, ShowsThePoint},
        {"图像叠加", &shell::Form1::Command13_Click, ShowsThePoint},
        {"Tessal模拟", &shell::Form1::Command8_Click, Plots},
        {"反导模拟", &shell::Form1::Command9_Click, Intercepts},
    };
    constexpr double kNoTrial = -12345;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        (f1().*c.launcher)();
        ASSERT_TRUE(f2().isLoaded());
        ui::PictureBox& canvas = f2().Picture1;
        const QPointF p = c.does == Intercepts
                              ? pointOfTrial(88.5, 2)
                              : QPointF(canvas.ScaleLeft() + canvas.ScaleWidth() / 2,
                                        canvas.ScaleTop() + canvas.ScaleHeight() / 2);
        f2().trialVx = kNoTrial;
        f2().Text2.setText(QStringLiteral("before"));
        const uint64_t drawn = canvas.drawCount();
        // A click: the press, then the click itself.
        f2().Picture1_MouseDown(ui::LeftButton, 0, p.x(), p.y());
        f2().dropPlots.Picture1_Click();
        EXPECT_EQ(box(15), vbrt::CStr(float(p.x())));
        EXPECT_EQ(box(16), vbrt::CStr(float(p.y())));
        // Wider than their boxes, they show from their start.
        EXPECT_EQ(f1().Text1(15).SelStart() + f1().Text1(16).SelStart(), 0);
        EXPECT_EQ(f2().trialVx != kNoTrial, c.does == Intercepts) << "an interception's trials";
        EXPECT_EQ(f2().Text2.Text().startsWith(QStringLiteral("θ  = ")), c.does == Intercepts);
        EXPECT_EQ(canvas.drawCount() != drawn, c.does != ShowsThePoint);
    }
}
