#include "ui/control_array.h"
#include "ui/controls.h"
#include "ui/event_loop.h"
#include "ui/form.h"
#include "ui/timer.h"
#include "ui/waits.h"

#include "geometry_printers.h"
#include "text_printers.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using namespace ui;

namespace {
class Window : public Form {
public:
    Window() : Form(QStringLiteral("Window")) {
        Buttons.add(0, 1);
        Buttons.wire([this](CommandButton& b, int i) { b.onClick = [this, i] { clicked << i; }; });
    }
    CommandButton Go{this, "Go"};
    ControlArray<CommandButton> Buttons{this, "Buttons"};
    ui::Timer Tick{this, "Tick"};
    TextBox Box{this, "Box"};

    int loads = 0, queries = 0, unloads = 0, resizes = 0;
    int cancelClose = 0;
    QList<int> clicked;
    std::function<void()> duringUnload;

    void Form_Load() override { ++loads; }
    void Form_QueryUnload(int& cancel, int) override {
        ++queries;
        cancel = cancelClose;
    }
    void Form_Unload(int&) override {
        ++unloads;
        if (duringUnload)
            duringUnload();
    }
    void Form_Resize() override { ++resizes; }

protected:
    void design() override {
        designWindow(QStringLiteral("设计标题"), 0, 0, 6000, 4500, vbrt::RGB(192, 208, 192));
        Go.setCaption(QStringLiteral("开始"));
        Go.Move(120, 120, 1200, 495);
        Buttons(1).setVisible(false);
        Tick.setInterval(100);
        Tick.setEnabled(false);
    }
};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        EventLoop::instance().useVirtualTime(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    }
    void TearDown() override { EventLoop::instance().useRealTime(); }
    Window w;
};
} // namespace

TEST_F(FormTest, TouchingAControlDoesNotLoadTheWindow) {
    w.Go.setCaption(QStringLiteral("x"));
    w.Buttons(0).setVisible(false);
    EXPECT_FALSE(w.isLoaded());
    EXPECT_EQ(w.loads, 0);
    EXPECT_EQ(w.Go.widget(), nullptr);
}

TEST_F(FormTest, LoadAppliesTheDesignAndRunsFormLoadOnce) {
    w.Go.setCaption(QStringLiteral("set while unloaded"));
    w.show();
    w.show();
    EXPECT_EQ(w.loads, 1);
    EXPECT_EQ(w.Go.Caption(), QStringLiteral("开始"));
    EXPECT_EQ(w.Caption(), QStringLiteral("设计标题"));
    auto* button = qobject_cast<QPushButton*>(w.Go.widget());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("开始"));
    EXPECT_EQ(button->geometry(), QRect(8, 8, 80, 33)); // twips to pixels
    EXPECT_FALSE(w.Buttons(1).Visible());
    EXPECT_EQ(w.resizes, 1); // the first display lays the window out
}

TEST_F(FormTest, UnloadKeepsValuesMakesControlsInertAndNextLoadRestoresDesign) {
    w.show();
    w.Go.setCaption(QStringLiteral("改过"));
    w.Box.setText(QStringLiteral("typed"));
    w.unload();
    EXPECT_FALSE(w.isLoaded());
    EXPECT_EQ(w.unloads, 1);
    EXPECT_EQ(w.Go.widget(), nullptr);
    EXPECT_EQ(w.Go.Caption(), QStringLiteral("改过")); // values stay readable
    w.Go.setCaption(QStringLiteral("after unload"));   // and writable, without a widget
    w.Go.press();                                      // a routine still holding it: no crash
    w.unload();                                        // unloading again does nothing
    EXPECT_EQ(w.unloads, 1);
    w.show();
    EXPECT_EQ(w.Go.Caption(), QStringLiteral("开始"));
    EXPECT_EQ(w.Box.Text(), QString());
    EXPECT_EQ(w.loads, 2);
}

TEST_F(FormTest, CloseRequestGoesThroughQueryUnloadAndCanBeCancelled) {
    w.show();
    w.cancelClose = 1;
    EXPECT_FALSE(w.requestClose());
    EXPECT_TRUE(w.isLoaded());
    EXPECT_EQ(w.unloads, 0);
    w.cancelClose = 0;
    EXPECT_TRUE(w.requestClose());
    EXPECT_FALSE(w.isLoaded());
    EXPECT_EQ(w.queries, 2);
    EXPECT_EQ(w.unloads, 1);
}

TEST_F(FormTest, NestedUnloadDuringAPumpedWaitInTheUnloadHandlerIsIgnored) {
    w.show();
    ui::Timer outside;
    outside.setInterval(100);
    outside.onTimer = [&] { w.unload(); };
    w.duringUnload = [] { pumpedWait(1.0f); };
    w.unload();
    EXPECT_EQ(w.unloads, 1);
    EXPECT_EQ(w.queries, 1);
    EXPECT_FALSE(w.isLoaded());
}

TEST_F(FormTest, LoadGenerationTellsARoutineItsWindowWasReloaded) {
    w.show();
    const auto gen = w.loadGeneration();
    EXPECT_TRUE(w.stillLoaded(gen));
    w.unload();
    EXPECT_FALSE(w.stillLoaded(gen));
    w.show();
    EXPECT_FALSE(w.stillLoaded(gen)); // loaded again, but not the window the routine began in
}

TEST_F(FormTest, WindowTimersTickOnlyWhileLoadedAndComeBackAsDesigned) {
    int ticks = 0;
    w.Tick.onTimer = [&] { ++ticks; };
    w.show();
    w.Tick.setEnabled(true);
    EventLoop::instance().advance(0.35);
    EXPECT_EQ(ticks, 3);
    w.unload();
    EventLoop::instance().advance(1.0);
    EXPECT_EQ(ticks, 3);
    w.show();
    EXPECT_FALSE(w.Tick.Enabled());
    EventLoop::instance().advance(1.0);
    EXPECT_EQ(ticks, 3);
}

