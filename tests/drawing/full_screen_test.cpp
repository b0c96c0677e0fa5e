#include "board_fixture.h"
#include "geometry_printers.h"
#include "text_printers.h"
#include "ui/screen.h"

#include <functional>

using namespace testing_support;

namespace {

// The test screen of 1366 x 768 pixels in twips.
constexpr int kScreenW = 20490, kScreenH = 11520;
constexpr int kEscape = 27;

QRect rectOf(const ui::Control& c) {
    return {c.Left(), c.Top(), c.Width(), c.Height()};
}

class FullScreen : public BoardTest {
protected:
    // The visible controls: the command row by index, then every other button and box.
    std::string shown() {
        shell::Form2& f = f2();
        QStringList row, others;
        for (int i = 0; i <= 21; ++i) {
            if (f.Command1(i).Visible())
                row << QString::number(i);
        }
        for (ui::Control* c : std::initializer_list<ui::Control*>{
                 &f.Command2,     &f.Command3,     &f.Command4,     &f.Command5,  &f.Command6,
                 &f.Command7,     &f.Command8,     &f.Command9,     &f.Command10, &f.Command11,
                 &f.Command12(0), &f.Command12(1), &f.Command12(2), &f.Command13, &f.Command14,
                 &f.Command15,    &f.Text1(0),     &f.Text1(1),     &f.Text1(2),  &f.Text1(3),
                 &f.Text2,        &f.Text3}) {
            if (c->Visible())
                others << c->name() + (c->Index() >= 0 ? QStringLiteral("(%1)").arg(c->Index())
                                                       : QString());
        }
        return (QStringLiteral("row ") + row.join(' ') + QStringLiteral("; ") + others.join(' '))
            .toStdString();
    }
    // The window as a click on the main window's picture brings it back after `launcher`'s
    // mode was closed: with the buttons of its design.
    void reopenAfter(const std::function<void()>& launcher) {
        launcher();
        f2().unload();
        f1().Image1_Click();
        ASSERT_TRUE(f2().Visible());
    }
    // A background picture in the holder, which the layouts paint over the canvas: red with a
    // blue corner at the bottom right.
    void redBackground() {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(qRgb(255, 0, 0));
        for (int y = 27; y < 30; ++y)
            for (int x = 36; x < 40; ++x)
                picture.setPixel(x, y, qRgb(0, 0, 255));
        f2().Image1.setPicture(picture);
    }
    // The whole picture fills the canvas.
    bool canvasShowsTheBackground() {
        const QImage& shown = f2().Picture1.Image();
        return shown.pixel(2, 2) == qRgb(255, 0, 0) &&
               shown.pixel(shown.width() - 3, shown.height() - 3) == qRgb(0, 0, 255);
    }
    void pressEscape() {
        int key = kEscape;
        f2().Picture1.onKeyPress(key);
    }
};

} // namespace

