#include "app/module1.h"
#include "app_fixture.h"
#include "monitoring/monitoring.h"
#include "platform/synthetic_capture_driver.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "ui/picture_file.h"
#include "ui/screen.h"

#include <functional>

using namespace testing_support;
using shell::Form2;

namespace {

// The six modes in the order of the tables below.
enum Mode { MathDraw, Monitoring, Freehand, Overlay, DropSim, AntiMissile, kModes };

struct Launcher {
    const char* name;
    void (shell::Form1::*click)();
    QString caption;
    const char* picture; // the mode's background picture, or none
};

const Launcher kLaunchers[kModes] = {
    {"数学画画", &shell::Form1::Command10_Click, QStringLiteral("数学画画"), nullptr},
    {"智能监控", &shell::Form1::Command11_Click, QStringLiteral("人工智能远程监控模块"),
     "hai2.jpg"},
    {"Dorvel画画", &shell::Form1::Command12_Click, QStringLiteral("人工智能远程监控模块"),
     "hai11.jpg"},
    {"图像叠加", &shell::Form1::Command13_Click, QStringLiteral("人工智能远程监控模块"),
     "hai03.jpg"},
    {"Tessal模拟", &shell::Form1::Command8_Click, QStringLiteral("Tessal模拟"), nullptr},
    {"反导模拟", &shell::Form1::Command9_Click, QStringLiteral("反导模拟"), "hai1.jpg"},
};

// What the user sees once the window is open: the launcher's settings over the window's
// design and load, then the first layout, which in the math drawing mode hides Command8 and
// shows Command1(9). One letter per mode in the order above: S shown, H hidden.
struct Shown {
    const char* control;
    std::function<ui::Control&(Form2&)> get;
    const char* modes;
};

std::function<ui::Control&(Form2&)> c1(int i) {
    return [i](Form2& f) -> ui::Control& { return f.Command1(i); };
}

const std::vector<Shown>& visibilityTable() {
    static const std::vector<Shown> table = {
        {"Command1(0)", c1(0), "HHHHSH"},
        {"Command1(1)", c1(1), "SHSHSH"},
        {"Command1(2)", c1(2), "SHSHSH"},
        {"Command1(3)", c1(3), "SSSSSH"},
        {"Command1(4)", c1(4), "HHHHSH"},
        {"Command1(5)", c1(5), "HHHHSH"},
        {"Command1(6)", c1(6), "SSSSSH"},
        {"Command1(7)", c1(7), "SSSSSH"},
        {"Command1(8)", c1(8), "HHHHSH"},
        {"Command1(9)", c1(9), "SSSSSH"},
        {"Command1(10)", c1(10), "HHHHHH"},
        {"Command1(11)", c1(11), "HHSHSH"},
        {"Command1(12)", c1(12), "HHHHSH"},
        {"Command1(13)", c1(13), "HHHHHH"},
        {"Command1(14)", c1(14), "HHSHHH"},
        {"Command1(15)", c1(15), "HHSHHH"},
        {"Command1(16)", c1(16), "HHSHHH"},
        {"Command1(17)", c1(17), "HHSHHH"},
        {"Command1(18)", c1(18), "HHHHHH"},
        {"Command1(19)", c1(19), "HHSHHH"},
        {"Command1(20)", c1(20), "HHSSHH"},
        {"Command1(21)", c1(21), "HHSHHH"},
        {"Command2", [](Form2& f) -> ui::Control& { return f.Command2; }, "SHHHHH"},
        {"Command3", [](Form2& f) -> ui::Control& { return f.Command3; }, "SHHHHH"},
        {"Command4", [](Form2& f) -> ui::Control& { return f.Command4; }, "SHHHHH"},
        {"Command5", [](Form2& f) -> ui::Control& { return f.Command5; }, "SHHHHH"},
        {"Command6", [](Form2& f) -> ui::Control& { return f.Command6; }, "SHHHHH"},
        {"Command7", [](Form2& f) -> ui::Control& { return f.Command7; }, "SHHHHH"},
        {"Command8", [](Form2& f) -> ui::Control& { return f.Command8; }, "HHHHHH"},
        {"Command9", [](Form2& f) -> ui::Control& { return f.Command9; }, "HHHHHH"},
        {"Command10", [](Form2& f) -> ui::Control& { return f.Command10; }, "SHHHHH"},
        {"Command11", [](Form2& f) -> ui::Control& { return f.Command11; }, "HSHHHH"},
        {"Command12(0)", [](Form2& f) -> ui::Control& { return f.Command12(0); }, "HHHSHH"},
        {"Command12(1)", [](Form2& f) -> ui::Control& { return f.Command12(1); }, "HHHSHH"},
        {"Command12(2)", [](Form2& f) -> ui::Control& { return f.Command12(2); }, "HHHSHH"},
        {"Command13", [](Form2& f) -> ui::Control& { return f.Command13; }, "HSHHHH"},
        {"Command14", [](Form2& f) -> ui::Control& { return f.Command14; }, "HSHHHH"},
        {"Command15", [](Form2& f) -> ui::Control& { return f.Command15; }, "HSHHHH"},
        {"Text1(0)", [](Form2& f) -> ui::Control& { return f.Text1(0); }, "HHHHSH"},
        {"Text1(1)", [](Form2& f) -> ui::Control& { return f.Text1(1); }, "HHHHSH"},
        {"Text1(2)", [](Form2& f) -> ui::Control& { return f.Text1(2); }, "HSSSSH"},
        {"Text1(3)", [](Form2& f) -> ui::Control& { return f.Text1(3); }, "HSSSSH"},
        {"Text2", [](Form2& f) -> ui::Control& { return f.Text2; }, "HSSSHH"},
        {"Text3", [](Form2& f) -> ui::Control& { return f.Text3; }, "HSSSHH"},
        {"Label1", [](Form2& f) -> ui::Control& { return f.Label1; }, "HSHSHH"},
        {"Image1", [](Form2& f) -> ui::Control& { return f.Image1; }, "HHHHHH"},
        {"WindowsMediaPlayer1", [](Form2& f) -> ui::Control& { return f.WindowsMediaPlayer1; },
         "HHHHHH"},
    };
    return table;
}

// The mode and the flags after each launcher, from two starting points: the anti-missile mode
// (a simulation) with every flag True, and no mode with every flag False (the anti-missile
// simulation not running in either). T / F; the first layout ends the math drawing start-up,
// so its flag is False once the window is shown in any image mode. Every mode but 反导模拟
// starts outside the anti-missile mode, whatever the last window left.
struct Flag {
    const char* name;
    std::function<bool(const app::Module1&)> get;
    const char* fromTrue;
    const char* fromFalse;
};

std::function<bool(const app::Module1&)> flag(bool app::Module1::*member) {
    return [member](const app::Module1& m) { return m.*member; };
}

const Flag kFlags[] = {
    {"simulation", [](const app::Module1& m) { return app::isSimulation(m.drawingMode); }, "FFFFTT",
     "FFFFTT"},
    {"mathDrawLayoutPending", flag(&app::Module1::mathDrawLayoutPending), "FFFFFF", "FFFFFF"},
    {"imageWorkMode", flag(&app::Module1::imageWorkMode), "TTTTTT", "FTTTFF"},
    {"imageSampled", flag(&app::Module1::imageSampled), "TFTFFT", "FFFFFF"},
    {"freehandMode", flag(&app::Module1::freehandMode), "FFFFFF", "FFFFFF"},
    {"anti-missile",
     [](const app::Module1& m) { return m.drawingMode == app::DrawingMode::AntiMissile; }, "FFFFFT",
     "FFFFFT"},
    {"antiMissileRunning", flag(&app::Module1::antiMissileRunning), "FFFFFT", "FFFFFT"},
};

class Launchers : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        camera = platform::installSyntheticCaptureDriver();
        for (const char* name : {"hai1.jpg", "hai2.jpg", "hai11.jpg", "hai03.jpg"})
            installAsset(QString::fromLatin1(name));
    }
    void TearDown() override {
        AppTest::TearDown();
        platform::resetCaptureDriverFactory();
    }
    void launch(Mode mode) { (f1().*kLaunchers[mode].click)(); }
    shell::Form1& f1() { return shell::form1(); }
    Form2& f2() { return shell::form2(); }
    app::Module1& m() { return app::module1(); }
    void fillPanel() {
        for (int i = 0; i <= 17; ++i)
            f1().Text1(i).setText(QStringLiteral("p%1").arg(i));
    }
    void setAllFlags(bool on) {
        m().drawingMode = on ? app::DrawingMode::AntiMissile : app::DrawingMode::Plain;
        m().mathDrawLayoutPending = m().imageWorkMode = m().imageSampled = m().freehandMode = on;
        m().antiMissileRunning = false;
    }

    std::shared_ptr<platform::SyntheticCamera> camera;
};

} // namespace

