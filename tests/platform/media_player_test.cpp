#include "platform/media_player.h"
#include "support/pump_until.h"

#include <QApplication>
#include <QDataStream>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace platform;
using State = MediaBackend::State;
using testing_support::pumpUntil;

namespace {

class RecordingPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { log = installRecordingMediaBackend(); }
    void TearDown() override { resetMediaBackendFactory(); }

    RecordingMediaBackend& backendOf(MediaPlayer& player) {
        return dynamic_cast<RecordingMediaBackend&>(player.backend());
    }

    std::shared_ptr<MediaCallLog> log;
};

} // namespace

TEST_F(RecordingPlayerTest, SettingTheUrlLoadsAndStartsPlaying) {
    MediaPlayer player;
    EXPECT_EQ(player.playState(), MediaPlayer::PlayStateUndefined);
    EXPECT_EQ(player.settings().volume(), 50);
    EXPECT_EQ(player.uiMode(), "full");

    player.setURL("/films/orbit.avi");
    EXPECT_EQ(player.URL(), "/films/orbit.avi");
    EXPECT_EQ(player.playState(), MediaPlayer::PlayStatePlaying);
    EXPECT_EQ(log->calls(), QStringList({"setVolume:50", "setSource:/films/orbit.avi", "play"}));
    EXPECT_EQ(log->last(), &player.backend());
}

TEST_F(RecordingPlayerTest, BackendStatesMapToPlayStates) {
    MediaPlayer player;
    QList<int> emitted;
    QObject::connect(&player, &MediaPlayer::playStateChanged,
                     [&emitted](int state) { emitted.append(state); });
    player.setURL("/a.wav");
    EXPECT_EQ(emitted, QList<int>({3})) << "loading must not pass through stopped";
    RecordingMediaBackend& backend = backendOf(player);

    struct Case {
        State state;
        int playState;
    };
    for (const Case c : {Case{State::Paused, 2}, Case{State::Stopped, 1}, Case{State::Playing, 3},
                         Case{State::Error, 10}}) {
        backend.simulateState(c.state);
        EXPECT_EQ(player.playState(), c.playState);
    }
    EXPECT_EQ(emitted, QList<int>({3, 2, 1, 3, 10}));
}

TEST_F(RecordingPlayerTest, ErrorIsAStateUntilTheNextUrl) {
    MediaPlayer player;
    player.setURL("/sounds/2.wma");
    backendOf(player).simulateError("no audio output device");
    EXPECT_TRUE(player.errorState());
    EXPECT_GT(player.playState(), MediaPlayer::PlayStatePlaying);
    EXPECT_EQ(player.lastError(), "no audio output device");

    player.controls().play();
    EXPECT_TRUE(player.errorState()) << "play cannot clear a failure of the media";

    player.setURL("/sounds/1.wav");
    EXPECT_FALSE(player.errorState());
    EXPECT_EQ(player.lastError(), "");
    EXPECT_EQ(player.playState(), MediaPlayer::PlayStatePlaying);
}

TEST_F(RecordingPlayerTest, ControlsReachTheBackendAndReadBackInSeconds) {
    MediaPlayer player;
    player.setURL("/films/clip.mp4");
    RecordingMediaBackend& backend = backendOf(player);
    backend.simulateDuration(42.25);
    backend.clearCalls();

    player.controls().pause();
    EXPECT_EQ(player.playState(), MediaPlayer::PlayStatePaused);
    player.controls().setCurrentPosition(12.5);
    EXPECT_DOUBLE_EQ(player.controls().currentPosition(), 12.5);
    EXPECT_DOUBLE_EQ(player.currentMedia().duration(), 42.25);
    player.controls().play();
    player.controls().stop();
    EXPECT_EQ(player.playState(), MediaPlayer::PlayStateStopped);
    EXPECT_DOUBLE_EQ(player.controls().currentPosition(), 0.0);
    player.controls().setCurrentPosition(-3);
    EXPECT_EQ(backend.calls(),
              QStringList({"pause", "setPosition:12.5", "play", "stop", "setPosition:0"}));
}

TEST_F(RecordingPlayerTest, VolumeStaysOnTheZeroToHundredScale) {
    MediaPlayer player;
    struct Case {
        int given;
        int kept;
    };
    for (const Case c : {Case{62, 62}, Case{100, 100}, Case{150, 100}, Case{-5, 0}}) {
        player.settings().setVolume(c.given);
        EXPECT_EQ(player.settings().volume(), c.kept);
        EXPECT_EQ(backendOf(player).volume(), c.kept);
    }
}

TEST_F(RecordingPlayerTest, CloseUnloadsAndReportsNothingLoaded) {
    MediaPlayer player;
    player.setURL("/films/clip.mp4");
    backendOf(player).simulateDuration(8);
    backendOf(player).simulatePosition(3);
    log->clear();

    player.close();
    EXPECT_EQ(player.playState(), MediaPlayer::PlayStateUndefined);
    EXPECT_EQ(player.URL(), "");
    EXPECT_DOUBLE_EQ(player.currentMedia().duration(), 0.0);
    EXPECT_DOUBLE_EQ(player.controls().currentPosition(), 0.0);
    EXPECT_EQ(log->calls(), QStringList({"stop", "setSource:"}));

    // Seeking with nothing loaded is ignored rather than sent to the backend.
    player.controls().setCurrentPosition(4);
    EXPECT_EQ(log->calls().size(), 2);
}

