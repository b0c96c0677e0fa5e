#include "app/module1.h"
#include "app_fixture.h"
#include "drawing/curve_animations.h"
#include "drop_panel.h"
#include "shell/calculator.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "text_printers.h"
#include "ui/waits.h"

#include <QImage>
#include <cmath>

using namespace testing_support;
using drawing::ComaState;
using vbrt::Variant;

namespace {

const QString kNotNumbers = QStringLiteral("请输入数值！");
const QString kTitle = QStringLiteral("Tessal");
const vbrt::Colour kOn = 55488, kOff = vbrt::RGB(232, 227, 174);

class CurveAnimations : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        shell::form1().show();
        shell::form1().Command10_Click(); // 数学画画: the curve buttons, and 1 in the panel
        ASSERT_TRUE(f().isLoaded());
        app::module1().fastPlot = true;
    }
    shell::Form2& f() { return shell::form2(); }
    ComaState& state() { return f().curves.state; }
    ui::PictureBox& canvas() { return f().Picture1; }
    void ticks(int timer, int count) {
        for (int i = 0; i < count; ++i)
            f().Timer(timer).fire();
    }
    void expectRefusal() { dialogs.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly); }
};

} // namespace

TEST_F(CurveAnimations, AStartShowsTheValuesOfItsSetAsEveryTimerThatSharesItLeftThem) {
    struct Case {
        int timer, count;
        ui::CommandButton& button;
        const char* shown;
    };
    const Case cases[] = {
        {5, 0, f().Command2, "0@0"},
        {6, 0, f().Command3, "1E-05@1E-05"},
        {7, 0, f().Command5, "@1E-05"},
        {7, 0, f().Command7, "@1E-05"},
        {4, 0, f().Command4, "kept"},
        {5, 4, f().Command2, "2@0"},
        {6, 7, f().Command3, "0.70001@0.261809387"},
        {16, 7, f().Command3, "0.70001@0.261809387"},
        {7, 7, f().Command5, "0.7@0.261809387"},
        // 果壳 turns the egg and death sets along with its own.
        {4, 7, f().Command2, "3.5@0"},
        {4, 7, f().Command3, "0.70001@0.261809387"},
    };
    for (const Case& c : cases) {
        state() = ComaState{};
        ticks(c.timer, c.count);
        f().Text2.setText(QStringLiteral("kept"));
        c.button.press();
        c.button.press();
        EXPECT_EQ(f().Text2.Text(), QString::fromUtf8(c.shown)) << "Timer" << c.timer;
    }

    // 光 starts the shell set again, even while 果壳 runs.
    state() = ComaState{};
    f().Command4.press();
    ticks(4, 3);
    EXPECT_EQ(state().shellFreq, 1.5);
    f().Command7.press();
    EXPECT_TRUE(state().shellPhase.isInteger());
    EXPECT_EQ(state().shellPhase.toDouble(), 0);
    EXPECT_EQ(state().shellFreq, 0);
    EXPECT_TRUE(f().Timer(4).Enabled());
}

TEST_F(CurveAnimations, EachTimerRedrawsEveryFewTicksAndTurnsItsPhase) {
    struct Case {
        int timer;
        Variant ComaState::*phase;
        std::vector<int> redraws, turns;
    };
    const std::vector<int> everyFourth{4, 8, 12, 16, 20, 24, 28, 32, 36, 40};
    const std::vector<int> everySeventh{7, 14, 21, 28, 35};
    // Death and life turn on every 19th tick and again at each redraw.
    const std::vector<int> withRedraws{7, 14, 19, 21, 28, 35, 38};
    const Case cases[] = {
        {5, &ComaState::eggPhase, everyFourth, {19, 38}},
        {6, &ComaState::deathPhase, everySeventh, withRedraws},
        {16, &ComaState::deathPhase, everySeventh, withRedraws},
        {7, &ComaState::lifePhase, everySeventh, withRedraws},
        {4, &ComaState::deathPhase, everySeventh, withRedraws},
    };
    for (const Case& c : cases) {
        state() = ComaState{};
        std::vector<int> redraws, turns;
        for (int i = 1; i <= 40; ++i) {
            const double phase = (state().*c.phase).toDouble();
            const uint64_t drawn = canvas().drawCount();
            ticks(c.timer, 1);
            if (canvas().drawCount() != drawn)
                redraws.push_back(i);
            if ((state().*c.phase).toDouble() != phase)
                turns.push_back(i);
        }
        EXPECT_EQ(redraws, c.redraws) << "Timer" << c.timer;
        EXPECT_EQ(turns, c.turns) << "Timer" << c.timer;
    }
}

