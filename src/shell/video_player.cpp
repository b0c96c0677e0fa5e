// The main window's video player: a file shown in place of the picture area, the seek bar
// kept in step with the playing position, click to pause and resume.

#include "app/module1.h"
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

platform::MediaPlayer& Form1::player() {
    if (!player_) {
        player_ = std::make_unique<platform::MediaPlayer>();
        platform::MediaPlayer* p = player_.get();
        QObject::connect(p, &platform::MediaPlayer::clicked, p,
                         [this](int button) { WindowsMediaPlayer1_Click(button, 0, 0, 0); });
        QObject::connect(p, &platform::MediaPlayer::doubleClicked, p,
                         [this](int button) { WindowsMediaPlayer1_DoubleClick(button, 0, 0, 0); });
        WindowsMediaPlayer1.makeWidget();
    }
    return *player_;
}

QString Form1::wc(double& x) const {
    return dropcalc::wc(x);
}

void Form1::Command14_Click() {
    openVideo();
}
void Form1::Command15_Click() {
    openVideo();
}

void Form1::openVideo() {
    CommonDialog1.Filter = QStringLiteral("所有文件|*.*");
    CommonDialog1.CancelError = true;
    CommonDialog1.FileName = QString();
    // A cancelled dialog leaves the name empty and the view as it was.
    vbrt::skipOnError([&] { CommonDialog1.ShowOpen(); });
    const QString name = CommonDialog1.FileName;
    if (name.isEmpty())
        return;
    // Any file may be chosen; what the player cannot play it reports as its state.
    platform::MediaPlayer& p = player();
    p.setURL(name);
    p.setUiMode(QStringLiteral("none"));
    WindowsMediaPlayer1.setVisible(true);
    p.settings().setVolume(62);
    HScroll1.setVisible(true);
    Timer3.setEnabled(true);
    Picture1.setVisible(false);
}

void Form1::Timer3_Timer() {
    app::Module1& m = app::module1();
    mixerRefresh();
    platform::MediaPlayer& p = player();
    if (p.playState() <= platform::MediaPlayer::PlayStatePlaying) {
        const double position = p.controls().currentPosition();
        const double duration = p.currentMedia().duration();
        // Without media (or before its length is known) the bar stays where it is.
        if (duration > 0) {
            m.seekBarValue = std::min(position / duration * kSeekRange, kSeekRange);
            HScroll1.setValue(int(std::floor(std::max(m.seekBarValue, 0.0))));
        }
    }
    if (p.playState() == platform::MediaPlayer::PlayStateStopped)
        Timer3.setEnabled(false);
}

void Form1::HScroll1_Change() {
    app::Module1& m = app::module1();
    const double v = HScroll1.Value();
    if (std::abs(v - m.seekBarValue) <= kDeadBand)
        return;
    platform::MediaPlayer& p = player();
    // Without any media there is nothing to seek in; a media whose length is not known yet
    // goes back to its start.
    if (p.URL().isEmpty())
        return;
    Timer3.setEnabled(false);
    m.seekFraction = v / kSeekRange;
    if (p.playState() > platform::MediaPlayer::PlayStatePlaying)
        return;
    p.controls().pause();
    double target = m.seekFraction * p.currentMedia().duration();
    p.controls().setCurrentPosition(vbrt::CDbl(wc(target)));
    p.controls().play();
    WindowsMediaPlayer1.setToolTipText(QString());
    Timer3.setEnabled(true);
}

void Form1::WindowsMediaPlayer1_Click(int button, int, int, int) {
    if (button != 1)
        return;
    playerPaused = !playerPaused;
    if (playerPaused) {
        player().controls().pause();
        WindowsMediaPlayer1.setToolTipText(QStringLiteral("pause"));
    } else {
        player().controls().play();
        WindowsMediaPlayer1.setToolTipText(QString());
    }
}

void Form1::WindowsMediaPlayer1_DoubleClick(int button, int, int, int) {
    if (button != 1)
        return;
    uiModeToggle = !uiModeToggle;
    if (uiModeToggle)
        player().setUiMode(QStringLiteral("none"));
}

} // namespace shell