TEST_F(FullScreen, OnKeepsAShortColumnOverAScreenWideCanvasInEachModeThatShowsIt) {
    struct Case {
        const char* after;
        std::function<void()> launcher;
        const char* shown;
        int border;
        const char* caption; // empty: the window keeps its caption
        bool persistent;
    };
    const Case cases[] = {
        {"freehand drawing", [this] { f1().Command12_Click(); },
         "row 3 7 9 15 18; Command9 Command10", 1, nullptr, true},
        // The resize handler inside the sizing lays the math drawing out as ever: its curve
        // buttons come back beside the canvas.
        {"math drawing",
         [this] {
             m().imageWorkMode = false; // as in a run that opened no image mode before
             f1().Command10_Click();
         },
         "row 3 7 9 15 18; Command2 Command3 Command4 Command5 Command6 Command7 Command9 "
         "Command10",
         1, nullptr, true},
        // The simulations keep neither the column nor a frame.
        {"drop simulation", [this] { f1().Command8_Click(); }, "row 9; Command9 Command10", 0, "",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        reopenAfter(c.launcher);
        const QString caption = f2().Caption();
        redBackground();
        ASSERT_EQ(f2().Command1(18).Caption(), QStringLiteral("全屏"));

        f2().Command1(18).press();
        EXPECT_EQ(shown(), c.shown);
        EXPECT_EQ(f2().Command1(18).Caption(), QStringLiteral("还原"));
        EXPECT_EQ(rectOf(f2().Command1(3)).size(), QSize(1452, 372));
        EXPECT_TRUE(m().fullScreenOn);
        EXPECT_TRUE(m().fullCanvasOn);
        EXPECT_FALSE(m().canvasKeysOn);
        EXPECT_EQ(QRect(f2().Left(), f2().Top(), f2().Width(), f2().Height()),
                  QRect(0, 0, kScreenW, kScreenH));
        EXPECT_EQ(f2().WindowState(), ui::Normal);
        EXPECT_EQ(f2().BorderStyle(), c.border);
        EXPECT_EQ(f2().Caption(), c.caption ? QString::fromUtf8(c.caption) : caption);
        EXPECT_EQ(rectOf(f2().Picture1), QRect(0, 0, kScreenW, kScreenH));
        EXPECT_EQ(f2().Picture1.BorderStyle(), 0);
        EXPECT_EQ(rectOf(f2().Image1).size(), QSize(kScreenW, kScreenH));
        EXPECT_EQ(f2().Picture1.AutoRedraw(), c.persistent);
        EXPECT_TRUE(canvasShowsTheBackground());

        // Esc on the canvas is the way out, also where no 还原 is left.
        pressEscape();
        EXPECT_FALSE(f2().isLoaded());
    }
}

TEST_F(FullScreen, RestoreBringsTheWholeRowBackInAWindowOf90PercentOfTheScreen) {
    reopenAfter([this] { f1().Command12_Click(); });
    redBackground();
    f2().Command1(18).press();
    f2().Command1(18).press();

    EXPECT_EQ(f2().Command1(18).Caption(), QStringLiteral("全屏"));
    // Also 推导计算 and the curve buttons, which the freehand drawing never shows.
    EXPECT_EQ(shown(), "row 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18; "
                       "Command2 Command3 Command4 Command5 Command6 Command7 Command8 Command9 "
                       "Command10 Text1(0) Text1(1) Text1(2) Text1(3) Text2 Text3");
    EXPECT_EQ(rectOf(f2().Command1(3)).size(), QSize(972, 732));
    EXPECT_FALSE(m().fullScreenOn);
    EXPECT_FALSE(m().fullCanvasOn);
    EXPECT_FALSE(m().simulationMode);
    EXPECT_EQ(QRect(f2().Left(), f2().Top(), f2().Width(), f2().Height()),
              QRect(0, 0, 18441, 10368));
    EXPECT_EQ(f2().BorderStyle(), 1);
    EXPECT_EQ(f2().Caption(), QStringLiteral("Dorvel 画画"));
    // Laid out in proportion: 0.05 and 0.9 of the width, 0.025 of the height under the row,
    // 0.85 of what the row leaves; the column 100 twips right of the canvas.
    EXPECT_EQ(rectOf(f2().Picture1), QRect(922, 994, 16597, 8188));
    EXPECT_EQ(f2().Command1(15).Left(), 922 + 16597 + 100);
    EXPECT_TRUE(f2().Picture1.AutoRedraw());
    EXPECT_TRUE(canvasShowsTheBackground());
}

TEST_F(FullScreen, TheCanvasLinesItsToolsUpAtTheEdgeThenBecomesABareCanvasWithThePenOn) {
    redBackground();
    f2().Picture1.setDrawWidth(5);
    const std::string tools = "row 14 15 16 17 19 21; ";

    f2().Command1(19).press();
    EXPECT_EQ(shown(), tools);
    // 1.2 button widths left of the window's right edge; the tops stay.
    for (int i : {14, 15, 16, 17, 19, 21})
        EXPECT_EQ(f2().Command1(i).Left(), kScreenW - 446) << i;
    EXPECT_EQ(f2().Command1(19).Top(), 7200);
    EXPECT_TRUE(m().canvasToolsAtEdge);
    EXPECT_TRUE(m().canvasKeysOn);
    EXPECT_FALSE(m().simulationMode);
    EXPECT_FALSE(m().fullCanvasOn);
    EXPECT_FALSE(m().freehandMode);
    EXPECT_EQ(f2().Picture1.DrawWidth(), 5);
    EXPECT_EQ(f2().BorderStyle(), 0);
    EXPECT_EQ(f2().Caption(), QString());
    EXPECT_EQ(QRect(f2().Left(), f2().Top(), f2().Width(), f2().Height()),
              QRect(0, 0, kScreenW, kScreenH));
    EXPECT_EQ(rectOf(f2().Picture1), QRect(0, 0, kScreenW, kScreenH));
    // Not pre-saved: what is drawn from now on is not kept.
    EXPECT_FALSE(f2().Picture1.AutoRedraw());
    EXPECT_TRUE(canvasShowsTheBackground());

    f2().Command1(19).press();
    EXPECT_EQ(shown(), "row ; ");
    EXPECT_FALSE(m().canvasToolsAtEdge);
    EXPECT_TRUE(m().freehandMode);
    EXPECT_TRUE(m().imagePresaved);
    EXPECT_EQ(f2().Picture1.DrawWidth(), 2);
    EXPECT_TRUE(f2().Picture1.AutoRedraw());

    // The next window lays the column out again; Esc leaves it.
    f1().Command12_Click();
    f2().Command1(19).press();
    EXPECT_EQ(shown(), tools);
    pressEscape();
    EXPECT_FALSE(f2().isLoaded());
    EXPECT_FALSE(m().canvasKeysOn);
}

TEST_F(FullScreen, TheCanvasLeavesARunningPreviewAloneWithoutItsTools) {
    for (bool toolsAtEdge : {false, true}) {
        SCOPED_TRACE(toolsAtEdge);
        f1().Command12_Click();
        m().canvasToolsAtEdge = toolsAtEdge;
        f2().Command1(20).setCaption(QStringLiteral("停止预览"));
        f2().Timer(1).setEnabled(true);
        const int left = f2().Command1(14).Left();

        f2().Command1(19).press();
        EXPECT_EQ(shown(), "row ; ");
        EXPECT_EQ(m().canvasToolsAtEdge, toolsAtEdge);
        EXPECT_EQ(f2().Command1(14).Left(), left);
        EXPECT_FALSE(m().freehandMode);
        EXPECT_TRUE(f2().Timer(1).Enabled());
    }
}

TEST_F(FullScreen, TheMathDrawingsFullScreenHidesItsButtonsUntilEsc) {
    f1().Command10_Click();
    redBackground();
    // A scale of its own, as an imported picture leaves it: the background still fills it all.
    f2().Picture1.Scale(0, 0, f2().Picture1.Width(), f2().Picture1.Height());
    m().simulationMode = true; // whatever the mode held, the canvas ends with it off

    f2().Command10.press();
    EXPECT_EQ(shown(), "row ; ");
    EXPECT_TRUE(m().canvasKeysOn);
    EXPECT_FALSE(m().simulationMode);
    EXPECT_FALSE(m().fullCanvasOn);
    EXPECT_EQ(f2().BorderStyle(), 0);
    EXPECT_EQ(f2().Caption(), QString());
    EXPECT_EQ(rectOf(f2().Picture1), QRect(0, 0, kScreenW, kScreenH));
    EXPECT_TRUE(canvasShowsTheBackground());

    pressEscape();
    EXPECT_FALSE(f2().isLoaded());
}