TEST_F(Launchers, EachModeShowsItsControlsFlagsCaptionAndPicture) {
    for (int start = 0; start < 2; ++start) {
        for (int mode = 0; mode < kModes; ++mode) {
            SCOPED_TRACE(std::string(kLaunchers[mode].name) +
                         (start ? " from False" : " from True"));
            f2().unload();
            setAllFlags(start == 0);
            fillPanel();
            launch(Mode(mode));

            ASSERT_TRUE(f2().isLoaded());
            EXPECT_TRUE(f2().Visible());
            for (const Shown& row : visibilityTable())
                EXPECT_EQ(row.get(f2()).Visible(), row.modes[mode] == 'S') << row.control;
            for (const Flag& fl : kFlags) {
                const char* expected = start == 0 ? fl.fromTrue : fl.fromFalse;
                EXPECT_EQ(fl.get(m()), expected[mode] == 'T') << fl.name;
            }
            EXPECT_EQ(f2().Caption(), kLaunchers[mode].caption);
            EXPECT_EQ(f2().WindowState(), ui::Normal);
            EXPECT_EQ(f2().drawEllipse, mode != AntiMissile);
            EXPECT_EQ(f2().Command10.BackColor(),
                      mode == MathDraw ? 55488 : vbrt::RGB(232, 227, 174));
            EXPECT_EQ(f2().Command13.BackColor(),
                      mode == Monitoring ? 65535 : vbrt::RGB(232, 227, 174));

            // The mode's picture is in the holder and painted over the drawing area; the image
            // modes' preparation, which runs after the window appeared, leaves the drawing
            // without a persistent image.
            const char* picture = kLaunchers[mode].picture;
            if (mode == Monitoring || mode == Freehand || mode == Overlay) {
                EXPECT_FALSE(f2().Picture1.AutoRedraw());
            }
            if (picture) {
                EXPECT_EQ(f2().Image1.Picture(),
                          ui::LoadPicture(path(QString::fromLatin1(picture))));
                EXPECT_NE(f2().Picture1.Image().pixel(20, 20), qRgb(0, 0, 0));
            } else {
                EXPECT_TRUE(f2().Image1.Picture().isNull());
            }
        }
    }
}

