#include "platform/capture_window.h"
#include "platform/picture_clipboard.h"
#include "platform/synthetic_capture_driver.h"
#include "support/error_of.h"
#include "vbrt/errors.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace platform;

namespace {

QImage solid(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void runEvents(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int clipboardError() {
    return testing_support::errorOf([] { pictureClipboard().picture(); });
}

class CaptureWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        camera = installSyntheticCaptureDriver();
        pictureClipboard().clear();
        parent = std::make_unique<QWidget>();
        parent->resize(200, 150);
    }
    void TearDown() override {
        parent.reset();
        resetCaptureDriverFactory();
        pictureClipboard().clear();
    }
    qintptr create(long style = WS_CHILD) {
        return capCreateCaptureWindowA("Video", style, 0, 0, 40, 30, parent.get(), 0);
    }

    std::shared_ptr<SyntheticCamera> camera;
    std::unique_ptr<QWidget> parent;
};

} // namespace

TEST(PictureClipboardTest, HoldsOnePictureAndRaises481WhenEmpty) {
    PictureClipboard& clipboard = pictureClipboard();
    clipboard.clear();
    EXPECT_FALSE(clipboard.hasPicture());
    EXPECT_EQ(clipboardError(), vbrt::ErrInvalidPicture);

    clipboard.setPicture(solid(2, 2, qRgb(1, 2, 3)));
    ASSERT_TRUE(clipboard.hasPicture());
    EXPECT_EQ(clipboard.picture().pixel(1, 1), qRgb(1, 2, 3));

    clipboard.setPicture(QImage());
    EXPECT_FALSE(clipboard.hasPicture());
    clipboard.setPicture(solid(2, 2, qRgb(1, 2, 3)));
    clipboard.clear();
    EXPECT_EQ(clipboardError(), vbrt::ErrInvalidPicture);
}

TEST_F(CaptureWindowTest, GrabThenCopyPutsTheCameraFrameOnTheClipboard) {
    QImage frame = solid(4, 3, qRgb(10, 20, 30));
    frame.setPixel(3, 2, qRgb(200, 100, 50));
    camera->setFrame(frame);
    const qintptr hwnd = create();
    ASSERT_NE(hwnd, 0);

    EXPECT_EQ(SendMessage(hwnd, WM_CAP_DRIVER_CONNECT, 0, 0), 1);
    EXPECT_EQ(camera->openIndex(), 0);
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_GRAB_FRAME, 0, 0), 1);
    EXPECT_FALSE(pictureClipboard().hasPicture()) << "a grab alone must not reach the clipboard";
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_EDIT_COPY, 0, 0), 1);

    const QImage copied = pictureClipboard().picture();
    ASSERT_EQ(copied.size(), QSize(4, 3));
    EXPECT_EQ(copied.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(copied.pixel(3, 2), qRgb(200, 100, 50));
    EXPECT_EQ(camera->grabs(), 1);

    // The copy is the frame of the grab, not whatever the camera shows later.
    camera->setFrame(solid(4, 3, qRgb(0, 0, 255)));
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_EDIT_COPY, 0, 0), 1);
    EXPECT_EQ(pictureClipboard().picture().pixel(0, 0), qRgb(10, 20, 30));
}

TEST_F(CaptureWindowTest, ConnectAnswersWhetherTheDriverOpened) {
    camera->setAvailableIndices({0, 2});
    const qintptr hwnd = create();
    struct Case {
        long driver;
        long expected;
    };
    for (const Case c : {Case{0, 1}, Case{1, 0}, Case{2, 1}, Case{-1, 0}, Case{9, 0}}) {
        EXPECT_EQ(SendMessage(hwnd, WM_CAP_DRIVER_CONNECT, c.driver, 0), c.expected)
            << "driver " << c.driver;
        EXPECT_EQ(camera->isOpen(), c.expected == 1) << "driver " << c.driver;
    }
    // Each new connect first released the camera held before.
    EXPECT_EQ(camera->opens(), 2);
    EXPECT_EQ(camera->closes(), 2);
}

TEST_F(CaptureWindowTest, DisconnectReleasesTheCameraOnce) {
    const qintptr hwnd = create();
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_DRIVER_DISCONNECT, 0, 0), 0);
    ASSERT_EQ(SendMessage(hwnd, WM_CAP_DRIVER_CONNECT, 0, 0), 1);
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_DRIVER_DISCONNECT, 0, 0), 1);
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_DRIVER_DISCONNECT, 0, 0), 0);
    EXPECT_EQ(camera->closes(), 1);
    EXPECT_FALSE(camera->isOpen());
}

