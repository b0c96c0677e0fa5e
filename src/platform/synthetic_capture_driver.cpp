#include "platform/synthetic_capture_driver.h"

namespace platform {

SyntheticCaptureDriver::SyntheticCaptureDriver(std::shared_ptr<SyntheticCamera> camera)
    : camera_(std::move(camera)) {}

SyntheticCaptureDriver::~SyntheticCaptureDriver() {
    close();
}

bool SyntheticCaptureDriver::open(int index) {
    close();
    ++camera_->attempts_;
    if (!camera_->available_.contains(index))
        return false;
    ++camera_->opens_;
    camera_->openIndex_ = index;
    open_ = true;
    return true;
}

QImage SyntheticCaptureDriver::grab() {
    ++camera_->grabs_;
    return open_ ? camera_->frame_ : QImage();
}

void SyntheticCaptureDriver::close() {
    if (!open_)
        return;
    open_ = false;
    ++camera_->closes_;
    camera_->openIndex_ = -1;
}

std::shared_ptr<SyntheticCamera> installSyntheticCaptureDriver(const QList<int>& indices) {
    auto camera = std::make_shared<SyntheticCamera>();
    camera->setAvailableIndices(indices);
    setCaptureDriverFactory([camera]() -> std::unique_ptr<CaptureDriver> {
        return std::make_unique<SyntheticCaptureDriver>(camera);
    });
    return camera;
}

} // namespace platform
