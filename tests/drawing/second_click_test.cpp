#include "app_fixture.h"
#include "drop_panel.h"
#include "shell/calculator.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "ui/clock.h"
#include "vbrt/random.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

// What one run of a trigger leaves: the drawing it did, the picture, the dialogs it showed, the
// time it took and the main window's boxes from the readouts to the target (the re-plot
// appends its range to the moments box).
struct Footprint {
    uint64_t draws = 0;
    QImage picture;
    qsizetype dialogs = 0;
    double seconds = 0;
    QStringList boxes;
};

// The runs whose waits let events in, in both windows: each is pressed once alone and once with
// a press or an edit arriving while it runs, which must change nothing: a second run never
// starts inside the first, and the run draws and writes from the numbers of its click.
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

// What arrives while a run goes on; by default a second press of the run's own trigger.
struct Meanwhile {
    const char* name;
    std::function<void()> act;
    // The next run, started after this one, refuses the edit.
    bool nextRunRefuses = false;
};

// Runs the trigger once alone, then once with each of `meanwhile` arriving while it runs: each
// leaves exactly what the run alone left, which is returned.
Footprint expectNothingChanges(ScriptedDialogs& dialogs, const Trigger& t,
                               const std::vector<Meanwhile>& meanwhile) {
    ui::Clock& clock = ui::Clock::instance();
    const auto run = [&](const Meanwhile* during) {
        t.open(dialogs);
        shell::form1().Text1(11).setText(QString());
        vbrt::seedRnd(7);
        bool running = true, secondInside = !during;
        if (during) {
            QTimer::singleShot(0, [&] {
                secondInside = running;
                during->act();
            });
        }
        const Footprint before{
            t.canvas().drawCount(), {}, dialogs.shown.size(), clock.monotonic(), {}};
        t.press();
        running = false;
        QCoreApplication::processEvents();
        dialogs.verifyAllShown();
        EXPECT_TRUE(secondInside) << "the second press came while the run went on";
        QStringList boxes;
        for (int i = 5; i <= 16; ++i)
            boxes << shell::form1().Text1(i).Text();
        return Footprint{t.canvas().drawCount() - before.draws, t.canvas().screen(),
                         dialogs.shown.size() - before.dialogs, clock.monotonic() - before.seconds,
                         boxes};
    };
    SCOPED_TRACE(t.name);
    const Footprint once = run(nullptr);
    EXPECT_GT(once.draws, 0u);
    for (const Meanwhile& second : meanwhile) {
        SCOPED_TRACE(second.name);
        const Footprint twice = run(&second);
        EXPECT_EQ(twice.draws, once.draws);
        EXPECT_TRUE(twice.picture == once.picture) << "the same picture";
        EXPECT_EQ(twice.dialogs, once.dialogs);
        EXPECT_NEAR(twice.seconds, once.seconds, 0.01);
        EXPECT_EQ(twice.boxes, once.boxes);
        if (second.nextRunRefuses) {
            // The edit counts from the next run on.
            dialogs.expectMsgBox(QStringLiteral("请输入数值！"), QStringLiteral("Tessal"), ui::vbOK,
                                 ui::vbOKOnly);
            t.press();
            dialogs.verifyAllShown();
        }
    }
    return once;
}

ui::PictureBox& mainPicture() {
    return shell::form1().Picture1;
}
ui::PictureBox& canvas() {
    return shell::form2().Picture1;
}

} // namespace

// The main window's runs, each crossed with its three presses and, where the run reads the
// panel as it draws, with edits of the panel; one run a test, each is long.
class MainWindowRun : public SecondClick, public ::testing::WithParamInterface<int> {};

