#include "board_fixture.h"
#include "vbrt/convert.h"

#include <QApplication>
#include <QKeyEvent>

using namespace testing_support;
using app::StrokePoint;

namespace {

constexpr vbrt::Colour kOn = 39168, kOff = 153;

class Freehand : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        f2().Picture1.Scale(0, 0, 1000, 1000);
        f2().penColor = vbrt::RGB(0, 0, 255);
        f2().Command1_Click(14);
    }
};

TEST_F(Freehand, PressTicksAndReleaseFillTheStore) {
    EXPECT_TRUE(m().freehandMode);
    EXPECT_EQ(f2().Command1(14).BackColor(), kOn);
    EXPECT_EQ(f2().Picture1.DrawWidth(), 2);

    drawStroke({{100, 100}, {200, 100}, {200, 300}});
    // A click without a tick keeps the press's point alone.
    drawStroke({{500, 500}});
    EXPECT_EQ(board().strokeCount, 2);
    EXPECT_EQ(board().strokeLenIndex, 2);
    EXPECT_EQ(board().pointCount, 0);
    EXPECT_EQ(board().strokes.strokesPerPage[0], 2);
    EXPECT_EQ(board().strokes.pointsPerStroke[0], 2);
    EXPECT_EQ(board().strokes.pointsPerStroke[1], 0);
    const double blue = vbrt::RGB(0, 0, 255);
    EXPECT_EQ(board().strokes.point(0, 0), (StrokePoint{100, 100, 0, 0}));
    EXPECT_EQ(board().strokes.point(0, 2), (StrokePoint{200, 300, blue, 2}));
    EXPECT_EQ(f2().originX, 500);
    // The pen's press names the target but leaves the readout to the moves.
    EXPECT_EQ(f1().Text1(15).Text(), QStringLiteral("500"));
    EXPECT_EQ(f1().Text1(15).SelStart(), 0) << "shown from its start";
    EXPECT_EQ(f2().Text1(0).Text(), QStringLiteral("200"));
    EXPECT_EQ(at(150, 100), vbrt::RGB(0, 0, 255));
    EXPECT_EQ(at(200, 200), vbrt::RGB(0, 0, 255));

    // The pen off: the counters start again, the strokes stay for the replay.
    f2().Command1_Click(14);
    EXPECT_EQ(f2().Command1(14).BackColor(), kOff);
    EXPECT_EQ(board().strokeCount + board().pointCount + board().strokeLenIndex, 0);
    EXPECT_EQ(board().strokes.strokesPerPage[0], 2);
}

TEST_F(Freehand, AStrokeEndsAtTheStoresLastPointAndPressesBeyondTheLastStrokeAreIgnored) {
    f2().Picture1_MouseDown(ui::LeftButton, 0, 10, 10);
    advance(40);
    EXPECT_FALSE(f2().Timer(13).Enabled());
    EXPECT_EQ(board().strokes.pointsPerStroke[0], app::StrokeStore::kLast);
    EXPECT_EQ(board().strokeCount, 1);
    // Its release has nothing left to end.
    f2().board.Picture1_MouseUp(ui::LeftButton, 0, 10, 10);
    EXPECT_EQ(board().strokeCount, 1);

    board().strokeCount = board().strokeLenIndex = app::StrokeStore::kLast + 1;
    f2().Picture1_MouseDown(ui::LeftButton, 0, 10, 10);
    EXPECT_FALSE(f2().Timer(13).Enabled());
}

TEST_F(Freehand, ReadoutsAndTheColourPick) {
    f2().Picture1.PSet(300, 300, vbrt::RGB(255, 0, 128));
    f2().board.Picture1_MouseMove(0, 0, 300, 300);
    EXPECT_EQ(f2().Text2.Text(), QStringLiteral("255__0__128"));
    EXPECT_EQ(f2().Text3.BackColor(), vbrt::RGB(255, 0, 128));
    f2().board.Picture1_MouseMove(0, 0, -50, 300);
    EXPECT_EQ(f2().Text2.Text(), QStringLiteral("255__255__255"));

    // While a picture is being sampled only the coordinates follow the pointer.
    m().imageSampled = true;
    f2().board.Picture1_MouseMove(0, 0, 300, 300);
    EXPECT_EQ(f2().Text1(0).Text(), QStringLiteral("300"));
    EXPECT_EQ(f2().Text2.Text(), QStringLiteral("255__255__255"));

    // Ctrl + right click takes the pen colour; with another key it does nothing.
    f2().board.Picture1_MouseUp(ui::RightButton, 0, 300, 300);
    EXPECT_EQ(f2().penColor, vbrt::RGB(0, 0, 255));
    dialogs.expectMsgBox(QStringLiteral("通过右键单击，获取像素值，将用此像素值作画。"),
                         QStringLiteral("Tessal Arvendel 之画画"), ui::vbOK, ui::vbOKOnly);
    f2().board.Picture1_MouseUp(ui::RightButton, ui::CtrlKey, 300, 300);
    EXPECT_EQ(f2().penColor, vbrt::RGB(255, 0, 128));
}

