#pragma once

#include "platform/media_backend.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QWidget;

namespace platform {

// The embedded media player control: setting URL loads the media and starts it, as the
// control does with automatic start on. The playback itself is the backend's (Qt Multimedia,
// or a recording double in tests; see setMediaBackendFactory()).
class MediaPlayer : public QObject {
    Q_OBJECT
public:
    // playState() values. Anything above PlayStatePlaying means "not following the media";
    // a player error reports PlayStateReady, with errorState() true.
    enum PlayState : int {
        PlayStateUndefined = 0, // no media loaded
        PlayStateStopped = 1,   // loaded and stopped, or played to the end
        PlayStatePaused = 2,
        PlayStatePlaying = 3,
        PlayStateReady = 10,
    };

    class Settings {
    public:
        void setVolume(int volume); // clamped to 0..100
        int volume() const { return volume_; }

    private:
        friend class MediaPlayer;
        explicit Settings(MediaPlayer& player) : player_(player) {}
        MediaPlayer& player_;
        int volume_ = 50;
    };

    class Controls {
    public:
        void play();
        void pause();
        void stop();
        double currentPosition() const; // seconds
        void setCurrentPosition(double seconds);

    private:
        friend class MediaPlayer;
        explicit Controls(MediaPlayer& player) : player_(player) {}
        MediaPlayer& player_;
    };

    class Media {
    public:
        double duration() const; // seconds; 0 while unknown or with nothing loaded

    private:
        friend class MediaPlayer;
        explicit Media(const MediaPlayer& player) : player_(player) {}
        const MediaPlayer& player_;
    };

    explicit MediaPlayer(QObject* parent = nullptr);
    ~MediaPlayer() override;

    // The empty text unloads, like close().
    void setURL(const QString& url);
    QString URL() const { return url_; }
    // "full", "none", "mini" or "invisible". Kept for the program to read back: this player
    // draws no controls of its own in any mode.
    void setUiMode(const QString& mode) { uiMode_ = mode; }
    QString uiMode() const { return uiMode_; }

    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }
    Controls& controls() { return controls_; }
    const Controls& controls() const { return controls_; }
    const Media& currentMedia() const { return media_; }

    int playState() const;
    // True from a failure (missing file, unplayable media, no sound output) until the next
    // URL or close().
    bool errorState() const;
    QString lastError() const;
    // Why what plays cannot be heard (the player's failure, or no sound output on the
    // machine); empty when nothing stands in the way.
    QString whyUnheard() const;
    // Unloads the media; playState() goes back to PlayStateUndefined.
    void close();

    // The picture surface, created on first call as a child of `parent`; later calls with the
    // same parent return the same widget. A new parent (a window loaded again while its old
    // one is still going down) gets a new surface; the old one is left to its owner.
    QWidget* createVideoWidget(QWidget* parent);
    QWidget* videoWidget() const { return video_; }

    MediaBackend& backend() { return *backend_; }

signals:
    void playStateChanged(int state);
    // Mouse clicks on the video widget; button 1 left, 2 right, 4 middle. A double click
    // is one click followed by doubleClicked: its second release is no click of its own.
    void clicked(int button);
    void doubleClicked(int button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshState();

    std::unique_ptr<MediaBackend> backend_;
    QString url_;
    QString uiMode_ = QStringLiteral("full");
    Settings settings_{*this};
    Controls controls_{*this};
    Media media_{*this};
    QPointer<QWidget> video_;
    int lastState_ = PlayStateUndefined;
    bool loading_ = false;
    bool releaseEndsDoubleClick_ = false;
};

} // namespace platform