TEST_F(CaptureWindowTest, GrabWithoutCameraLeavesTheClipboardWithoutPicture) {
    camera->setFrame(solid(4, 3, Qt::green));
    const qintptr hwnd = create();
    ASSERT_EQ(SendMessage(hwnd, WM_CAP_DRIVER_CONNECT, 0, 0), 1);
    ASSERT_EQ(SendMessage(hwnd, WM_CAP_GRAB_FRAME, 0, 0), 1);
    ASSERT_EQ(SendMessage(hwnd, WM_CAP_DRIVER_DISCONNECT, 0, 0), 1);
    pictureClipboard().setPicture(solid(1, 1, Qt::white)); // something the user had

    // The earlier frame must not come back as if it were current.
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_GRAB_FRAME, 0, 0), 0);
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_EDIT_COPY, 0, 0), 0);
    EXPECT_FALSE(pictureClipboard().hasPicture());
    EXPECT_EQ(clipboardError(), vbrt::ErrInvalidPicture);

    const qintptr fresh = create();
    EXPECT_EQ(SendMessage(fresh, WM_CAP_GRAB_FRAME, 0, 0), 0);
    EXPECT_EQ(SendMessage(fresh, WM_CAP_EDIT_COPY, 0, 0), 0);
    EXPECT_EQ(clipboardError(), vbrt::ErrInvalidPicture);
}

TEST_F(CaptureWindowTest, FailedGrabDropsThePreviousFrame) {
    camera->setFrame(solid(4, 3, Qt::green));
    const qintptr hwnd = create();
    ASSERT_EQ(SendMessage(hwnd, WM_CAP_DRIVER_CONNECT, 0, 0), 1);
    ASSERT_EQ(SendMessage(hwnd, WM_CAP_GRAB_FRAME, 0, 0), 1);
    camera->setFrame(QImage());
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_GRAB_FRAME, 0, 0), 0);
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_EDIT_COPY, 0, 0), 0);
    EXPECT_FALSE(pictureClipboard().hasPicture());
}

TEST_F(CaptureWindowTest, ShownOnlyWithVisibleStyleAndPreviewOn) {
    struct Case {
        long style;
        long preview;
        bool shown;
    };
    for (const Case c :
         {Case{0, 1, false}, Case{WS_CHILD, 1, false}, Case{WS_CHILD | WS_VISIBLE, 0, false},
          Case{WS_CHILD | WS_VISIBLE, 1, true}}) {
        const qintptr hwnd = create(c.style);
        SendMessage(hwnd, WM_CAP_DRIVER_CONNECT, 0, 0);
        SendMessage(hwnd, WM_CAP_SET_PREVIEW, c.preview, 0);
        EXPECT_EQ(!captureWindowWidget(hwnd)->isHidden(), c.shown)
            << "style " << c.style << " preview " << c.preview;
        destroyCaptureWindow(hwnd);
    }
}

TEST_F(CaptureWindowTest, VisiblePreviewFollowsTheCameraButNeverTheClipboard) {
    camera->setFrame(solid(4, 3, qRgb(255, 0, 0)));
    parent->show();
    const qintptr hwnd = create(WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_DRIVER_CONNECT, 0, 0), 1);
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_SET_SCALE, -1, 0), 1);
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_SET_PREVIEWRATE, 10, 0), 1);
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_SET_PREVIEW, 1, 0), 1);
    pictureClipboard().setPicture(solid(1, 1, qRgb(7, 7, 7)));

    runEvents(300);
    // About 30 ticks at 10 ms; a loaded machine may manage fewer, but several must come.
    EXPECT_GE(camera->grabs(), 5);
    EXPECT_LE(camera->grabs(), 40);
    EXPECT_EQ(pictureClipboard().picture().pixel(0, 0), qRgb(7, 7, 7));

    // Scaled to the 40x30 window, the 4x3 red frame fills it.
    const QImage shown = captureWindowWidget(hwnd)->grab().toImage();
    EXPECT_EQ(shown.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(37, 27), qRgb(255, 0, 0));

    // Preview frames are not grabbed frames: a copy now has nothing to copy.
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_EDIT_COPY, 0, 0), 0);

    SendMessage(hwnd, WM_CAP_SET_PREVIEW, 0, 0);
    const int grabs = camera->grabs();
    runEvents(100);
    EXPECT_EQ(camera->grabs(), grabs);
}

