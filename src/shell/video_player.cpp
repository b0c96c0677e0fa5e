#include "shell/video_player.h"

#include "dropcalc/rounding.h"
#include "platform/media_player.h"
#include "shell/form1.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <cmath>

namespace shell {

namespace {
constexpr double kSeekRange = 32767;
// Bar moves this small are the tick's own updates or clicks on the arrows, not seeks.
constexpr double kDeadBand = 200;
} // namespace

VideoPlayer::VideoPlayer(Form1& form) : f_(form) {
    f_.Command14.onClick = [this] { Command14_Click(); };
    f_.Command15.onClick = [this] { Command15_Click(); };
    f_.HScroll1.onChange = [this] { HScroll1_Change(); };
    f_.Timer3.onTimer = [this] { Timer3_Timer(); };
    // The player outlives the window's widgets; each load gives it a new surface to show on.
    // Until a video is first wanted there is no player, and no surface: starting the media
    // engine would keep the window from showing for longer than the rest of the start-up.
    f_.WindowsMediaPlayer1.factory = [this](QWidget* parent) -> QWidget* {
        return player_ ? player_->createVideoWidget(parent) : nullptr;
    };
}

VideoPlayer::~VideoPlayer() = default;

platform::MediaPlayer& VideoPlayer::player() {
    if (!player_) {
        player_ = std::make_unique<platform::MediaPlayer>();
        platform::MediaPlayer* p = player_.get();
        QObject::connect(p, &platform::MediaPlayer::clicked, p,
                         [this](int button) { WindowsMediaPlayer1_Click(button, 0, 0, 0); });
        QObject::connect(p, &platform::MediaPlayer::doubleClicked, p,
                         [this](int button) { WindowsMediaPlayer1_DoubleClick(button, 0, 0, 0); });
        f_.WindowsMediaPlayer1.makeWidget();
    }
    return *player_;
}

void VideoPlayer::returnToPictureView() {
    f_.WindowsMediaPlayer1.setVisible(false);
    // A player never made has nothing to close.
    if (player_)
        player_->close();
    f_.HScroll1.setVisible(false);
    f_.Picture1.setVisible(true);
    f_.Timer3.setEnabled(false);
}

void VideoPlayer::Command14_Click() {
    openVideo();
}
void VideoPlayer::Command15_Click() {
    openVideo();
}

void VideoPlayer::openVideo() {
    f_.CommonDialog1.Filter = QStringLiteral("所有文件|*.*");
    f_.CommonDialog1.CancelError = true;
    f_.CommonDialog1.FileName = QString();
    // A cancelled dialog leaves the name empty and the view as it was.
    vbrt::skipOnError([&] { f_.CommonDialog1.ShowOpen(); });
    const QString name = f_.CommonDialog1.FileName;
    if (name.isEmpty())
        return;
    // Any file may be chosen; what the player cannot play it reports as its state.
    platform::MediaPlayer& p = player();
    p.setURL(name);
    p.setUiMode(QStringLiteral("none"));
    f_.WindowsMediaPlayer1.setVisible(true);
    p.settings().setVolume(62);
    f_.HScroll1.setVisible(true);
    f_.Timer3.setEnabled(true);
    f_.Picture1.setVisible(false);
}

void VideoPlayer::mixerRefresh() {
    const int r = f_.VScroll1(0).Value(), g = f_.VScroll1(1).Value(), b = f_.VScroll1(2).Value();
    f_.Picture3.setBackColor(vbrt::RGB(r, g, b));
    f_.Text2(0).setText(vbrt::CStr(r));
    f_.Text2(1).setText(vbrt::CStr(g));
    f_.Text2(2).setText(vbrt::CStr(b));
}

void VideoPlayer::Timer3_Timer() {
    mixerRefresh();
    platform::MediaPlayer& p = player();
    if (p.playState() <= platform::MediaPlayer::PlayStatePlaying) {
        const double position = p.controls().currentPosition();
        const double duration = p.currentMedia().duration();
        // Without media (or before its length is known) the bar stays where it is.
        if (duration > 0) {
            seekBarValue_ = std::min(position / duration * kSeekRange, kSeekRange);
            f_.HScroll1.setValue(int(std::floor(std::max(seekBarValue_, 0.0))));
        }
    }
    if (p.playState() == platform::MediaPlayer::PlayStateStopped)
        f_.Timer3.setEnabled(false);
}

void VideoPlayer::HScroll1_Change() {
    const double v = f_.HScroll1.Value();
    if (std::abs(v - seekBarValue_) <= kDeadBand)
        return;
    platform::MediaPlayer& p = player();
    // Without any media there is nothing to seek in; a media whose length is not known yet
    // goes back to its start.
    if (p.URL().isEmpty())
        return;
    f_.Timer3.setEnabled(false);
    seekFraction_ = v / kSeekRange;
    if (p.playState() > platform::MediaPlayer::PlayStatePlaying)
        return;
    p.controls().pause();
    double target = seekFraction_ * p.currentMedia().duration();
    p.controls().setCurrentPosition(vbrt::CDbl(dropcalc::wcText(target)));
    p.controls().play();
    f_.WindowsMediaPlayer1.setToolTipText(QString());
    f_.Timer3.setEnabled(true);
}

void VideoPlayer::WindowsMediaPlayer1_Click(int button, int, int, int) {
    if (button != 1)
        return;
    playerPaused = !playerPaused;
    if (playerPaused) {
        player().controls().pause();
        f_.WindowsMediaPlayer1.setToolTipText(QStringLiteral("pause"));
    } else {
        player().controls().play();
        f_.WindowsMediaPlayer1.setToolTipText(QString());
    }
}

void VideoPlayer::WindowsMediaPlayer1_DoubleClick(int button, int, int, int) {
    if (button != 1)
        return;
    uiModeToggle = !uiModeToggle;
    if (uiModeToggle)
        player().setUiMode(QStringLiteral("none"));
}

} // namespace shell
