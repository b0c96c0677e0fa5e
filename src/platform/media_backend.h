#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVideoWidget>
#include <functional>
#include <memory>

class QAudioOutput;
class QMediaPlayer;

namespace platform {

// What the media player needs from a playback engine. Times are in seconds.
class MediaBackend : public QObject {
    Q_OBJECT
public:
    enum class State { Stopped, Playing, Paused, Error };

    // A file path or a URL; the empty text unloads. Clears a previous error.
    virtual void setSource(const QString& location) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual double position() const = 0;
    virtual void setPosition(double seconds) = 0;
    // 0 while the length is not known.
    virtual double duration() const = 0;
    // Error stays until the next setSource().
    virtual State state() const = 0;
    virtual void setVolume(int volume) = 0; // 0..100
    virtual QString errorString() const = 0;
    virtual void setVideoOutput(QVideoWidget* output) = 0;
    // Whether the machine has anywhere to play sound to. Without, media play on in silence.
    virtual bool hasSoundOutput() const = 0;

signals:
    // State, position or duration may have changed.
    void stateChanged();
};

using MediaBackendFactory = std::function<std::unique_ptr<MediaBackend>()>;

// Decides the backend of players created from now on; an empty factory means Qt Multimedia.
void setMediaBackendFactory(MediaBackendFactory factory);
void resetMediaBackendFactory();
std::unique_ptr<MediaBackend> createMediaBackend();

// Qt Multimedia playback. Failures (missing file, unplayable format, no sound device) end in
// State::Error with Qt's message, never in a crash.
class QtMediaBackend : public MediaBackend {
    Q_OBJECT
public:
    QtMediaBackend();
    ~QtMediaBackend() override;

    void setSource(const QString& location) override;
    void play() override;
    void pause() override;
    void stop() override;
    double position() const override;
    void setPosition(double seconds) override;
    double duration() const override;
    State state() const override;
    void setVolume(int volume) override;
    QString errorString() const override;
    void setVideoOutput(QVideoWidget* output) override;
    bool hasSoundOutput() const override;

private:
    void fail(const QString& message);

    QMediaPlayer* player_;
    QAudioOutput* audio_;
    QString error_;
};

class RecordingMediaBackend;

// Shared by the recording backends that installRecordingMediaBackend() makes, so a test sees
// the calls of players it cannot reach directly.
class MediaCallLog {
public:
    QStringList calls() const { return calls_; }
    void clear() { calls_.clear(); }
    // Live backends, oldest first.
    QList<RecordingMediaBackend*> backends() const;
    RecordingMediaBackend* last() const;

private:
    friend class RecordingMediaBackend;
    QStringList calls_;
    QList<QPointer<RecordingMediaBackend>> backends_;
};

// A backend that sounds nothing: it records each call as text ("setSource:/path", "play",
// "pause", "stop", "setPosition:12.5", "setVolume:62", "setVideoOutput") and moves between the
// states as a player would. Tests set what the player reports with the simulate* calls.
class RecordingMediaBackend : public MediaBackend {
    Q_OBJECT
public:
    explicit RecordingMediaBackend(std::shared_ptr<MediaCallLog> log = {});
    ~RecordingMediaBackend() override;

    QStringList calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    QString source() const { return source_; }
    int volume() const { return volume_; }
    QVideoWidget* videoOutput() const { return output_; }

    void simulateDuration(double seconds);
    void simulatePosition(double seconds);
    void simulateState(State state);
    void simulateError(const QString& message);
    void simulateSoundOutput(bool present) { soundOutput_ = present; }

    void setSource(const QString& location) override;
    void play() override;
    void pause() override;
    void stop() override;
    double position() const override { return position_; }
    void setPosition(double seconds) override;
    double duration() const override { return duration_; }
    State state() const override { return state_; }
    void setVolume(int volume) override;
    QString errorString() const override { return error_; }
    void setVideoOutput(QVideoWidget* output) override;
    bool hasSoundOutput() const override { return soundOutput_; }

private:
    void record(const QString& call);
    void moveTo(State state);

    std::shared_ptr<MediaCallLog> log_;
    QStringList calls_;
    QString source_;
    QString error_;
    State state_ = State::Stopped;
    double position_ = 0;
    double duration_ = 0;
    int volume_ = -1;
    bool soundOutput_ = true;
    QPointer<QVideoWidget> output_;
};

// Every player created from now on (until resetMediaBackendFactory()) records instead of
// sounding; the returned log collects all their calls.
std::shared_ptr<MediaCallLog> installRecordingMediaBackend();

} // namespace platform
