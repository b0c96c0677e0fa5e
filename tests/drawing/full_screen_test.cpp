#include "board_fixture.h"
#include "geometry_printers.h"

#include <functional>

using namespace testing_support;

namespace {

// The test screen of 1366 x 768 pixels, in twips.
const QRect kScreen(0, 0, 20490, 11520);

QRect rectOf(const ui::Form& w) {
    return {w.Left(), w.Top(), w.Width(), w.Height()};
}
QRect rectOf(const ui::Control& c) {
    return {c.Left(), c.Top(), c.Width(), c.Height()};
}

class FullScreen : public BoardTest {
protected:
    // The visible controls: the command row by index, then the other buttons and boxes.
    std::string shown() {
        QStringList names;
        for (int i = 0; i <= 21; ++i) {
            if (f2().Command1(i).Visible())
                names << QString::number(i);
        }
        names << ";";
        shell::Form2& f = f2();
        for (ui::Control* c : std::initializer_list<ui::Control*>{
                 &f.Command2, &f.Command3, &f.Command4, &f.Command5, &f.Command6, &f.Command7,
                 &f.Command8, &f.Command9, &f.Command10, &f.Text1(0), &f.Text1(1), &f.Text1(2),
                 &f.Text1(3), &f.Text2, &f.Text3}) {
            if (c->Visible())
                names << c->name() + (c->Index() >= 0 ? QString::number(c->Index()) : "");
        }
        return names.join(' ').toStdString();
    }
    // The window and the canvas on the whole screen, the canvas showing the whole background
    // picture: red with a blue corner at its bottom right.
    void background() {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(qRgb(255, 0, 0));
        for (int y = 27; y < 30; ++y)
            for (int x = 36; x < 40; ++x)
                picture.setPixel(x, y, qRgb(0, 0, 255));
        f2().Image1.setPicture(picture);
    }
    void expectOnTheScreen() {
        EXPECT_EQ(rectOf(f2()), kScreen);
        EXPECT_EQ(rectOf(f2().Picture1), kScreen);
        const QImage& canvas = f2().Picture1.Image();
        EXPECT_EQ(canvas.pixel(2, 2), qRgb(255, 0, 0));
        EXPECT_EQ(canvas.pixel(canvas.width() - 3, canvas.height() - 3), qRgb(0, 0, 255));
    }
    void pressEscape() {
        int key = 27;
        f2().Picture1.onKeyPress(key);
        EXPECT_FALSE(f2().isLoaded());
    }
};

} // namespace

// 全屏 shows in the window a click on the main window's picture brings back after a mode.
TEST_F(FullScreen, OnKeepsAShortColumnAndRestoreBringsTheWholeRowBackInEachMode) {
    struct Case {
        const char* after;
        std::function<void()> launcher;
        const char* shown;
        bool simulation; // no column, frame or 还原: only Esc leaves
    };
    const Case cases[] = {
        {"freehand drawing", [this] { f1().Command12_Click(); }, "3 7 9 15 18 ; Command9 Command10",
         false},
        // The resize handler inside the sizing lays the mode out as ever: the curve buttons
        // come back beside the canvas.
        {"math drawing",
         [this] {
             m().imageWorkMode = false; // as in a run that opened no image mode before
             f1().Command10_Click();
         },
         "3 7 9 15 18 ; Command2 Command3 Command4 Command5 Command6 Command7 Command9 Command10",
         false},
        {"drop simulation", [this] { f1().Command8_Click(); }, "9 ; Command9 Command10", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        c.launcher();
        f2().unload();
        f1().Image1_Click();
        const QString caption = f2().Caption();
        background();

        f2().Command1(18).press();
        EXPECT_EQ(shown(), c.shown);
        EXPECT_EQ(f2().Command1(18).Caption(), QStringLiteral("还原"));
        EXPECT_EQ(rectOf(f2().Command1(3)).size(), QSize(1452, 372));
        EXPECT_EQ(f2().BorderStyle(), c.simulation ? 0 : 1);
        EXPECT_EQ(f2().Caption(), c.simulation ? QString() : caption);
        expectOnTheScreen();
        if (c.simulation) {
            pressEscape();
            continue;
        }

        f2().Command1(18).press();
        EXPECT_EQ(shown(), "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 ; Command2 Command3 "
                           "Command4 Command5 Command6 Command7 Command8 Command9 Command10 "
                           "Text10 Text11 Text12 Text13 Text2 Text3");
        EXPECT_EQ(f2().Command1(18).Caption(), QStringLiteral("全屏"));
        EXPECT_EQ(rectOf(f2().Command1(3)).size(), QSize(972, 732));
        EXPECT_EQ(f2().BorderStyle(), 1);
        EXPECT_EQ(f2().Caption(), QStringLiteral("Dorvel 画画"));
        // 90 % of the screen, laid out in proportion.
        EXPECT_EQ(rectOf(f2()), QRect(0, 0, 18441, 10368));
        EXPECT_EQ(rectOf(f2().Picture1), QRect(922, 994, 16597, 8188));
    }
}

TEST_F(FullScreen, TheWholeScreenCanvasesHideTheirButtonsUntilEsc) {
    struct Case {
        const char* what;
        std::function<void()> launcher, press;
        const char* shown;
        bool toolsAtEdge, pen; // afterwards
        bool moved;            // the tools to 1.2 button widths left of the right edge
    };
    const auto freehand = [this] { f1().Command12_Click(); };
    const auto fullCanvas = [this] { f2().Command1(19).press(); };
    const Case cases[] = {
        {"全画屏", freehand, fullCanvas, "14 15 16 17 19 21 ;", true, false, true},
        // The second use: a bare canvas, pre-saved, the pen on with width 2.
        {"全画屏 again", freehand,
         [&] {
             fullCanvas();
             fullCanvas();
         },
         ";", false, true, true},
        // A running preview keeps the canvas to itself.
        {"全画屏 over a preview", freehand,
         [&] {
             board().canvasToolsAtEdge = true;
             f2().Command1(20).press();
             fullCanvas();
         },
         ";", true, false, false},
        // A scale of its own, as an import leaves it: the background still fills it all.
        {"the math drawing's 全屏", [this] { f1().Command10_Click(); },
         [this] {
             f2().Picture1.Scale(0, 0, 3, 3);
             f2().Command10.press();
         },
         ";", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.launcher();
        board().canvasToolsAtEdge = false;
        // Whatever the mode held, a canvas ends outside the simulations.
        m().drawingMode = app::DrawingMode::DropSimulation;
        background();
        f2().Picture1.setDrawWidth(5);
        const int left = f2().Command1(19).Left();

        c.press();
        EXPECT_EQ(shown(), c.shown);
        EXPECT_EQ(board().canvasToolsAtEdge, c.toolsAtEdge);
        EXPECT_EQ(m().freehandMode && m().imagePresaved && f2().Picture1.AutoRedraw(), c.pen);
        EXPECT_EQ(f2().Picture1.DrawWidth(), c.pen ? 2 : 5);
        EXPECT_EQ(f2().Command1(19).Left(), c.moved ? kScreen.width() - 446 : left);
        EXPECT_TRUE(board().canvasKeysOn);
        EXPECT_FALSE(app::isSimulation(m().drawingMode) || m().fullCanvasOn);
        EXPECT_EQ(f2().BorderStyle(), 0);
        EXPECT_EQ(f2().Caption(), QString());
        expectOnTheScreen();
        pressEscape();
    }
}
