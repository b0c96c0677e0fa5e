#include "platform/media_player.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

using namespace platform;

namespace {

class PlayerSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override { log = installRecordingMediaBackend(); }
    void TearDown() override { resetMediaBackendFactory(); }

    RecordingMediaBackend& backendOf(MediaPlayer& player) {
        return dynamic_cast<RecordingMediaBackend&>(player.backend());
    }
    static void send(QWidget* w, QEvent::Type type, Qt::MouseButton button) {
        const QPointF at(4, 4);
        QMouseEvent e(type, at, at, button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }

    std::shared_ptr<MediaCallLog> log;
};

} // namespace

TEST_F(PlayerSurfaceTest, ADoubleClickIsOneClickThenTheDoubleClick) {
    MediaPlayer player;
    QWidget form;
    QWidget* video = player.createVideoWidget(&form);
    QStringList seen;
    QObject::connect(&player, &MediaPlayer::clicked,
                     [&](int b) { seen << QStringLiteral("click%1").arg(b); });
    QObject::connect(&player, &MediaPlayer::doubleClicked,
                     [&](int b) { seen << QStringLiteral("double%1").arg(b); });

    // What the window system sends for a double click, then a single click.
    for (QEvent::Type t :
         {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
          QEvent::MouseButtonRelease, QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        send(video, t, Qt::LeftButton);
    EXPECT_EQ(seen, QStringList({"click1", "double1", "click1"}));
}

TEST_F(PlayerSurfaceTest, AWindowLoadedAgainGetsANewSurfaceWhileTheOldOneGoes) {
    MediaPlayer player;
    auto oldWindow = std::make_unique<QWidget>();
    QWidget* oldVideo = player.createVideoWidget(oldWindow.get());
    QWidget newWindow;
    QWidget* newVideo = player.createVideoWidget(&newWindow);
    ASSERT_NE(newVideo, oldVideo);
    EXPECT_EQ(newVideo->parentWidget(), &newWindow);
    EXPECT_EQ(player.createVideoWidget(&newWindow), newVideo);
    EXPECT_EQ(backendOf(player).videoOutput(), newVideo);

    // The old window going later must not take the picture away from the new surface.
    oldWindow.reset();
    EXPECT_EQ(player.videoWidget(), newVideo);
    EXPECT_EQ(backendOf(player).videoOutput(), newVideo);

    int clicks = 0;
    QObject::connect(&player, &MediaPlayer::clicked, [&](int) { ++clicks; });
    send(newVideo, QEvent::MouseButtonPress, Qt::LeftButton);
    send(newVideo, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}