TEST_F(Launchers, PanelDefaultsOfTheMathAndAntiMissileModes) {
    const std::pair<Mode, std::map<int, QString>> cases[] = {
        {MathDraw, {{0, "1"}, {13, "1"}, {1, "1"}, {2, "1"}, {3, "1"}, {4, "1"}, {10, "1"}}},
        {AntiMissile,
         {{0, "50"}, {13, "7"}, {1, "700"}, {2, "1"}, {3, "1"}, {4, "-700"}, {10, "10"}}},
        {Monitoring, {}},
        {Freehand, {}},
        {Overlay, {}},
        {DropSim, {}},
    };
    for (const auto& [mode, written] : cases) {
        SCOPED_TRACE(kLaunchers[mode].name);
        m().antiMissileRunning = false;
        fillPanel();
        launch(mode);
        for (int i = 0; i <= 17; ++i) {
            const QString expected =
                written.count(i) ? written.at(i) : QStringLiteral("p%1").arg(i);
            EXPECT_EQ(f1().Text1(i).Text(), expected) << "Text1(" << i << ")";
        }
    }
}

TEST_F(Launchers, EveryLauncherOpensAFreshWindowWithAnEmptyLogAndTheCameraOnAgain) {
    launch(Monitoring);
    EXPECT_EQ(camera->opens(), 1);
    f2().monitoring.Command13_Click(); // monitoring runs
    f2().monitoring.monitorTick = 20;
    f2().Timer(18).setEnabled(true);
    f2().Timer(19).setEnabled(true);
    f2().penColor = 255;
    const uint64_t before = f2().loadGeneration();

    launch(Monitoring);
    EXPECT_NE(f2().loadGeneration(), before);
    EXPECT_EQ(camera->closes(), 1);
    EXPECT_EQ(camera->opens(), 2);
    EXPECT_TRUE(camera->isOpen());
    EXPECT_FALSE(f2().Timer(18).Enabled());
    EXPECT_FALSE(f2().Timer(19).Enabled());
    EXPECT_FALSE(f2().monitoring.monitorStopped);
    EXPECT_EQ(f2().monitoring.monitorTick, 1);
    EXPECT_EQ(f2().monitoring.alarmStepCount, 0);
    EXPECT_EQ(f2().penColor, 33000);
    // The closing entry went into the log that the new opening started again.
    EXPECT_EQ(read(QStringLiteral("CAMaRA/0.txt")), QByteArray());
}