TEST_F(FormTest, ControlArraysShareAHandlerAndRuntimeElementsGoWithTheWindow) {
    w.show();
    w.Buttons(1).press();
    w.Buttons(0).press();
    CommandButton& extra = w.Buttons.load(5);
    EXPECT_FALSE(extra.Visible());
    extra.press();
    EXPECT_EQ(w.clicked, (QList<int>{1, 0, 5}));
    EXPECT_THROW(w.Buttons.load(5), vbrt::RuntimeError);
    EXPECT_THROW(w.Buttons.unload(0), vbrt::RuntimeError); // design-time elements stay
    w.unload();
    EXPECT_FALSE(w.Buttons.exists(5));
    EXPECT_TRUE(w.Buttons.exists(1));
    EXPECT_THROW(w.Buttons(7), vbrt::RuntimeError);
}

TEST_F(FormTest, MovingAShownWindowRunsItsResizeHandlerWhenTheSizeChanges) {
    w.show();
    EXPECT_EQ(w.resizes, 1);
    w.Move(100, 100, 6000, 4500); // same size
    EXPECT_EQ(w.resizes, 1);
    w.setWidth(9000);
    EXPECT_EQ(w.resizes, 2);
    EXPECT_EQ(w.ScaleWidth(), 9000 - Form::kFrameWidth);
    w.setWindowState(Maximized);
    EXPECT_EQ(w.resizes, 3);
    w.setWindowState(Normal);
    EXPECT_EQ(w.Width(), 9000);
}

TEST_F(FormTest, TextBoxesKeepCrLfLinesAndKeyPressCanSwallowOrChangeKeys) {
    w.show();
    int changes = 0;
    w.Box.onChange = [&] { ++changes; };
    w.Box.onKeyPress = [](int& key) {
        if (key == 'x')
            key = 0;
        else if (key >= 'a' && key <= 'z')
            key -= 32;
    };
    w.Box.type(QStringLiteral("axb"));
    EXPECT_EQ(w.Box.Text(), QStringLiteral("AB"));
    EXPECT_EQ(changes, 2);
    w.Box.setText(QStringLiteral("AB"));
    EXPECT_EQ(changes, 2); // the same text is no change
}

TEST_F(FormTest, TheTextABoxShowsIsTheTextTheProgramReadsAndEachChangeFiresOnce) {
    w.show();
    int changes = 0;
    w.Box.onChange = [&] { ++changes; };
    auto* edit = qobject_cast<QLineEdit*>(w.Box.widget());
    ASSERT_NE(edit, nullptr);

    // A screen reader or an on-screen keyboard sets the text through the widget.
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(edit);
    ASSERT_NE(access, nullptr);
    access->setText(QAccessible::Value, QStringLiteral("42"));
    EXPECT_EQ(w.Box.Text(), QStringLiteral("42"));
    EXPECT_EQ(changes, 1);
    edit->setText(QStringLiteral("43"));
    EXPECT_EQ(w.Box.Text(), QStringLiteral("43"));
    EXPECT_EQ(changes, 2);

    // A key typed, a paste: one change each.
    QTest::keyClick(edit, Qt::Key_5);
    EXPECT_EQ(w.Box.Text(), QStringLiteral("435"));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(w.Box.SelStart(), 3) << "the caret after what was typed";
    edit->selectAll();
    edit->insert(QStringLiteral("7"));
    EXPECT_EQ(w.Box.Text(), QStringLiteral("7"));
    EXPECT_EQ(changes, 4);

    // The program's own text shows from its start, sign first, and fires once.
    w.Box.setText(QStringLiteral("-6407.487062"));
    EXPECT_EQ(edit->text(), QStringLiteral("-6407.487062"));
    EXPECT_EQ(edit->cursorPosition(), 0);
    EXPECT_EQ(changes, 5);
}

TEST_F(FormTest, ACloseHandlerThatFailsLeavesTheWindowOpenAndClosableLater) {
    w.show();
    w.duringUnload = [] { vbrt::raise(vbrt::ErrPathAccess); };
    EXPECT_THROW(w.unload(), vbrt::RuntimeError);
    EXPECT_TRUE(w.isLoaded());
    EXPECT_FALSE(w.isUnloading());
    w.duringUnload = nullptr;
    w.unload();
    EXPECT_FALSE(w.isLoaded());
    w.show();
    EXPECT_EQ(w.loads, 2);
}

// What the window manager reports when the user drags or sizes the frame. Offscreen windows
// have no frame, so the assumed one stays.
TEST_F(FormTest, AWindowDraggedByItsFrameKeepsItsPositionInStep) {
    w.show();
    w.window()->windowHandle()->setFramePosition(QPoint(100, 50));
    QCoreApplication::processEvents();
    EXPECT_EQ(QPoint(w.Left(), w.Top()), QPoint(1500, 750));
    EXPECT_EQ(QSize(w.Width(), w.Height()), QSize(6000, 4500));
    EXPECT_EQ(w.resizes, 1); // moving is no resize
}

TEST_F(FormTest, AWindowSizedByItsFrameTakesTheNewSizeAndLaysItselfOut) {
    w.show();
    w.window()->windowHandle()->resize(QSize(500, 400));
    QCoreApplication::processEvents();
    EXPECT_EQ(QSize(w.Width(), w.Height()),
              QSize(7500 + Form::kFrameWidth, 6000 + Form::kFrameHeight));
    EXPECT_EQ(QSize(w.ScaleWidth(), w.ScaleHeight()), QSize(7500, 6000));
    EXPECT_EQ(w.resizes, 2);
}
