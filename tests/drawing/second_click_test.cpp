#include "app/forms.h"
#include "app/module1.h"
#include "app_fixture.h"
#include "drop_panel.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "ui/clock.h"

#include <QCoreApplication>
#include <QTimer>
#include <functional>

using namespace testing_support;

namespace {

// What one run of a trigger leaves: the drawing it did, the dialogs it showed, the time it took.
struct Footprint {
    uint64_t draws = 0;
    qsizetype dialogs = 0;
    double seconds = 0;
};

// The long runs of the drawing window, each pressed once alone and once with a second press
// of its trigger arriving while it runs.
class SecondClick : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        for (const char* name :
             {"picture1.jpg", "456.jpg", "hai1.jpg", "hai2.jpg", "hai11.jpg", "hai03.jpg"})
            installAsset(QString::fromLatin1(name));
        f1().show();
    }
    shell::Form1& f1() { return app::form1(); }
    shell::Form2& f2() { return app::form2(); }
};

struct Trigger {
    const char* name;
    void (shell::Form1::*launcher)();
    // The inputs of a run and the dialogs one run shows.
    std::function<void(ScriptedDialogs&)> prepare;
    std::function<void(shell::Form2&)> press;
    // Whether its waits let a press through while it runs: then the second press must do
    // nothing; otherwise it waits for the end and runs once after.
    bool letsEventsIn;
};

// A target the sweep from 90 degrees hits within a few trials.
void aimAtTheSeventhTrial(shell::Form1& panel, shell::Form2& f) {
    const QPointF t = pointOfTrial(panel, f, 88.5, 2);
    panel.Text1(15).setText(vbrt::CStr(float(t.x())));
    panel.Text1(16).setText(vbrt::CStr(float(t.y())));
    panel.Text1(17).setText(QStringLiteral("1"));
}

} // namespace

TEST_F(SecondClick, ASecondPressWhileARunWaitsNeverNestsIt) {
    using shell::Form1;
    using shell::Form2;
    const auto none = [](ScriptedDialogs&) {};
    const auto target = [](ScriptedDialogs&) { aimAtTheSeventhTrial(app::form1(), app::form2()); };
    const Trigger triggers[] = {
        {"导入图像, its second's wait lets events run", &Form1::Command12_Click,
         [](ScriptedDialogs& d) { d.expectOpenFile(std::nullopt); },
         [](Form2& f) { f.Command1_Click(9); }, true},
        {"变换角度, its erase passes let events run", &Form1::Command9_Click, target,
         [](Form2& f) { f.Command1_Click(10); }, true},
        {"a press on the anti-missile canvas", &Form1::Command9_Click, target,
         [](Form2& f) {
             f.Picture1_MouseDown(ui::LeftButton, 0, vbrt::CDbl(app::form1().Text1(15).Text()),
                                  vbrt::CDbl(app::form1().Text1(16).Text()));
         },
         true},
        {"推导计算, paced without events", &Form1::Command8_Click,
         [](ScriptedDialogs&) { typeDrop(app::form1(), 0.5, 1, 700, -700, 1, 1, 10); },
         [](Form2& f) { f.Command1_Click(0); }, false},
        {"塔, paced without events", &Form1::Command10_Click, none,
         [](Form2& f) { f.curves.Command6_Click(); }, false},
    };

    for (const Trigger& t : triggers) {
        SCOPED_TRACE(t.name);
        ui::Clock& clock = ui::Clock::instance();
        const auto run = [&](int presses) {
            f2().unload();
            (f1().*t.launcher)();
            const int runs = t.letsEventsIn ? 1 : presses;
            for (int i = 0; i < runs; ++i)
                t.prepare(dialogs);
            bool running = true, secondInside = false;
            if (presses == 2) {
                QTimer::singleShot(0, [&] {
                    secondInside = running;
                    t.press(f2());
                });
            }
            const Footprint before{f2().Picture1.drawCount(), dialogs.shown.size(),
                                   clock.monotonic()};
            t.press(f2());
            running = false;
            QCoreApplication::processEvents();
            dialogs.verifyAllShown();
            EXPECT_EQ(secondInside, presses == 2 && t.letsEventsIn);
            return Footprint{f2().Picture1.drawCount() - before.draws,
                             dialogs.shown.size() - before.dialogs,
                             clock.monotonic() - before.seconds};
        };
        const Footprint once = run(1);
        const Footprint twice = run(2);
        ASSERT_GT(once.draws, 0u);
        const int runs = t.letsEventsIn ? 1 : 2;
        EXPECT_EQ(twice.draws, runs * once.draws);
        EXPECT_EQ(twice.dialogs, runs * once.dialogs);
        EXPECT_NEAR(twice.seconds, runs * once.seconds, 1e-6);
    }
}
