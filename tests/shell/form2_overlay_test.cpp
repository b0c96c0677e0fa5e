#include "app/module1.h"
#include "app_fixture.h"
#include "drawing/overlay_pictures.h"
#include "platform/synthetic_capture_driver.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "ui/screen.h"

#include <QBuffer>
#include <functional>

using namespace testing_support;
using shell::Form2;

namespace {

// A picture of four coloured quarters, so that a stretched copy can be recognised anywhere.
QByteArray quartersJpeg() {
    QImage img(200, 100, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y,
                         x < 100 ? (y < 50 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                 : (y < 50 ? qRgb(0, 0, 255) : qRgb(255, 255, 255)));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPG", 95);
    return bytes;
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40;
}

class Overlay : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::installSyntheticCaptureDriver();
    }
    void TearDown() override {
        AppTest::TearDown();
        platform::resetCaptureDriverFactory();
    }
    Form2& f2() { return shell::form2(); }
    // The quarter colours at the middle of each quarter of the drawing area.
    void expectQuartersOverTheWholeArea() {
        const QImage img = f2().Picture1.Image();
        const int w = img.width(), h = img.height();
        EXPECT_TRUE(near(img.pixel(w / 4, h / 4), qRgb(255, 0, 0)));
        EXPECT_TRUE(near(img.pixel(w / 4, 3 * h / 4), qRgb(0, 255, 0)));
        EXPECT_TRUE(near(img.pixel(3 * w / 4, h / 4), qRgb(0, 0, 255)));
        EXPECT_TRUE(near(img.pixel(3 * w / 4, 3 * h / 4), qRgb(255, 255, 255)));
        // Stretched: the quarters meet in the middle of the area, whatever the picture's size.
        EXPECT_TRUE(near(img.pixel(w / 2 - 20, h / 2 - 20), qRgb(255, 0, 0)));
        EXPECT_TRUE(near(img.pixel(w / 2 + 20, h / 2 + 20), qRgb(255, 255, 255)));
        EXPECT_TRUE(near(img.pixel(w - 1, h - 1), qRgb(255, 255, 255)));
    }
};

struct Procedure {
    const char* file;
    std::function<void(Form2&)> call;
};

const Procedure kProcedures[] = {
    {"hai2.jpg", [](Form2& f) { f.overlay.hai(); }},
    {"hai11.jpg", [](Form2& f) { f.overlay.zhihuaxiang(); }},
    {"hai03.jpg", [](Form2& f) { f.overlay.hai3(); }},
    {"456.jpg", [](Form2& f) { f.overlay.shuxiang(); }},
    {"hai1.jpg", [](Form2& f) { f.overlay.daotu(); }},
};

} // namespace

TEST_F(Overlay, EachProcedurePaintsItsPictureStretchedOverTheDrawingArea) {
    for (const Procedure& p : kProcedures) {
        SCOPED_TRACE(p.file);
        f2().unload();
        for (const Procedure& other : kProcedures)
            QFile::remove(path(QString::fromLatin1(other.file)));
        write(QString::fromLatin1(p.file), quartersJpeg());
        f2().show();
        p.call(f2());

        expectQuartersOverTheWholeArea();
        EXPECT_TRUE(f2().Image1.Stretch());
        EXPECT_FALSE(f2().Image1.Picture().isNull());
        EXPECT_FALSE(f2().Image1.Visible());
        // The picture is in the persistent image; what is drawn next goes to the screen only.
        EXPECT_FALSE(f2().Picture1.AutoRedraw());
        f2().Picture1.Box(0, 0, 600, 600, vbrt::RGB(0, 0, 0), true);
        EXPECT_EQ(f2().Picture1.screen().pixel(5, 5), qRgb(0, 0, 0));
        EXPECT_TRUE(near(f2().Picture1.Image().pixel(5, 5), qRgb(255, 0, 0)));
    }
}

TEST_F(Overlay, AMissingPictureOpensTheModeWithoutABackground) {
    for (const Procedure& p : kProcedures) {
        SCOPED_TRACE(p.file);
        f2().unload();
        f2().show();
        p.call(f2());
        EXPECT_TRUE(f2().isLoaded());
        EXPECT_TRUE(f2().Image1.Picture().isNull());
        EXPECT_EQ(f2().Picture1.Image().pixel(30, 30), qRgb(0, 0, 0));
    }
}

TEST_F(Overlay, DaotuMakesTheWindowAndTheDrawingAreaFillTheScreen) {
    write(QStringLiteral("hai1.jpg"), quartersJpeg());
    f2().show();
    f2().setWindowState(ui::Maximized);
    f2().overlay.daotu();
    const int sw = ui::Screen::Width(), sh = ui::Screen::Height();
    EXPECT_EQ(f2().WindowState(), ui::Normal);
    EXPECT_EQ(f2().BorderStyle(), 1);
    EXPECT_EQ(f2().Left(), 0);
    EXPECT_EQ(f2().Top(), 0);
    EXPECT_EQ(f2().Width(), sw);
    EXPECT_EQ(f2().Height(), sh);
    EXPECT_EQ(f2().Picture1.BorderStyle(), 0);
    EXPECT_EQ(f2().Picture1.Left(), 0);
    EXPECT_EQ(f2().Picture1.Top(), 0);
    EXPECT_EQ(f2().Picture1.Width(), sw);
    EXPECT_EQ(f2().Picture1.Height(), sh);
    EXPECT_EQ(f2().Image1.Width(), sw);
    EXPECT_EQ(f2().Image1.Height(), sh);
    expectQuartersOverTheWholeArea();
}
