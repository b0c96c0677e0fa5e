#include "platform/media_backend.h"

#include <QAudio>
#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {

MediaBackendFactory& factorySlot() {
    static MediaBackendFactory factory;
    return factory;
}

// "C:/x" and "/x" are files; "file:", "http:" and the like are URLs. A single letter before
// the colon is a drive, not a scheme.
QUrl locationToUrl(const QString& location) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(location).hasMatch())
        return QUrl(location);
    return QUrl::fromLocalFile(location);
}

// Without any sound device the two Qt backends want opposite things: GStreamer plays on
// silently through an audio output (and fails the whole media without one), while FFmpeg
// crashes on an audio output that has no device and plays silently without one.
bool audioOutputSafeWithoutDevice() {
    const QByteArray chosen = qgetenv("QT_MEDIA_BACKEND");
    if (!chosen.isEmpty())
        return chosen == "gstreamer";
    // Linux builds default to GStreamer before 6.5 and to FFmpeg from then on.
    return QT_VERSION < QT_VERSION_CHECK(6, 5, 0);
}

} // namespace

void setMediaBackendFactory(MediaBackendFactory factory) {
    factorySlot() = std::move(factory);
}

void resetMediaBackendFactory() {
    factorySlot() = nullptr;
}

std::unique_ptr<MediaBackend> createMediaBackend() {
    if (factorySlot())
        return factorySlot()();
    return std::make_unique<QtMediaBackend>();
}

// ---- Qt Multimedia ----

QtMediaBackend::QtMediaBackend() : player_(new QMediaPlayer(this)), audio_(new QAudioOutput(this)) {
    connect(player_, &QMediaPlayer::playbackStateChanged, this, &MediaBackend::stateChanged);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, &MediaBackend::stateChanged);
    connect(player_, &QMediaPlayer::durationChanged, this, &MediaBackend::stateChanged);
    connect(player_, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error error, const QString& text) {
                if (error != QMediaPlayer::NoError)
                    fail(text.isEmpty() ? tr("Media error %1").arg(int(error)) : text);
            });
}

QtMediaBackend::~QtMediaBackend() {
    // Stop before the pipeline goes away so no late callback reaches a half-destroyed player.
    player_->disconnect(this);
    player_->stop();
}

void QtMediaBackend::fail(const QString& message) {
    error_ = message;
    emit stateChanged();
}

void QtMediaBackend::setSource(const QString& location) {
    error_.clear();
    player_->stop();
    if (location.isEmpty()) {
        player_->setSource(QUrl());
        emit stateChanged();
        return;
    }
    player_->setAudioOutput(
        QMediaDevices::audioOutputs().isEmpty() && !audioOutputSafeWithoutDevice() ? nullptr
                                                                                   : audio_);
    const QUrl url = locationToUrl(location);
    if (url.isLocalFile() && !QFileInfo(url.toLocalFile()).isFile()) {
        player_->setSource(QUrl());
        fail(tr("File not found: %1").arg(url.toLocalFile()));
        return;
    }
    player_->setSource(url);
    emit stateChanged();
}

void QtMediaBackend::play() {
    if (!player_->source().isEmpty())
        player_->play();
}

void QtMediaBackend::pause() {
    if (!player_->source().isEmpty())
        player_->pause();
}

void QtMediaBackend::stop() {
    player_->stop();
}

double QtMediaBackend::position() const {
    return player_->position() / 1000.0;
}

void QtMediaBackend::setPosition(double seconds) {
    if (!std::isfinite(seconds))
        return;
    player_->setPosition(qint64(std::llround(std::max(seconds, 0.0) * 1000.0)));
}

double QtMediaBackend::duration() const {
    return std::max<qint64>(player_->duration(), 0) / 1000.0;
}

MediaBackend::State QtMediaBackend::state() const {
    if (!error_.isEmpty())
        return State::Error;
    switch (player_->playbackState()) {
    case QMediaPlayer::PlayingState:
        return State::Playing;
    case QMediaPlayer::PausedState:
        return State::Paused;
    case QMediaPlayer::StoppedState:
        break;
    }
    return State::Stopped;
}

void QtMediaBackend::setVolume(int volume) {
    // The 0..100 scale is a loudness scale; the audio output takes a linear gain.
    const float level = float(std::clamp(volume, 0, 100)) / 100.0f;
    audio_->setVolume(
        QAudio::convertVolume(level, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale));
}

QString QtMediaBackend::errorString() const {
    return error_;
}

bool QtMediaBackend::hasSoundOutput() const {
    return !QMediaDevices::audioOutputs().isEmpty();
}

void QtMediaBackend::setVideoOutput(QVideoWidget* output) {
    player_->setVideoOutput(output);
}

// ---- Recording double ----

QList<RecordingMediaBackend*> MediaCallLog::backends() const {
    QList<RecordingMediaBackend*> live;
    for (const auto& backend : backends_)
        if (backend)
            live.append(backend.data());
    return live;
}

RecordingMediaBackend* MediaCallLog::last() const {
    const auto live = backends();
    return live.isEmpty() ? nullptr : live.back();
}

RecordingMediaBackend::RecordingMediaBackend(std::shared_ptr<MediaCallLog> log)
    : log_(std::move(log)) {
    if (log_)
        log_->backends_.append(this);
}

RecordingMediaBackend::~RecordingMediaBackend() = default;

void RecordingMediaBackend::record(const QString& call) {
    calls_.append(call);
    if (log_)
        log_->calls_.append(call);
}

void RecordingMediaBackend::moveTo(State state) {
    if (state_ == state)
        return;
    state_ = state;
    emit stateChanged();
}

void RecordingMediaBackend::simulateDuration(double seconds) {
    duration_ = seconds;
    emit stateChanged();
}

void RecordingMediaBackend::simulatePosition(double seconds) {
    position_ = seconds;
    emit stateChanged();
}

void RecordingMediaBackend::simulateState(State state) {
    if (state != State::Error)
        error_.clear();
    moveTo(state);
}

void RecordingMediaBackend::simulateError(const QString& message) {
    error_ = message;
    moveTo(State::Error);
}

void RecordingMediaBackend::setSource(const QString& location) {
    record(QStringLiteral("setSource:") + location);
    source_ = location;
    error_.clear();
    position_ = 0;
    moveTo(State::Stopped);
}

void RecordingMediaBackend::play() {
    record(QStringLiteral("play"));
    if (state_ != State::Error && !source_.isEmpty())
        moveTo(State::Playing);
}

void RecordingMediaBackend::pause() {
    record(QStringLiteral("pause"));
    if (state_ != State::Error && !source_.isEmpty())
        moveTo(State::Paused);
}

void RecordingMediaBackend::stop() {
    record(QStringLiteral("stop"));
    if (state_ == State::Error)
        return;
    position_ = 0;
    moveTo(State::Stopped);
}

void RecordingMediaBackend::setPosition(double seconds) {
    record(QStringLiteral("setPosition:") + QString::number(seconds));
    position_ = seconds;
}

void RecordingMediaBackend::setVolume(int volume) {
    record(QStringLiteral("setVolume:") + QString::number(volume));
    volume_ = volume;
}

void RecordingMediaBackend::setVideoOutput(QVideoWidget* output) {
    record(QStringLiteral("setVideoOutput"));
    output_ = output;
}

std::shared_ptr<MediaCallLog> installRecordingMediaBackend() {
    auto log = std::make_shared<MediaCallLog>();
    setMediaBackendFactory([log]() -> std::unique_ptr<MediaBackend> {
        return std::make_unique<RecordingMediaBackend>(log);
    });
    return log;
}

} // namespace platform
