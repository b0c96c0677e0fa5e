#include "platform/picture_clipboard.h"

#include "vbrt/errors.h"

namespace platform {

void PictureClipboard::setPicture(const QImage& picture) {
    picture_ = picture;
}

void PictureClipboard::clear() {
    picture_ = QImage();
}

bool PictureClipboard::hasPicture() const {
    return !picture_.isNull();
}

QImage PictureClipboard::picture() const {
    if (picture_.isNull())
        vbrt::raise(vbrt::ErrInvalidPicture);
    return picture_;
}

PictureClipboard& pictureClipboard() {
    static PictureClipboard clipboard;
    return clipboard;
}

} // namespace platform
