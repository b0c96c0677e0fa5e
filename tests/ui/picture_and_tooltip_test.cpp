#include "ui/controls.h"
#include "ui/form.h"
#include "ui/picture_box.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace ui;

namespace {
class Sheet : public Form {
public:
    Sheet() : Form(QStringLiteral("Sheet")) {}
    PictureBox Pic{this, "Pic"};
    CommandButton Button{this, "Button"};

    QImage designPicture;

protected:
    void design() override {
        designWindow(QStringLiteral("Sheet"), 0, 0, 3000, 3000, vbrt::RGB(0, 0, 255));
        Pic.Move(150, 150, 1500, 1500);
        Pic.setAutoSize(true);
        Pic.setPicture(designPicture);
        Button.Move(1800, 1800, 900, 450);
    }
};

QImage filled(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}
} // namespace

TEST(PictureBoxAutoSize, TakesThePictureSizeWithItsBorderAndKeepsItWithout) {
    Sheet s;
    s.designPicture = filled(40, 30, Qt::red);
    s.show();
    // 2 pixels of edge on each side, 15 twips a pixel.
    EXPECT_EQ(s.Pic.Width(), 44 * 15);
    EXPECT_EQ(s.Pic.Height(), 34 * 15);
    EXPECT_EQ(s.Pic.innerWidthPx(), 40);
    EXPECT_EQ(s.Pic.Point(39 * 15, 29 * 15), vbrt::RGB(255, 0, 0));

    s.Pic.setPicture(QImage()); // no picture: the size stays
    EXPECT_EQ(s.Pic.Width(), 44 * 15);
    s.Pic.setBorderStyle(0);
    s.Pic.setPicture(filled(20, 10, Qt::green));
    EXPECT_EQ(s.Pic.Width(), 20 * 15);
    EXPECT_EQ(s.Pic.Height(), 10 * 15);

    s.Pic.setAutoSize(false);
    s.Pic.setPicture(filled(60, 60, Qt::blue));
    EXPECT_EQ(s.Pic.Width(), 20 * 15);

    // The next load starts from the design again.
    s.unload();
    s.designPicture = QImage();
    s.show();
    EXPECT_TRUE(s.Pic.AutoSize());
    EXPECT_EQ(s.Pic.Width(), 1500);
}

TEST(FormPicture, IsDrawnUnscaledFromTheTopLeftOverTheBackColour) {
    Sheet s;
    s.show();
    s.setPicture(filled(10, 10, Qt::yellow));
    const QImage shot = s.window()->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(0, 0)), QColor(Qt::yellow));
    EXPECT_EQ(QColor(shot.pixel(9, 9)), QColor(Qt::yellow));
    EXPECT_EQ(QColor(shot.pixel(11, 5)), QColor(Qt::blue));

    s.setPicture(QImage());
    EXPECT_EQ(QColor(s.window()->grab().toImage().pixel(0, 0)), QColor(Qt::blue));
    s.setPicture(filled(10, 10, Qt::yellow));
    s.unload();
    s.show();
    EXPECT_TRUE(s.Picture().isNull()) << "a load starts without a picture";
}

TEST(ControlToolTip, IsKeptAndShownWhileLoaded) {
    Sheet s;
    s.Button.setToolTipText(QStringLiteral("before load"));
    s.show();
    EXPECT_EQ(s.Button.ToolTipText(), QString()) << "the design decides at each load";
    s.Button.setToolTipText(QStringLiteral("pause"));
    EXPECT_EQ(s.Button.widget()->toolTip(), QStringLiteral("pause"));
    s.Button.setToolTipText(QString());
    EXPECT_EQ(s.Button.widget()->toolTip(), QString());
    s.unload();
    s.Button.setToolTipText(QStringLiteral("kept"));
    EXPECT_EQ(s.Button.ToolTipText(), QStringLiteral("kept"));
}