TEST_F(Launchers, AntiMissilePressedTwiceKeepsTheWindowAndTheTypedInputs) {
    launch(AntiMissile);
    const uint64_t opening = f2().loadGeneration();
    f1().Text1(0).setText(QStringLiteral("12"));
    f1().Text1(10).setText(QStringLiteral("3"));
    m().freehandMode = true;
    write(QStringLiteral("CAMaRA/0.txt"), "kept\r\n");
    f2().setCaption(QStringLiteral("x"));
    f2().Command1(3).setVisible(true);

    launch(AntiMissile);
    EXPECT_EQ(f2().loadGeneration(), opening);
    EXPECT_EQ(f1().Text1(0).Text(), QStringLiteral("12"));
    EXPECT_EQ(f1().Text1(10).Text(), QStringLiteral("3"));
    EXPECT_TRUE(m().freehandMode);
    EXPECT_EQ(read(QStringLiteral("CAMaRA/0.txt")), QByteArray("kept\r\n"));
    EXPECT_EQ(f2().Caption(), QStringLiteral("反导模拟"));
    EXPECT_FALSE(f2().Command1(3).Visible());
    EXPECT_EQ(m().drawingMode, app::DrawingMode::AntiMissile);
    EXPECT_TRUE(m().antiMissileRunning);
    EXPECT_EQ(camera->opens(), 1);
}

TEST_F(Launchers, AnyOtherLauncherClearsTheAntiMissileFlagsBeforeClosingTheWindow) {
    for (Mode next : {MathDraw, Monitoring, Freehand, Overlay, DropSim}) {
        SCOPED_TRACE(kLaunchers[next].name);
        launch(AntiMissile);
        ASSERT_TRUE(m().antiMissileRunning);
        // Had the window closed with the simulation still marked running, its unload would
        // have cleared imageWorkMode too.
        m().imageWorkMode = true;
        const uint64_t opening = f2().loadGeneration();
        launch(next);
        EXPECT_NE(f2().loadGeneration(), opening);
        EXPECT_FALSE(m().antiMissileRunning);
        EXPECT_NE(m().drawingMode, app::DrawingMode::AntiMissile);
        EXPECT_TRUE(m().imageWorkMode);
    }
}

