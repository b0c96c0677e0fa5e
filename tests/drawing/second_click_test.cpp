#include "app_fixture.h"
#include "drop_panel.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "ui/clock.h"

#include <QCoreApplication>
#include <QTimer>
#include <functional>

using namespace testing_support;

namespace {

// What one run of a trigger leaves: the drawing it did, the dialogs it showed, the time it took
// and the main window's moments box (the re-plot appends its range there).
struct Footprint {
    uint64_t draws = 0;
    qsizetype dialogs = 0;
    double seconds = 0;
    QString moments;
};

// The runs whose waits let events in, in both windows: each is pressed once alone and once with
// a second press of its trigger arriving while it runs, which must do nothing.
class SecondClick : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        for (const char* name : {"picture1.jpg", "I1.jpg", "1.jpg", "456.jpg", "hai1.jpg",
                                 "hai2.jpg", "hai11.jpg", "hai03.jpg"})
            installAsset(QString::fromLatin1(name));
        f1().show();
    }
    static shell::Form1& f1() { return shell::form1(); }
    static shell::Form2& f2() { return shell::form2(); }
};

struct Trigger {
    const char* name;
    // Opens the trigger's window with its inputs, and scripts the dialogs one run shows.
    std::function<void(ScriptedDialogs&)> open;
    std::function<void()> press;
    ui::PictureBox& (*canvas)();
};

} // namespace

TEST_F(SecondClick, ASecondPressWhileARunWaitsNeverNestsIt) {
    using shell::Form1;
    const auto drop = [](ScriptedDialogs&) { typeDrop(f1(), 1, 1, 8, -12, -2, 1, 3); };
    // The anti-missile scene, aimed at a target the sweep from 90 degrees hits within a few
    // trials.
    const auto antiMissile = [](ScriptedDialogs&) {
        f2().unload();
        f1().Command9_Click();
        const QPointF t = pointOfTrial(f1(), f2(), 88.5, 2);
        f1().Text1(15).setText(vbrt::CStr(float(t.x())));
        f1().Text1(16).setText(vbrt::CStr(float(t.y())));
        f1().Text1(17).setText(QStringLiteral("1"));
    };
    const auto main = []() -> ui::PictureBox& { return f1().Picture1; };
    const auto canvas = []() -> ui::PictureBox& { return f2().Picture1; };
    const Trigger triggers[] = {
        {"推导计算", drop, [] { f1().Command1_Click(); }, main},
        {"the re-plot", drop, [] { f1().Picture1_Click(); }, main},
        {"日月地球", drop, [] { f1().Command2_Click(); }, main},
        {"导入图像, its second's wait",
         [](ScriptedDialogs& d) {
             f2().unload();
             f1().Command12_Click();
             d.expectOpenFile(std::nullopt);
         },
         [] { f2().Command1_Click(9); }, canvas},
        {"变换角度, its erase passes", antiMissile, [] { f2().Command1_Click(10); }, canvas},
        {"a press on the anti-missile canvas", antiMissile,
         [] {
             f2().Picture1_MouseDown(ui::LeftButton, 0, vbrt::CDbl(f1().Text1(15).Text()),
                                     vbrt::CDbl(f1().Text1(16).Text()));
         },
         canvas},
    };

    ui::Clock& clock = ui::Clock::instance();
    for (const Trigger& t : triggers) {
        SCOPED_TRACE(t.name);
        const auto run = [&](bool pressAgain) {
            t.open(dialogs);
            f1().Text1(11).setText(QString());
            bool running = true, secondInside = !pressAgain;
            if (pressAgain) {
                QTimer::singleShot(0, [&] {
                    secondInside = running;
                    t.press();
                });
            }
            const Footprint before{
                t.canvas().drawCount(), dialogs.shown.size(), clock.monotonic(), {}};
            t.press();
            running = false;
            QCoreApplication::processEvents();
            dialogs.verifyAllShown();
            EXPECT_TRUE(secondInside) << "the second press came while the run went on";
            return Footprint{t.canvas().drawCount() - before.draws,
                             dialogs.shown.size() - before.dialogs,
                             clock.monotonic() - before.seconds, f1().Text1(11).Text()};
        };
        const Footprint once = run(false), twice = run(true);
        ASSERT_GT(once.draws, 0u);
        EXPECT_EQ(twice.draws, once.draws);
        EXPECT_EQ(twice.dialogs, once.dialogs);
        EXPECT_NEAR(twice.seconds, once.seconds, 0.01);
        EXPECT_EQ(twice.moments, once.moments);
    }
}
