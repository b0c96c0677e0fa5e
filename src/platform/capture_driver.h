#pragma once

#include <QImage>
#include <functional>
#include <memory>

namespace platform {

// One camera as the capture window sees it. A driver object serves one connection: the window
// creates it when it connects, opens it, grabs from it, closes it and drops it.
class CaptureDriver {
public:
    virtual ~CaptureDriver() = default;
    // Opens camera number `index`; false when there is no such camera or it cannot be used.
    virtual bool open(int index) = 0;
    // The newest frame, or a null image when none could be read.
    virtual QImage grab() = 0;
    virtual void close() = 0;
};

using CaptureDriverFactory = std::function<std::unique_ptr<CaptureDriver>()>;

// Decides which driver the capture windows connect through from now on; an empty factory
// goes back to the V4L2 cameras.
void setCaptureDriverFactory(CaptureDriverFactory factory);
void resetCaptureDriverFactory();
std::unique_ptr<CaptureDriver> createCaptureDriver();

// Camera N is /dev/videoN, read through libv4l2 so that any pixel format the camera offers
// arrives as RGB.
class V4l2CaptureDriver : public CaptureDriver {
public:
    V4l2CaptureDriver() = default;
    ~V4l2CaptureDriver() override;
    V4l2CaptureDriver(const V4l2CaptureDriver&) = delete;
    V4l2CaptureDriver& operator=(const V4l2CaptureDriver&) = delete;

    bool open(int index) override;
    QImage grab() override;
    void close() override;

private:
    QImage readOneFrame(bool& notReady);

    int fd_ = -1;
    int width_ = 0;
    int height_ = 0;
    int bytesPerLine_ = 0;
    int frameBytes_ = 0;
};

} // namespace platform
