#include "app/module1.h"
#include "app_fixture.h"
#include "platform/media_backend.h"
#include "platform/media_player.h"
#include "shell/form1.h"
#include "shell/forms.h"
#include "shell/video_player.h"

#include <QApplication>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollBar>

using namespace testing_support;
using State = platform::MediaBackend::State;

namespace {

class Form1Video : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        media = platform::installRecordingMediaBackend();
        installAsset(QStringLiteral("22.bmp"));
        f1().show();
    }
    void TearDown() override {
        AppTest::TearDown();
        platform::resetMediaBackendFactory();
    }
    shell::Form1& f1() { return shell::form1(); }
    platform::MediaPlayer& player() { return f1().video.player(); }
    platform::RecordingMediaBackend& backend() {
        return dynamic_cast<platform::RecordingMediaBackend&>(player().backend());
    }
    // Opens a video of `duration` seconds playing at `position`.
    void open(double duration, double position = 0) {
        dialogs.expectOpenFile(path(QStringLiteral("film.avi")));
        f1().Command14.press();
        backend().simulateDuration(duration);
        backend().simulatePosition(position);
        backend().clearCalls();
    }
    void tick() { advance(0.618); }
    // A mouse click on the video surface, as the window system delivers it.
    void clickVideo(Qt::MouseButton button, bool twice = false) {
        QWidget* w = f1().WindowsMediaPlayer1.widget();
        ASSERT_NE(w, nullptr);
        const QPointF at(10, 10);
        QList<QEvent::Type> events{QEvent::MouseButtonPress, QEvent::MouseButtonRelease};
        if (twice)
            events << QEvent::MouseButtonDblClick << QEvent::MouseButtonRelease;
        for (QEvent::Type t : events) {
            QMouseEvent e(t, at, at, button,
                          t == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
            QApplication::sendEvent(w, &e);
        }
    }

    std::shared_ptr<platform::MediaCallLog> media;
};

} // namespace

TEST_F(Form1Video, BothOpenButtonsShowTheChosenFileInPlaceOfThePicture) {
    for (ui::CommandButton* button : {&f1().Command14, &f1().Command15}) {
        const QString file = path(button->name() + QStringLiteral(".avi"));
        f1().CommonDialog1.FileName = QStringLiteral("left over");
        dialogs.expectOpenFile(file);
        button->press();
        EXPECT_EQ(dialogs.filters.last(), QStringLiteral("所有文件|*.*"));
        EXPECT_EQ(player().URL(), file);
        EXPECT_EQ(backend().source(), file);
        EXPECT_EQ(player().playState(), platform::MediaPlayer::PlayStatePlaying);
        EXPECT_EQ(player().uiMode(), QStringLiteral("none"));
        EXPECT_EQ(player().settings().volume(), 62);
        EXPECT_TRUE(f1().WindowsMediaPlayer1.Visible());
        EXPECT_EQ(f1().WindowsMediaPlayer1.widget(), player().videoWidget());
        EXPECT_TRUE(f1().HScroll1.Visible());
        EXPECT_TRUE(f1().Timer3.Enabled());
        EXPECT_FALSE(f1().Picture1.Visible());
    }
}

TEST_F(Form1Video, NoPlayerIsMadeBeforeAVideoIsOpened) {
    EXPECT_TRUE(media->backends().isEmpty());
    EXPECT_EQ(f1().WindowsMediaPlayer1.widget(), nullptr);

    dialogs.expectOpenFile(path(QStringLiteral("film.avi")));
    f1().Command14.press();
    ASSERT_EQ(media->backends().size(), 1);
    QWidget* video = f1().WindowsMediaPlayer1.widget();
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video, player().videoWidget());
    EXPECT_EQ(video->parentWidget(), f1().window());
    EXPECT_EQ(video->geometry(), f1().Picture1.widget()->geometry());
    EXPECT_TRUE(video->isVisibleTo(f1().window()));
}

TEST_F(Form1Video, ACancelledOpenChangesNothing) {
    dialogs.expectOpenFile(std::nullopt);
    f1().video.Command14_Click();
    EXPECT_TRUE(media->calls().filter(QStringLiteral("setSource")).isEmpty());
    EXPECT_FALSE(f1().WindowsMediaPlayer1.Visible());
    EXPECT_TRUE(f1().Picture1.Visible());
    EXPECT_FALSE(f1().Timer3.Enabled());

    open(100, 50);
    dialogs.expectOpenFile(std::nullopt);
    f1().video.Command15_Click();
    EXPECT_TRUE(f1().WindowsMediaPlayer1.Visible()) << "the video view stays";
    EXPECT_TRUE(backend().calls().isEmpty());
}