TEST_F(RecordingPlayerTest, UiModeIsKept) {
    MediaPlayer player;
    for (const QString mode : {"none", "mini", "invisible", "full"}) {
        player.setUiMode(mode);
        EXPECT_EQ(player.uiMode(), mode);
    }
}

TEST_F(RecordingPlayerTest, VideoWidgetBelongsToTheFormAndReportsClicks) {
    MediaPlayer player;
    auto form = std::make_unique<QWidget>();
    QWidget* video = player.createVideoWidget(form.get());
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->parentWidget(), form.get());
    EXPECT_EQ(player.createVideoWidget(form.get()), video);
    EXPECT_EQ(backendOf(player).videoOutput(), video);

    QList<int> clicks, doubleClicks;
    QObject::connect(&player, &MediaPlayer::clicked, [&](int b) { clicks.append(b); });
    QObject::connect(&player, &MediaPlayer::doubleClicked, [&](int b) { doubleClicks.append(b); });
    const QPointF at(5, 5);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(video, &release);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, at, Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QApplication::sendEvent(video, &twice);
    EXPECT_EQ(clicks, QList<int>({1}));
    EXPECT_EQ(doubleClicks, QList<int>({2}));

    form.reset();
    EXPECT_EQ(player.videoWidget(), nullptr);
    EXPECT_EQ(backendOf(player).videoOutput(), nullptr);
}

// ---- Qt Multimedia, for real ----

namespace {

// A mono 16-bit PCM RIFF file with a 440 Hz tone.
void writeToneWav(const QString& path, int milliseconds) {
    constexpr int rate = 22050;
    const int samples = rate * milliseconds / 1000;
    QByteArray pcm;
    QDataStream out(&pcm, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (int i = 0; i < samples; ++i)
        out << qint16(std::lround(8000 * std::sin(2 * std::numbers::pi * 440 * i / rate)));

    QByteArray file;
    QDataStream wav(&file, QIODevice::WriteOnly);
    wav.setByteOrder(QDataStream::LittleEndian);
    wav.writeRawData("RIFF", 4);
    wav << quint32(36 + pcm.size());
    wav.writeRawData("WAVEfmt ", 8);
    wav << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
        << quint16(2) << quint16(16);
    wav.writeRawData("data", 4);
    wav << quint32(pcm.size());
    wav.writeRawData(pcm.constData(), int(pcm.size()));

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(file), file.size());
}

} // namespace

TEST(QtMediaPlayerTest, MissingFileIsAnErrorState) {
    resetMediaBackendFactory();
    QTemporaryDir dir;
    MediaPlayer player;
    player.setURL(dir.filePath("3.wav"));
    EXPECT_TRUE(player.errorState());
    EXPECT_EQ(player.playState(), MediaPlayer::PlayStateReady);
    EXPECT_TRUE(player.lastError().contains("3.wav"));
    player.close();
    EXPECT_FALSE(player.errorState());
    EXPECT_EQ(player.playState(), MediaPlayer::PlayStateUndefined);
}

TEST(QtMediaPlayerTest, ShortWavPlaysToTheEndOrReportsWhyNot) {
    resetMediaBackendFactory();
    QTemporaryDir dir;
    const QString path = dir.filePath("tone.wav");
    writeToneWav(path, 300);

    MediaPlayer player;
    QList<int> states;
    QObject::connect(&player, &MediaPlayer::playStateChanged,
                     [&states](int s) { states.append(s); });
    player.settings().setVolume(10);
    player.setURL(path);
    // Without a sound device some backends play on silently and never reach the end; playing
    // is then as far as it gets.
    pumpUntil(
        [&] { return player.errorState() || player.playState() == MediaPlayer::PlayStateStopped; });
    if (player.errorState()) {
        EXPECT_EQ(player.playState(), MediaPlayer::PlayStateReady);
        EXPECT_FALSE(player.lastError().isEmpty());
        return;
    }
    ASSERT_FALSE(states.isEmpty());
    EXPECT_EQ(states.front(), MediaPlayer::PlayStatePlaying);
    if (player.playState() == MediaPlayer::PlayStateStopped)
        EXPECT_NEAR(player.currentMedia().duration(), 0.3, 0.05);
    else
        EXPECT_EQ(player.playState(), MediaPlayer::PlayStatePlaying);
}

TEST(QtMediaPlayerTest, FormMayCloseBeforeThePlayer) {
    resetMediaBackendFactory();
    QTemporaryDir dir;
    const QString path = dir.filePath("tone.wav");
    writeToneWav(path, 200);
    MediaPlayer player;
    auto form = std::make_unique<QWidget>();
    player.createVideoWidget(form.get());
    player.setURL(path);
    form.reset();
    EXPECT_EQ(player.videoWidget(), nullptr);
    pumpUntil([] { return false; }, 0.3);
    player.close();
    EXPECT_EQ(player.playState(), MediaPlayer::PlayStateUndefined);
}
