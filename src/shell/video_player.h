#pragma once

#include <memory>

namespace platform {
class MediaPlayer;
}

namespace shell {

class Form1;

// The main window's video player: a file shown in place of the picture area, the seek bar
// kept in step with the playing position, click to pause and resume. Timer3 drives the seek
// bar and refreshes the colour mixer on the same tick.
class VideoPlayer {
public:
    explicit VideoPlayer(Form1& form);
    ~VideoPlayer();
    VideoPlayer(const VideoPlayer&) = delete;
    VideoPlayer& operator=(const VideoPlayer&) = delete;

    void Command14_Click();
    void Command15_Click();
    void HScroll1_Change();
    void Timer3_Timer();
    void WindowsMediaPlayer1_Click(int button, int shift, int x, int y);
    void WindowsMediaPlayer1_DoubleClick(int button, int shift, int x, int y);

    // The player shown by WindowsMediaPlayer1, made on first use. It lives as long as the
    // window object, so a handler still running after an unload finds it.
    platform::MediaPlayer& player();
    // Ends any video shown and brings the picture area back.
    void returnToPictureView();

    // The seek bar's position last computed from the playing position (0..32767), and the
    // target of the last seek as a fraction of the media's length.
    double seekBarValue() const { return seekBarValue_; }
    double seekFraction() const { return seekFraction_; }

private:
    void openVideo();
    void mixerRefresh();

    Form1& f_;
    std::unique_ptr<platform::MediaPlayer> player_;
    bool playerPaused = false; // flipped by each left click on the player
    bool uiModeToggle = false; // flipped by each left double click on the player
    double seekBarValue_ = 0;
    double seekFraction_ = 0;
};

} // namespace shell