TEST_F(Freehand, ReplayDrawsOneStrokePerTickAndPassesOverClicks) {
    drawStroke({{100, 100}, {300, 100}});
    drawStroke({{500, 500}});
    drawStroke({{100, 700}, {300, 700}});
    f2().Picture1.Cls();
    ASSERT_NE(at(200, 100), vbrt::RGB(0, 0, 255));

    f2().Command1_Click(15);
    EXPECT_EQ(f2().Command1(15).BackColor(), kOn);
    QStringList shown;
    for (int tick = 0; tick < 4; ++tick) {
        advance(0.1);
        shown << f2().Text2.Text();
    }
    EXPECT_EQ(shown, (QStringList{"0", "1", "2", "3"}));
    EXPECT_FALSE(f2().Timer(14).Enabled());
    EXPECT_EQ(f2().Command1(14 + 1).BackColor(), kOff);
    EXPECT_EQ(at(200, 100), vbrt::RGB(0, 0, 255));
    EXPECT_EQ(at(200, 700), vbrt::RGB(0, 0, 255));
    EXPECT_NE(at(500, 500), vbrt::RGB(0, 0, 255));

    // Pressed again while it runs, it stops at once.
    f2().Command1_Click(15);
    f2().Command1_Click(15);
    EXPECT_FALSE(f2().Timer(14).Enabled());
}

TEST_F(Freehand, PenWidthsStayWithinTheirRange) {
    f2().Command1_Click(21);
    EXPECT_EQ(f2().Command1(21).Caption(), QStringLiteral("细"));
    EXPECT_EQ(f2().Picture1.DrawWidth(), 7);
    f2().Command1_Click(21);
    EXPECT_EQ(f2().Command1(21).Caption(), QStringLiteral("粗"));
    EXPECT_EQ(f2().Picture1.DrawWidth(), 2);

    const QString question = QStringLiteral(
        "是否要增加划线的宽度，如果选择“是”，则 线宽加1；如果选择“否”，则 线宽减1。");
    const struct {
        int width, answer, expected;
    } cases[] = {{70, ui::vbYes, 70}, {69, ui::vbYes, 70}, {1, ui::vbNo, 1}, {2, ui::vbNo, 1}};
    for (const auto& c : cases) {
        f2().Picture1.setDrawWidth(c.width);
        dialogs.expectMsgBox(question, QStringLiteral("Tessal"), c.answer, ui::vbYesNo);
        f2().board.jiajian();
        EXPECT_EQ(f2().Picture1.DrawWidth(), c.expected) << c.width;
    }

    // With the pen off, 粗 changes nothing.
    f2().Command1_Click(14);
    f2().Command1_Click(21);
    EXPECT_EQ(f2().Command1(21).Caption(), QStringLiteral("粗"));
}

TEST_F(Freehand, CtrlKeysActOnlyOnAPreSavedWholeScreenCanvas) {
    const struct {
        bool presaved, keysOn;
        int shift;
        bool acts;
    } cases[] = {{true, true, ui::CtrlKey, true},
                 {false, true, ui::CtrlKey, false},
                 {true, false, ui::CtrlKey, false},
                 {true, true, ui::CtrlKey | ui::ShiftKey, false}};
    for (const auto& c : cases) {
        m().imagePresaved = c.presaved;
        board().canvasKeysOn = c.keysOn;
        const bool before = m().freehandMode;
        f2().board.Picture1_KeyDown('H', c.shift);
        EXPECT_EQ(m().freehandMode != before, c.acts);
    }
    m().imagePresaved = board().canvasKeysOn = true;
    f2().board.Picture1_KeyDown('A', ui::CtrlKey);
    EXPECT_TRUE(f2().Timer(14).Enabled());
}

TEST_F(Freehand, EscLeavesTheWholeScreenCanvasFromItsOwnKeyHandler) {
    // Neither a whole-screen canvas nor the anti-missile scene: Esc does nothing.
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    QApplication::sendEvent(f2().Picture1.widget(), &esc);
    EXPECT_TRUE(f2().isLoaded());

    board().canvasKeysOn = m().imagePresaved = true;
    QApplication::sendEvent(f2().Picture1.widget(), &esc);
    EXPECT_FALSE(f2().isLoaded());
    EXPECT_FALSE(board().canvasKeysOn);
    EXPECT_FALSE(m().imagePresaved);
    QApplication::processEvents();
}

} // namespace