TEST_F(Form1Video, TheTickMovesTheBarWithThePlayingPosition) {
    struct Case {
        double duration, position;
        int bar;
    };
    open(100);
    for (const Case& c : {Case{100, 25, 8191}, Case{100, 0, 0}, Case{100, 100, 32767},
                          Case{100, 130, 32767}, Case{7.3, 3.0, 13465}}) {
        backend().simulateDuration(c.duration);
        backend().simulatePosition(c.position);
        tick();
        EXPECT_EQ(f1().HScroll1.Value(), c.bar) << c.position << " of " << c.duration;
        EXPECT_EQ(int(f1().video.seekBarValue()), c.bar);
    }
    // The bar's own change inside the tick is no seek.
    EXPECT_TRUE(backend().calls().isEmpty()) << backend().calls().join(",").toStdString();
    EXPECT_TRUE(f1().Timer3.Enabled());
}

TEST_F(Form1Video, WithoutALengthTheBarStaysAndStoppedEndsTheTracking) {
    open(100, 50);
    tick();
    ASSERT_EQ(f1().HScroll1.Value(), 16383);
    backend().simulateDuration(0); // not known (yet)
    backend().simulatePosition(90);
    tick();
    EXPECT_EQ(f1().HScroll1.Value(), 16383);
    EXPECT_TRUE(f1().Timer3.Enabled());

    backend().simulateDuration(100);
    backend().simulateState(State::Stopped);
    tick();
    EXPECT_EQ(f1().HScroll1.Value(), 29490) << "the stopping tick still moves the bar";
    EXPECT_FALSE(f1().Timer3.Enabled());
    advance(3);
    EXPECT_EQ(f1().HScroll1.Value(), 29490);
}

TEST_F(Form1Video, MovesWithinTwoHundredOfTheBarAreNoSeek) {
    // One second of media per step of the bar: the bar sits exactly on 10000.
    open(32767, 10000);
    tick();
    ASSERT_EQ(f1().video.seekBarValue(), 10000);
    for (int v : {10200, 9800, 10000, 10150}) {
        f1().HScroll1.setValue(v);
        EXPECT_TRUE(backend().calls().isEmpty()) << v;
        EXPECT_TRUE(f1().Timer3.Enabled()) << v;
    }
    for (int v : {10201, 9799}) {
        backend().clearCalls();
        backend().simulateState(State::Playing);
        f1().HScroll1.setValue(v);
        EXPECT_EQ(backend().calls(),
                  QStringList({"pause", QStringLiteral("setPosition:%1").arg(v), "play"}));
        EXPECT_DOUBLE_EQ(f1().video.seekFraction(), v / 32767.0);
        EXPECT_EQ(player().playState(), platform::MediaPlayer::PlayStatePlaying);
        EXPECT_TRUE(f1().Timer3.Enabled());
        EXPECT_EQ(f1().video.seekBarValue(), 10000) << "the next tick sets it";
    }
}

TEST_F(Form1Video, SeekTargetsAreRoundedToSixDecimals) {
    struct Case {
        double duration;
        int bar;
        double target;
    };
    for (const Case& c : {Case{7.3, 20000, 4.455702}, Case{100, 8392, 25.611133},
                          Case{7.3, 32767, 7.3}, Case{100, 32767, 100}, Case{100, 0, 0}}) {
        open(c.duration, c.bar == 0 ? 50 : 0);
        tick();
        f1().HScroll1.setValue(c.bar);
        EXPECT_DOUBLE_EQ(backend().position(), c.target) << c.bar << " of " << c.duration;
        EXPECT_TRUE(backend().calls().contains(QStringLiteral("play")));
    }
}

TEST_F(Form1Video, SeekingWhileThePlayerIsInAnotherStateOnlyStopsTheTracking) {
    open(100, 10);
    tick();
    backend().simulateError(QStringLiteral("cannot decode"));
    backend().clearCalls();
    f1().HScroll1.setValue(30000);
    EXPECT_TRUE(backend().calls().isEmpty());
    EXPECT_FALSE(f1().Timer3.Enabled());
    EXPECT_DOUBLE_EQ(f1().video.seekFraction(), 30000.0 / 32767);
}

TEST_F(Form1Video, AMediaOfUnknownLengthSeeksToItsStart) {
    open(0, 3);
    backend().simulateState(State::Playing);
    f1().HScroll1.setValue(20000);
    EXPECT_EQ(backend().calls(), QStringList({"pause", "setPosition:0", "play"}));
    EXPECT_TRUE(f1().Timer3.Enabled());
}