TEST_P(MainWindowRun, TakesNoPressAndNoEditWhileItWaits) {
    const auto drop = [](ScriptedDialogs&) { typeDrop(f1(), 1, 1, 8, -12, -2, 1, 3); };
    const Meanwhile presses[] = {
        {"推导计算", [] { f1().calculator.Command1_Click(); }},
        {"the re-plot", [] { f1().calculator.Picture1_Click(); }},
        {"日月地球", [] { f1().calculator.Command2_Click(); }},
    };
    const Meanwhile edits[] = {
        {"VFy made no number", [] { f1().Text1(3).setText(QStringLiteral("abc")); }, true},
        {"the radius emptied", [] { f1().Text1(0).setText(QString()); }, true},
        {"VFy changed", [] { f1().Text1(3).setText(QStringLiteral("-3")); }},
    };
    std::vector<Meanwhile> pressesAndEdits(std::begin(presses), std::end(presses));
    pressesAndEdits.insert(pressesAndEdits.end(), std::begin(edits), std::end(edits));
    const Trigger runs[] = {
        {"推导计算", drop, [] { f1().calculator.Command1_Click(); }, mainPicture},
        {"the re-plot", drop, [] { f1().calculator.Picture1_Click(); }, mainPicture},
        {"日月地球", drop, [] { f1().calculator.Command2_Click(); }, mainPicture},
    };
    const Trigger& t = runs[GetParam()];
    // The orbit reads the panel only before its first frame.
    expectNothingChanges(dialogs, t,
                         QByteArray(t.name) == "日月地球"
                             ? std::vector<Meanwhile>(std::begin(presses), std::end(presses))
                             : pressesAndEdits);
}

INSTANTIATE_TEST_SUITE_P(EachOfThem, MainWindowRun, ::testing::Values(0, 1, 2));

// The runs over the main window's panel are one run for the whole program: each run of either
// window that waits with events running, crossed with an edit of Vy0 and a press of each of
// the six (the drawing window's 推导计算 and canvas plot let no event in: they come only second).
class PanelRun : public SecondClick, public ::testing::WithParamInterface<int> {};

TEST_P(PanelRun, TakesNoRunOfEitherWindowWhileItWaits) {
    // Both windows on one drop, the drawing window in the drop simulation, aimed at a target
    // the sweep from 90 degrees hits within a few trials.
    const auto open = [](ScriptedDialogs&) {
        f1().Command8_Click();
        typeDrop(f1(), 1, 1, 8, -12, -2, 1, 3);
        const QPointF t = pointOfTrial(f1(), f2(), 88.5, 1.5);
        f1().Text1(15).setText(vbrt::CStr(float(t.x())));
        f1().Text1(16).setText(vbrt::CStr(float(t.y())));
        f1().Text1(17).setText(QStringLiteral("1"));
    };
    const Trigger runs[] = {
        {"推导计算", open, [] { f1().calculator.Command1_Click(); }, mainPicture},
        {"the re-plot", open, [] { f1().calculator.Picture1_Click(); }, mainPicture},
        {"日月地球", open, [] { f1().calculator.Command2_Click(); }, mainPicture},
        {"变换角度", open, [] { f2().Command1_Click(10); }, canvas},
        {"the drawing window's 推导计算", open, [] { f2().Command1_Click(0); }, canvas},
        {"a click on its canvas", open,
         [] {
             f2().Picture1_MouseDown(ui::LeftButton, 0, 500, 500);
             f2().Picture1.onClick();
         },
         canvas},
    };
    std::vector<Meanwhile> meanwhile;
    for (const Trigger& second : runs) {
        meanwhile.push_back({second.name, [press = second.press] {
                                 f1().Text1(4).setText(QStringLiteral("-5"));
                                 press();
                             }});
    }
    const QImage left = expectNothingChanges(dialogs, runs[GetParam()], meanwhile).picture;
    const auto* pixels = reinterpret_cast<const QRgb*>(left.constBits());
    const QRgb pen = vbrt::toRgb32(f2().penColor);
    EXPECT_TRUE(GetParam() != 3 || std::count(pixels, pixels + left.sizeInBytes() / 4, pen) > 0)
        << "the sweep's own plot of the path it found is part of its run";
}

INSTANTIATE_TEST_SUITE_P(EachThatWaits, PanelRun, ::testing::Values(0, 1, 2, 3));

// The drawing window's runs, each with a second press of its own trigger; the anti-missile
// press also with a target elsewhere.
TEST_F(SecondClick, ADrawingWindowRunTakesNoSecondPressWhileItWaits) {
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
    const Trigger runs[] = {
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
    for (const Trigger& t : runs) {
        std::vector<Meanwhile> meanwhile{{"the same press", t.press}};
        if (QByteArray(t.name).contains("canvas"))
            meanwhile.push_back({"a target elsewhere",
                                 [] { f2().Picture1_MouseDown(ui::LeftButton, 0, 1000, 1000); }});
        expectNothingChanges(dialogs, t, meanwhile);
    }
}