TEST_F(Launchers, TheAntiMissileWindowFillsTheScreen) {
    launch(AntiMissile);
    EXPECT_EQ(f2().Width(), ui::Screen::Width());
    EXPECT_EQ(f2().Height(), ui::Screen::Height());
    EXPECT_EQ(f2().Left(), 0);
    EXPECT_EQ(f2().Top(), 0);
    EXPECT_EQ(f2().BorderStyle(), 1);
    EXPECT_EQ(f2().Picture1.Left(), 0);
    EXPECT_EQ(f2().Picture1.Top(), 0);
    EXPECT_EQ(f2().Picture1.Width(), ui::Screen::Width());
    EXPECT_EQ(f2().Picture1.BorderStyle(), 0);
}

TEST_F(Launchers, PictureClickShowsTheWindowInTheModeTheFlagsHold) {
    m().drawingMode = app::DrawingMode::DropSimulation;
    m().imageWorkMode = true;
    f1().Image1_Click();
    ASSERT_TRUE(f2().Visible());
    EXPECT_EQ(m().drawingMode, app::DrawingMode::DropSimulation);
    EXPECT_TRUE(m().imageWorkMode);
    // Design and load only: the template button is reachable this way.
    EXPECT_TRUE(f2().Command9.Visible());
    EXPECT_FALSE(f2().Command11.Visible());
    EXPECT_EQ(f2().Caption(), QStringLiteral("人工智能远程监控模块"));

    // Clicked again while open: nothing reloads.
    const uint64_t opening = f2().loadGeneration();
    f2().Command9.setVisible(false);
    f1().Image1_Click();
    EXPECT_EQ(f2().loadGeneration(), opening);
    EXPECT_FALSE(f2().Command9.Visible());
}

TEST_F(Launchers, ALauncherPressedWhileTheWindowIsClosedByItsCloseBoxLeavesNoTrace) {
    launch(Monitoring);
    fillPanel();
    f2().monitoring.Command13_Click();
    bool pressed = false;
    f2().Timer(23).onTimer = [&] {
        if (!pressed) {
            pressed = true;
            launch(MathDraw);
        }
    };
    f2().Timer(23).setEnabled(true);
    EXPECT_TRUE(f2().requestClose());
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(f2().isLoaded());
    // Neither the math drawing flag (which would turn the next opening into the end of a
    // math drawing start-up) nor the panel defaults.
    EXPECT_FALSE(m().mathDrawLayoutPending);
    EXPECT_EQ(f1().Text1(0).Text(), QStringLiteral("p0"));
    EXPECT_EQ(camera->closes(), 1);
}

TEST_F(Launchers, ALauncherPressedWhileTheWindowClosesLeavesItToTheFirstOne) {
    launch(Monitoring);
    f2().monitoring.Command13_Click();
    // The monitoring's camera timer still runs during the closing wait; the user presses
    // another launcher in the meantime.
    bool pressed = false;
    f2().Timer(23).onTimer = [&] {
        if (!pressed) {
            pressed = true;
            launch(MathDraw);
        }
    };
    f2().Timer(23).setEnabled(true);
    launch(Overlay);
    EXPECT_TRUE(pressed);
    ASSERT_TRUE(f2().isLoaded());
    EXPECT_TRUE(f2().Command12(2).Visible());
    EXPECT_EQ(f2().Image1.Picture(), ui::LoadPicture(path(QStringLiteral("hai03.jpg"))));
    EXPECT_EQ(camera->opens(), 2);
    EXPECT_EQ(camera->closes(), 1);
}
