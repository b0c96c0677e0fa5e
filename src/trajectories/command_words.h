#pragma once

#include <QString>
#include <vector>

namespace windows {
class Form2Controls;
}

namespace trajectories {

// The drawing window's box Text2 as a command line: "auto" and "autoplay" start the replays
// of the stored parameter records, "autolook" the slideshow of a picture folder. A click
// compares the whole text with each word, switches the matching mode's start timer on and every
// other mode off, and empties the box; a key press checks "auto" on Enter and "autolook" on
// every key, and leaves the text alone.
class CommandWords {
public:
    explicit CommandWords(windows::Form2Controls& form);

    void Text2_Click();
    void Text2_KeyPress(int& keyAscii);

private:
    windows::Form2Controls& f_;
};

// The picture preview: 图像预览 (or the word "autolook") starts the listing, which asks for a
// picture and lists every file of its folder; the slideshow step then shows the next listed
// picture every tick, painted over the canvas in its own proportions, its file named in the
// window's caption. 停止预览 stops both.
class Slideshow {
public:
    explicit Slideshow(windows::Form2Controls& form);

    // The preview button 图像预览 / 停止预览.
    void togglePreview();
    void Timer12_Timer();
    void Timer1_Timer();

    // The listed files (folder and name), how many the last listing found, and the index of
    // the next one to show.
    static constexpr int kPictureListSize = 10001;
    std::vector<QString> pictureList = std::vector<QString>(kPictureListSize);
    double pictureCount = 0;
    double pictureIndex = 0;

private:
    windows::Form2Controls& f_;
};

} // namespace trajectories