TEST_F(Form1Video, DraggingTheThumbSeeksOnceWhereItIsLetGo) {
    open(32767, 0);
    tick();
    backend().simulateState(State::Playing);
    auto* bar = qobject_cast<QScrollBar*>(f1().HScroll1.widget());
    ASSERT_NE(bar, nullptr);
    bar->setSliderDown(true);
    for (int v = 1000; v <= 9000; v += 1000)
        bar->setSliderPosition(v);
    EXPECT_TRUE(backend().calls().isEmpty());
    EXPECT_EQ(f1().HScroll1.Value(), 0);
    bar->setSliderDown(false);
    EXPECT_EQ(backend().calls(), QStringList({"pause", "setPosition:9000", "play"}));
    EXPECT_EQ(f1().HScroll1.Value(), 9000);
}

TEST_F(Form1Video, WithNothingLoadedTheBarDoesNothing) {
    f1().Timer3.setEnabled(true);
    f1().HScroll1.setValue(20000);
    EXPECT_TRUE(media->calls().filter(QRegularExpression("pause|play|setPosition")).isEmpty());
    EXPECT_TRUE(f1().Timer3.Enabled());
    tick();
    EXPECT_EQ(f1().HScroll1.Value(), 20000);
}

TEST_F(Form1Video, LeftClicksPauseAndResumeAndSeeksDoNotResetTheAlternation) {
    open(100, 25);
    tick();
    clickVideo(Qt::LeftButton);
    EXPECT_EQ(player().playState(), platform::MediaPlayer::PlayStatePaused);
    EXPECT_EQ(f1().WindowsMediaPlayer1.ToolTipText(), QStringLiteral("pause"));
    EXPECT_EQ(f1().WindowsMediaPlayer1.widget()->toolTip(), QStringLiteral("pause"));

    clickVideo(Qt::RightButton);
    EXPECT_EQ(player().playState(), platform::MediaPlayer::PlayStatePaused);

    clickVideo(Qt::LeftButton);
    EXPECT_EQ(player().playState(), platform::MediaPlayer::PlayStatePlaying);
    EXPECT_EQ(f1().WindowsMediaPlayer1.ToolTipText(), QString());

    // Pause, then a seek resumes playing; the next click "resumes", the one after pauses.
    clickVideo(Qt::LeftButton);
    f1().HScroll1.setValue(20000);
    EXPECT_EQ(player().playState(), platform::MediaPlayer::PlayStatePlaying);
    EXPECT_EQ(f1().WindowsMediaPlayer1.ToolTipText(), QString());
    backend().clearCalls();
    clickVideo(Qt::LeftButton);
    EXPECT_EQ(backend().calls(), QStringList({"play"}));
    clickVideo(Qt::LeftButton);
    EXPECT_EQ(player().playState(), platform::MediaPlayer::PlayStatePaused);

    // Opening another video keeps the alternation too.
    open(50);
    clickVideo(Qt::LeftButton);
    EXPECT_EQ(backend().calls(), QStringList({"play"}));
}

TEST_F(Form1Video, EverySecondLeftDoubleClickSetsNoControls) {
    open(100);
    struct Step {
        Qt::MouseButton button;
        const char* before;
        const char* after;
    };
    for (const Step& s :
         {Step{Qt::LeftButton, "full", "none"}, Step{Qt::LeftButton, "full", "full"},
          Step{Qt::RightButton, "mini", "mini"}, Step{Qt::LeftButton, "full", "none"}}) {
        player().setUiMode(QString::fromLatin1(s.before));
        clickVideo(s.button, true);
        EXPECT_EQ(player().uiMode(), QString::fromLatin1(s.after));
    }
}

TEST_F(Form1Video, ThePlayerOutlivesAnUnloadAndShowsOnTheNextLoad) {
    open(100, 10);
    platform::MediaPlayer* before = &player();
    app::module1().quitConfirmed = true; // no question on the way out
    f1().unload();
    ASSERT_FALSE(f1().isLoaded());
    EXPECT_EQ(player().URL(), backend().source()) << "an unload is no close of the media";

    installAsset(QStringLiteral("22.bmp"));
    f1().show();
    EXPECT_EQ(&player(), before);
    ASSERT_NE(f1().WindowsMediaPlayer1.widget(), nullptr);
    EXPECT_EQ(f1().WindowsMediaPlayer1.widget(), player().videoWidget());
    EXPECT_EQ(backend().videoOutput(), player().videoWidget());
    EXPECT_FALSE(f1().WindowsMediaPlayer1.Visible()) << "the start-up hides it again";
}