TEST_F(CurveAnimations, RefusedInputDrawsNothingButTheButtonsStillEndInTheirColour) {
    shell::Form1& panel = shell::form1();
    // A time of 0 would sample the drop without end.
    for (const auto& [box, text] : {std::pair{13, "x"}, std::pair{10, "0"}}) {
        panel.Text1(box).setText(QString::fromUtf8(text));
        for (ui::CommandButton* b : {&f().Command2, &f().Command3, &f().Command4, &f().Command5,
                                     &f().Command6, &f().Command7}) {
            const uint64_t before = canvas().drawCount();
            expectRefusal();
            b->press();
            EXPECT_EQ(b->BackColor(), b == &f().Command6 ? 217 : kOn) << text;
            EXPECT_EQ(canvas().drawCount(), before) << text;
            if (b != &f().Command6)
                b->press();
        }
        panel.Text1(box).setText(QStringLiteral("1"));
    }

    // 塔 draws at every click, ends dark red and leaves the fill style solid.
    for (int i = 0; i < 2; ++i) {
        const uint64_t before = canvas().drawCount();
        f().Command6.press();
        EXPECT_NE(canvas().drawCount(), before);
        EXPECT_EQ(f().Command6.BackColor(), 217);
    }
    EXPECT_EQ(canvas().FillStyle(), 0);
}

TEST_F(CurveAnimations, TheEggsFirstStartIsAVInASquareWindowAndKeptCoordinatesStay) {
    f().Command2.press();
    const double s = f().plotWindow[3], r0 = 0.9 * s;
    EXPECT_GT(s, 0);
    EXPECT_EQ(canvas().ScaleLeft(), -s);
    EXPECT_EQ(canvas().ScaleTop(), -s);
    EXPECT_EQ(canvas().ScaleWidth(), 2 * s);
    const vbrt::Colour pen = f().penColor;
    EXPECT_EQ(canvas().Point(r0 / 2, r0 / 2), pen);
    EXPECT_EQ(canvas().Point(-r0 / 2, r0 / 2), pen);
    EXPECT_EQ(canvas().Point(0, -r0 / 2), 0) << "nothing above the centre";
    f().Command2.press();

    canvas().Scale(0, 0, 10, 10);
    f().coordMode = true;
    f().Command6.press();
    EXPECT_EQ(canvas().ScaleWidth(), 10);
}

TEST_F(CurveAnimations, TheEggInAWindowOfMillionsIsTheEggOfASmallWindowScaled) {
    // The egg's fans scale with the window: drawn for a drop of 1 mm over 1 s and for one of
    // 1000 mm over 1000 s (a window of millions of units), the pictures are the same.
    state().eggFreq = 1.0;
    const auto egg = [&](const char* radius, const char* time) {
        shell::form1().Text1(0).setText(QString::fromUtf8(radius));
        shell::form1().Text1(10).setText(QString::fromUtf8(time));
        canvas().setPicture(QImage());
        f().curves.coma2();
        return std::pair{f().plotWindow[3], canvas().screen().copy()};
    };
    const auto [small, near] = egg("1", "1");
    const auto [large, far] = egg("1000", "1000");
    ASSERT_LT(small, 20);
    ASSERT_GT(large, 1e6);
    int drawn = 0, different = 0;
    for (int y = 0; y < near.height(); ++y) {
        for (int x = 0; x < near.width(); ++x) {
            drawn += (near.pixel(x, y) & 0xFFFFFF) != 0;
            different += near.pixel(x, y) != far.pixel(x, y);
        }
    }
    EXPECT_GT(drawn, 20000);
    // Single precision may round the two a little differently.
    EXPECT_LT(different, drawn / 1000) << different << " of " << drawn;
}

