// Windows as a window manager frames them. These run on X under openbox, through
// tests/ui/run_with_window_manager; anywhere else they skip and say why.

#include "ui/form.h"
#include "ui/twips.h"

#include "geometry_printers.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

using namespace ui;

namespace {

constexpr int kFrameWaitMs = 10000; // a window manager that frames nothing within this is broken
constexpr int kSettleWaitMs = 3000;
constexpr int kSettlePollMs = 20;
constexpr int kSettledPolls = 4;

bool framed(const QWidget* w) {
    return w->frameGeometry() != w->geometry();
}

// Runs events until the window's frame and inner area have stopped changing for a few polls:
// the window manager answers each request with its own configure events.
void settle(const QWidget* w) {
    QElapsedTimer clock;
    clock.start();
    QRect frame = w->frameGeometry(), inner = w->geometry();
    int same = 0;
    while (same < kSettledPolls && clock.elapsed() < kSettleWaitMs) {
        QTest::qWait(kSettlePollMs);
        const bool unchanged = w->frameGeometry() == frame && w->geometry() == inner;
        same = unchanged ? same + 1 : 0;
        frame = w->frameGeometry();
        inner = w->geometry();
    }
}

class Window : public Form {
public:
    Window() : Form(QStringLiteral("Framed")) {}
    int resizes = 0;
    QSize laidOutFor; // the inner area the last Form_Resize saw
    void Form_Resize() override {
        ++resizes;
        laidOutFor = QSize(ScaleWidth(), ScaleHeight());
    }

protected:
    void design() override {
        designWindow(QStringLiteral("框架"), 1500, 750, 6000, 4500, vbrt::RGB(192, 208, 192));
    }
};

class WindowFrame : public ::testing::Test {
protected:
    void SetUp() override {
        const QByteArray missing = qgetenv("TESSAL_NO_WINDOW_MANAGER");
        if (!missing.isEmpty())
            GTEST_SKIP() << "needs a window manager: " << missing.constData();
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs a window manager: run through tests/ui/run_with_window_manager";
        w.show();
        win = w.window();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(win));
        ASSERT_TRUE(QTest::qWaitFor([this] { return framed(win); }, kFrameWaitMs))
            << "the window manager gave the window no frame";
        settle(win);
    }
    void TearDown() override { w.unload(); }

    QSize frameTwips() const {
        const QSize frame = win->frameGeometry().size() - win->size();
        return {pixelsToTwips(frame.width()), pixelsToTwips(frame.height())};
    }

    Window w;
    QWidget* win = nullptr;
};

} // namespace

TEST_F(WindowFrame, TheFrameStartsWhereTheProgramPutsTheWindow) {
    EXPECT_EQ(win->frameGeometry(), QRect(100, 50, 400, 300)); // as designed, once framed

    w.Move(0, 0, 6000, 4500);
    settle(win);
    EXPECT_EQ(win->frameGeometry(), QRect(0, 0, 400, 300)); // caption and close box on screen
    EXPECT_LT(win->width(), 400);
    EXPECT_LT(win->height(), 300);

    w.Move(1500, 750, 6000, 4500);
    settle(win);
    EXPECT_EQ(win->frameGeometry().topLeft(), QPoint(100, 50));
}

TEST_F(WindowFrame, TheRealFrameLeavesTheInnerAreaAndTheLayoutFollows) {
    EXPECT_EQ(QSize(w.Width(), w.Height()), QSize(6000, 4500)); // the outer size stays
    EXPECT_NE(frameTwips(), QSize(Form::kFrameWidth, Form::kFrameHeight))
        << "this window manager's frame is the assumed one: nothing here is tested";
    EXPECT_EQ(QSize(w.ScaleWidth(), w.ScaleHeight()), QSize(6000, 4500) - frameTwips());
    EXPECT_EQ(pixelsToTwips(win->width()), w.ScaleWidth());
    EXPECT_EQ(pixelsToTwips(win->height()), w.ScaleHeight());
    EXPECT_EQ(w.laidOutFor, QSize(w.ScaleWidth(), w.ScaleHeight()));
}

TEST_F(WindowFrame, AFrameMovedOrSizedOutsideTheProgramKeepsTheGeometryInStep) {
    win->windowHandle()->setFramePosition(QPoint(60, 40));
    settle(win);
    EXPECT_EQ(QPoint(w.Left(), w.Top()), QPoint(900, 600));
    EXPECT_EQ(QSize(w.Width(), w.Height()), QSize(6000, 4500));

    const int resizesBefore = w.resizes;
    win->windowHandle()->resize(QSize(300, 200));
    settle(win);
    EXPECT_EQ(QSize(w.Width(), w.Height()), QSize(4500, 3000) + frameTwips());
    EXPECT_EQ(w.resizes, resizesBefore + 1);
    EXPECT_EQ(w.laidOutFor, QSize(4500, 3000));
}

TEST_F(WindowFrame, AFixedBorderHoldsTheOuterSize) {
    w.setBorderStyle(1); // the window manager may frame a window of fixed size differently
    settle(win);
    EXPECT_EQ(win->frameGeometry(), QRect(100, 50, 400, 300));

    w.Move(0, 0, 7500, 6000);
    settle(win);
    EXPECT_EQ(win->frameGeometry(), QRect(0, 0, 500, 400));
    EXPECT_EQ(win->minimumSize(), win->size());
    EXPECT_EQ(win->maximumSize(), win->size());
}

TEST_F(WindowFrame, AWindowPlacedWhileHiddenShowsItsFrameThere) {
    w.hide();
    settle(win);
    w.Move(0, 0, 7500, 6000);
    w.show();
    // The frame of the earlier showing is there at once; the new place comes when the window
    // manager has mapped the window again, which on a busy machine takes a while.
    (void)QTest::qWaitFor([this] { return win->frameGeometry() == QRect(0, 0, 500, 400); },
                          kFrameWaitMs);
    settle(win);
    EXPECT_EQ(win->frameGeometry(), QRect(0, 0, 500, 400));
}

TEST_F(WindowFrame, AMaximisedOrMinimisedWindowComesBackInItsFrame) {
    for (const int state : {Maximized, Minimized}) {
        SCOPED_TRACE(state);
        w.setWindowState(state);
        settle(win);
        w.setWindowState(Normal);
        settle(win);
        EXPECT_EQ(win->frameGeometry(), QRect(100, 50, 400, 300));
        EXPECT_EQ(QRect(w.Left(), w.Top(), w.Width(), w.Height()), QRect(1500, 750, 6000, 4500));
    }
}

TEST_F(WindowFrame, AWindowWithoutABorderIsAllInnerAreaWhereTheProgramPutsIt) {
    w.Move(0, 0, 7500, 6000);
    w.setBorderStyle(0);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !framed(win) && win->isVisible(); }, kFrameWaitMs));
    settle(win);
    EXPECT_EQ(win->frameGeometry(), QRect(0, 0, 500, 400));
    EXPECT_EQ(win->geometry(), QRect(0, 0, 500, 400));

    w.setBorderStyle(1);
    ASSERT_TRUE(QTest::qWaitFor([this] { return framed(win); }, kFrameWaitMs));
    settle(win);
    EXPECT_EQ(win->frameGeometry(), QRect(0, 0, 500, 400));
}
