#include "platform/capture_driver.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <cerrno>
#include <fcntl.h>
#include <libv4l2.h>
#include <linux/videodev2.h>
#include <sys/select.h>

namespace platform {

namespace {

// /dev/video63 is the highest minor the kernel hands out for video capture devices.
constexpr int MaxCameraIndex = 63;
// A camera that delivers nothing for this long is taken as failed rather than blocking the
// program's timers.
constexpr int FrameWaitMs = 2000;

CaptureDriverFactory& factorySlot() {
    static CaptureDriverFactory factory;
    return factory;
}

int ioctlRetrying(int fd, unsigned long request, void* arg) {
    int result;
    do {
        result = v4l2_ioctl(fd, request, arg);
    } while (result == -1 && errno == EINTR);
    return result;
}

bool waitReadable(int fd, int timeoutMs) {
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(fd, &fds);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return select(fd + 1, &fds, nullptr, nullptr, &tv) > 0;
}

} // namespace

void setCaptureDriverFactory(CaptureDriverFactory factory) {
    factorySlot() = std::move(factory);
}

void resetCaptureDriverFactory() {
    factorySlot() = nullptr;
}

std::unique_ptr<CaptureDriver> createCaptureDriver() {
    if (factorySlot())
        return factorySlot()();
    return std::make_unique<V4l2CaptureDriver>();
}

V4l2CaptureDriver::~V4l2CaptureDriver() {
    close();
}

bool V4l2CaptureDriver::open(int index) {
    close();
    if (index < 0 || index > MaxCameraIndex)
        return false;
    const QByteArray path = QByteArray("/dev/video") + QByteArray::number(index);
    // Non-blocking so that a camera which stops delivering cannot hang the caller; grab() waits
    // with a time limit instead.
    const int fd = v4l2_open(path.constData(), O_RDWR | O_NONBLOCK);
    if (fd < 0)
        return false;

    v4l2_capability caps{};
    if (ioctlRetrying(fd, VIDIOC_QUERYCAP, &caps) == -1 ||
        !(caps.capabilities & V4L2_CAP_VIDEO_CAPTURE)) {
        v4l2_close(fd);
        return false;
    }

    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = 640;
    format.fmt.pix.height = 480;
    format.fmt.pix.pixelformat = V4L2_PIX_FMT_RGB24;
    format.fmt.pix.field = V4L2_FIELD_ANY;
    if (ioctlRetrying(fd, VIDIOC_S_FMT, &format) == -1 ||
        format.fmt.pix.pixelformat != V4L2_PIX_FMT_RGB24 || format.fmt.pix.width == 0 ||
        format.fmt.pix.height == 0) {
        v4l2_close(fd);
        return false;
    }

    width_ = int(format.fmt.pix.width);
    height_ = int(format.fmt.pix.height);
    bytesPerLine_ = qMax(int(format.fmt.pix.bytesperline), width_ * 3);
    frameBytes_ = qMax(int(format.fmt.pix.sizeimage), bytesPerLine_ * height_);
    fd_ = fd;
    return true;
}

QImage V4l2CaptureDriver::readOneFrame(bool& notReady) {
    QByteArray buffer(frameBytes_, Qt::Uninitialized);
    errno = 0;
    const auto got = v4l2_read(fd_, buffer.data(), size_t(buffer.size()));
    notReady = got < 0 && (errno == EAGAIN || errno == EINTR);
    if (got < qint64(bytesPerLine_) * (height_ - 1) + width_ * 3)
        return {};
    const QImage view(reinterpret_cast<const uchar*>(buffer.constData()), width_, height_,
                      bytesPerLine_, QImage::Format_RGB888);
    return view.copy();
}

QImage V4l2CaptureDriver::grab() {
    if (fd_ < 0)
        return {};
    // The driver queues several frames; draining them keeps a grab from returning a picture
    // taken seconds ago when the program grabs only now and then. The queue is short, so a
    // handful of reads empties it.
    constexpr int MaxDrainedFrames = 8;
    QImage newest;
    QElapsedTimer clock;
    clock.start();
    for (int frames = 0; frames < MaxDrainedFrames;) {
        bool notReady = false;
        QImage frame = readOneFrame(notReady);
        if (!frame.isNull()) {
            newest = std::move(frame);
            ++frames;
            continue;
        }
        if (!notReady || !newest.isNull())
            break;
        const int left = FrameWaitMs - int(clock.elapsed());
        if (left <= 0 || !waitReadable(fd_, left))
            break;
    }
    return newest;
}

void V4l2CaptureDriver::close() {
    if (fd_ >= 0)
        v4l2_close(fd_);
    fd_ = -1;
}

} // namespace platform
