#pragma once

#include <QImage>

namespace platform {

// Where camera frames go on their way from the capture window to the program. Kept apart from
// the desktop clipboard so a running monitor never overwrites what the user copied.
class PictureClipboard {
public:
    // A null image empties the clipboard.
    void setPicture(const QImage& picture);
    void clear();
    bool hasPicture() const;
    // Raises vbrt::ErrInvalidPicture (481) when the clipboard holds no picture.
    QImage picture() const;

private:
    QImage picture_;
};

PictureClipboard& pictureClipboard();

} // namespace platform