TEST_F(CurveAnimations, ANegativeTimeSizesTheWindowFromTheLaunchAndThatTimeAlone) {
    // Thrown down: back in time the drop rises above the launch point and comes down below it
    // at t = -1. The frame samples only while the time is not past -1, that is not at all, so
    // the window comes from the launch (the least height) and t = -1 (the greatest).
    typeDrop(shell::form1(), 1, 1, 0, 3, 0, 0, -1);
    const double below = shell::form1().calculator.f2(-1);
    ASSERT_GT(below, 0);
    f().Command6.press();
    EXPECT_EQ(f().plotWindow[3], 3 * below / 2);
    EXPECT_EQ(canvas().ScaleHeight(), 3 * below);
}

TEST_F(CurveAnimations, LightDrawsTheSamePictureWhateverTheState) {
    f().curves.coma7();
    const QImage first = canvas().screen().copy();
    state().deathPhase = 2.0;
    state().eggFreq = 7.5;
    state().lifeFreq = 3.0;
    state().lifePhase = 1.0;
    state().shellFreq = 4;
    canvas().setPicture(QImage());
    f().curves.coma7();
    EXPECT_EQ(canvas().screen(), first);
    EXPECT_EQ(canvas().Point(0, 0), f().penColor) << "drawn";
}

TEST_F(CurveAnimations, HugeRadiiArePaintedCutToTheCanvasInTheirTrueDirection) {
    canvas().Scale(-10, -10, 10, 10);
    drawing::Figure figure;
    figure.segments = {{0, 0, 1e17, 2e16}, {0, NAN, 1, 1}, {0, 0, INFINITY, 1}};
    figure.pauses = {0, 3};
    int pauses = 0;
    drawing::paintFigure(canvas(), figure, 0xFF, [&] { ++pauses; });
    EXPECT_EQ(pauses, 2);
    EXPECT_EQ(canvas().Point(5, 1), 0xFF);
    EXPECT_EQ(canvas().Point(5, 5), 0);

    // 死 turned so that one radius comes out near 1.6e16.
    double t = 0;
    for (int i = 0; i < 250; ++i)
        t += 8 * std::atan(1.0) / 1000;
    state().deathPhase = 2 * std::atan(1.0) - t;
    canvas().setPicture(QImage());
    f().curves.coma3();
    EXPECT_EQ(canvas().Point(0.5, 0), f().penColor);
    EXPECT_EQ(canvas().Point(-0.5 * f().plotWindow[3], 0), 0) << "nothing left of the axis";
}

namespace {
// Keeps each message open for ten seconds with events running, as a person reading it would.
class SlowReader : public ScriptedDialogs {
public:
    int msgBox(const QString& prompt, int style, const QString& title) override {
        ui::pumpedWait(10);
        return ScriptedDialogs::msgBox(prompt, style, title);
    }
};
} // namespace

TEST_F(CurveAnimations, WhileAFiguresMessageIsOpenTheAnimationTimersWait) {
    f().Command4.press(); // 果壳 runs on good input
    shell::form1().Text1(13).setText(QStringLiteral("x"));
    const double shellFreq = state().shellFreq;
    {
        // Ten seconds would bring 蛋 and 果壳 to a redraw each, and each to its own message.
        SlowReader reader;
        reader.expectMsgBox(kNotNumbers, kTitle, ui::vbOK, ui::vbOKOnly);
        f().Command2.press();
    }
    ui::setDialogs(&dialogs);
    EXPECT_EQ(state().eggFreq.toDouble(), 0);
    EXPECT_EQ(state().shellFreq, shellFreq);

    // Afterwards 蛋 ticks again (alone: 果壳 would advance its set too).
    f().Command4.press();
    advance(1.5);
    EXPECT_GT(state().eggFreq.toDouble(), 0);
}

TEST_F(CurveAnimations, AnAnimationRunsOnItsTimerUntilItsButtonStopsIt) {
    f().Command5.press();
    EXPECT_EQ(f().Command5.BackColor(), kOn);
    advance(9);
    const double freq = state().lifeFreq.toDouble();
    EXPECT_GE(freq, 0.7) << "a redraw after 7 ticks";
    EXPECT_GT(state().lifePhase.toDouble(), 0.2);

    const QImage drawn = canvas().screen().copy();
    f().Command5.press();
    EXPECT_EQ(f().Command5.BackColor(), kOff);
    EXPECT_FALSE(f().Timer(7).Enabled());
    advance(5);
    EXPECT_EQ(state().lifeFreq.toDouble(), freq);
    EXPECT_EQ(canvas().screen(), drawn) << "the last drawing stays";
}
