#include "platform/media_player.h"

#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QVideoWidget>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {

int buttonNumber(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

} // namespace

void MediaPlayer::Settings::setVolume(int volume) {
    volume_ = std::clamp(volume, 0, 100);
    player_.backend_->setVolume(volume_);
}

void MediaPlayer::Controls::play() {
    player_.backend_->play();
    player_.refreshState();
}

void MediaPlayer::Controls::pause() {
    player_.backend_->pause();
    player_.refreshState();
}

void MediaPlayer::Controls::stop() {
    player_.backend_->stop();
    player_.refreshState();
}

double MediaPlayer::Controls::currentPosition() const {
    return player_.url_.isEmpty() ? 0.0 : player_.backend_->position();
}

void MediaPlayer::Controls::setCurrentPosition(double seconds) {
    if (!player_.url_.isEmpty() && std::isfinite(seconds))
        player_.backend_->setPosition(std::max(seconds, 0.0));
}

double MediaPlayer::Media::duration() const {
    if (player_.url_.isEmpty())
        return 0.0;
    const double seconds = player_.backend_->duration();
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0.0;
}

MediaPlayer::MediaPlayer(QObject* parent) : QObject(parent), backend_(createMediaBackend()) {
    connect(backend_.get(), &MediaBackend::stateChanged, this, &MediaPlayer::refreshState);
    backend_->setVolume(settings_.volume());
}

MediaPlayer::~MediaPlayer() {
    if (video_)
        video_->removeEventFilter(this);
    backend_->disconnect(this);
}

void MediaPlayer::setURL(const QString& url) {
    if (url.isEmpty()) {
        close();
        return;
    }
    url_ = url;
    {
        // Loading passes through "stopped" on its way to playing; nobody should see that.
        const QScopedValueRollback quiet(loading_, true);
        backend_->setSource(url);
        backend_->play();
    }
    refreshState();
}

int MediaPlayer::playState() const {
    if (url_.isEmpty())
        return PlayStateUndefined;
    switch (backend_->state()) {
    case MediaBackend::State::Playing:
        return PlayStatePlaying;
    case MediaBackend::State::Paused:
        return PlayStatePaused;
    case MediaBackend::State::Stopped:
        return PlayStateStopped;
    case MediaBackend::State::Error:
        break;
    }
    return PlayStateReady;
}

bool MediaPlayer::errorState() const {
    return !url_.isEmpty() && backend_->state() == MediaBackend::State::Error;
}

QString MediaPlayer::lastError() const {
    return errorState() ? backend_->errorString() : QString();
}

QString MediaPlayer::whyUnheard() const {
    if (errorState())
        return lastError();
    if (!backend_->hasSoundOutput())
        return QStringLiteral("没有声音输出设备");
    return {};
}

void MediaPlayer::close() {
    url_.clear();
    backend_->stop();
    backend_->setSource(QString());
    refreshState();
}

QWidget* MediaPlayer::createVideoWidget(QWidget* parent) {
    if (video_ && video_->parentWidget() == parent)
        return video_;
    if (video_) {
        video_->removeEventFilter(this);
        video_->disconnect(this);
    }
    auto* widget = new QVideoWidget(parent);
    video_ = widget;
    widget->installEventFilter(this);
    backend_->setVideoOutput(widget);
    // The form may outlive the player or the other way round; the backend must not keep
    // drawing into a widget that is gone.
    connect(widget, &QObject::destroyed, this, [this] { backend_->setVideoOutput(nullptr); });
    return widget;
}

bool MediaPlayer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == video_) {
        if (event->type() == QEvent::MouseButtonRelease) {
            const int button = buttonNumber(static_cast<QMouseEvent*>(event)->button());
            if (releaseEndsDoubleClick_)
                releaseEndsDoubleClick_ = false;
            else if (button)
                emit clicked(button);
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            const int button = buttonNumber(static_cast<QMouseEvent*>(event)->button());
            releaseEndsDoubleClick_ = true;
            if (button)
                emit doubleClicked(button);
        }
    }
    return QObject::eventFilter(watched, event);
}

void MediaPlayer::refreshState() {
    if (loading_)
        return;
    const int state = playState();
    if (state == lastState_)
        return;
    lastState_ = state;
    emit playStateChanged(state);
}

} // namespace platform