TEST_F(CaptureWindowTest, UnscaledPreviewKeepsTheFrameSize) {
    camera->setFrame(solid(4, 3, qRgb(0, 255, 0)));
    parent->show();
    const qintptr hwnd = create(WS_CHILD | WS_VISIBLE);
    SendMessage(hwnd, WM_CAP_DRIVER_CONNECT, 0, 0);
    SendMessage(hwnd, WM_CAP_SET_PREVIEWRATE, 5, 0);
    SendMessage(hwnd, WM_CAP_SET_PREVIEW, 1, 0);
    runEvents(100);
    const QImage shown = captureWindowWidget(hwnd)->grab().toImage();
    EXPECT_EQ(shown.pixel(3, 2), qRgb(0, 255, 0));
    EXPECT_EQ(shown.pixel(10, 10), qRgb(0, 0, 0));
}

TEST_F(CaptureWindowTest, HiddenCaptureWindowDoesNotReadTheCameraForPreview) {
    parent->show();
    const qintptr hwnd = create(0);
    SendMessage(hwnd, WM_CAP_DRIVER_CONNECT, 0, 0);
    SendMessage(hwnd, WM_CAP_SET_PREVIEWRATE, 3, 0);
    SendMessage(hwnd, WM_CAP_SET_PREVIEW, 1, 0);
    runEvents(100);
    EXPECT_EQ(camera->grabs(), 0);
}

TEST_F(CaptureWindowTest, UnknownWindowsAndMessagesAnswerZero) {
    const qintptr hwnd = create();
    SendMessage(hwnd, WM_CAP_DRIVER_CONNECT, 0, 0);
    EXPECT_EQ(SendMessage(hwnd, 1099, 0, 0), 0);
    EXPECT_EQ(SendMessage(hwnd + 12345, WM_CAP_DRIVER_CONNECT, 0, 0), 0);
    EXPECT_EQ(SendMessage(0, WM_CAP_GRAB_FRAME, 0, 0), 0);
    EXPECT_EQ(camera->openAttempts(), 1);
}

TEST_F(CaptureWindowTest, WindowGoesWithItsParentAndReleasesTheCamera) {
    const qintptr first = create();
    const qintptr second = create();
    EXPECT_NE(first, second);
    ASSERT_EQ(SendMessage(first, WM_CAP_DRIVER_CONNECT, 0, 0), 1);
    EXPECT_EQ(captureWindowWidget(first)->parentWidget(), parent.get());

    parent.reset();
    EXPECT_EQ(camera->closes(), 1);
    EXPECT_EQ(captureWindowWidget(first), nullptr);
    EXPECT_EQ(SendMessage(first, WM_CAP_GRAB_FRAME, 0, 0), 0);
    EXPECT_FALSE(destroyCaptureWindow(second));
}

TEST_F(CaptureWindowTest, DestroyCaptureWindowClosesTheDriver) {
    for (QWidget* owner : {parent.get(), static_cast<QWidget*>(nullptr)}) {
        const qintptr hwnd = capCreateCaptureWindowA("WebcamCapture", 0, 0, 0, 64, 48, owner, 0);
        ASSERT_EQ(SendMessage(hwnd, WM_CAP_DRIVER_CONNECT, 0, 0), 1);
        const int closes = camera->closes();
        EXPECT_TRUE(destroyCaptureWindow(hwnd));
        EXPECT_EQ(camera->closes(), closes + 1);
        EXPECT_FALSE(destroyCaptureWindow(hwnd));
        EXPECT_EQ(SendMessage(hwnd, WM_CAP_GRAB_FRAME, 0, 0), 0);
    }
}

TEST(CaptureWindowNoCameraTest, MissingDeviceIsNoConnectionAndNoPicture) {
    resetCaptureDriverFactory();
    QWidget parent;
    const qintptr hwnd = capCreateCaptureWindowA("Video", 0, 0, 0, 640, 480, &parent, 0);
    pictureClipboard().setPicture(solid(1, 1, Qt::white));

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_DRIVER_CONNECT, 63, 0), 0);
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_SET_PREVIEW, 1, 0), 0);
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_GRAB_FRAME, 0, 0), 0);
    EXPECT_EQ(SendMessage(hwnd, WM_CAP_EDIT_COPY, 0, 0), 0);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(clipboardError(), vbrt::ErrInvalidPicture);

    V4l2CaptureDriver driver;
    EXPECT_FALSE(driver.open(64)) << "beyond the device numbers the kernel gives out";
    EXPECT_FALSE(driver.open(-1));
    EXPECT_TRUE(driver.grab().isNull());
}
