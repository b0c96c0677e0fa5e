#include "drawing/overlay_pictures.h"

#include "ui/picture_file.h"
#include "ui/screen.h"
#include "vbrt/apppath.h"
#include "windows/form2_controls.h"

namespace drawing {

void OverlayPictures::hai() {
    f_.Image1.setStretch(true);
    f_.Picture1.setAutoRedraw(true);
    paintOver(QStringLiteral("\\hai2.jpg"));
}

void OverlayPictures::zhihuaxiang() {
    f_.Image1.setStretch(true);
    f_.Picture1.setAutoRedraw(true);
    paintOver(QStringLiteral("\\hai11.jpg"));
}

void OverlayPictures::hai3() {
    f_.Image1.setStretch(true);
    f_.Picture1.setAutoRedraw(true);
    paintOver(QStringLiteral("\\hai03.jpg"));
}

void OverlayPictures::shuxiang() {
    f_.Image1.setStretch(true);
    f_.Picture1.setAutoRedraw(true);
    paintOver(QStringLiteral("\\456.jpg"));
}

void OverlayPictures::daotu() {
    const int screenW = ui::Screen::Width(), screenH = ui::Screen::Height();
    f_.setWindowState(ui::Normal);
    f_.setBorderStyle(1);
    f_.setWidth(screenW);
    f_.setHeight(screenH);
    f_.Picture1.setBorderStyle(0);
    f_.Picture1.setWidth(screenW);
    f_.Picture1.setHeight(screenH);
    f_.Image1.setWidth(screenW);
    f_.Image1.setHeight(screenH);
    f_.Move(0, 0, f_.Width(), f_.Height());
    f_.Picture1.Move(0, 0);

    f_.Picture1.setAutoRedraw(true);
    f_.Image1.setStretch(true);
    paintOver(QStringLiteral("\\hai1.jpg"));
}

// Paints into the persistent image, so the picture stays under what is drawn later.
void OverlayPictures::paintOver(const QString& file) {
    ui::PictureBox& pic = f_.Picture1;
    if (!f_.Image1.Picture().isNull())
        pic.PaintPicture(f_.Image1.Picture(), 0, 0, pic.Width(), pic.Height());
    pic.Refresh();

    f_.Image1.setStretch(true);
    f_.Image1.setPicture(ui::LoadPicture(vbrt::appFile(file)));
    // A missing or unreadable picture leaves the mode without a background.
    if (!f_.Image1.Picture().isNull())
        pic.PaintPicture(f_.Image1.Picture(), 0, 0, pic.Width(), pic.Height());

    for (int i = 0; i < 2; ++i) {
        pic.setAutoRedraw(false);
        pic.Refresh();
    }
}

} // namespace drawing
