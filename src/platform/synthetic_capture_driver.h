#pragma once

#include "platform/capture_driver.h"

#include <QImage>
#include <QList>
#include <memory>

namespace platform {

// A camera for tests: the frames are whatever the test sets, and it counts what the capture
// windows did with it. Every driver the factory creates shares one SyntheticCamera.
class SyntheticCamera {
public:
    // Camera indices that open; {0} unless the test says otherwise.
    void setAvailableIndices(const QList<int>& indices) { available_ = indices; }
    QList<int> availableIndices() const { return available_; }
    // The frame every grab returns; a null image makes grabs fail.
    void setFrame(const QImage& frame) { frame_ = frame; }
    QImage frame() const { return frame_; }

    int opens() const { return opens_; } // successful opens
    int openAttempts() const { return attempts_; }
    int closes() const { return closes_; }
    int grabs() const { return grabs_; }         // every grab, including failed ones
    int openIndex() const { return openIndex_; } // -1 while no driver holds the camera
    bool isOpen() const { return openIndex_ >= 0; }
    void resetCounters() { opens_ = attempts_ = closes_ = grabs_ = 0; }

private:
    friend class SyntheticCaptureDriver;
    QList<int> available_{0};
    QImage frame_;
    int opens_ = 0;
    int attempts_ = 0;
    int closes_ = 0;
    int grabs_ = 0;
    int openIndex_ = -1;
};

class SyntheticCaptureDriver : public CaptureDriver {
public:
    explicit SyntheticCaptureDriver(std::shared_ptr<SyntheticCamera> camera);
    ~SyntheticCaptureDriver() override;
    SyntheticCaptureDriver(const SyntheticCaptureDriver&) = delete;
    SyntheticCaptureDriver& operator=(const SyntheticCaptureDriver&) = delete;

    bool open(int index) override;
    QImage grab() override;
    void close() override;

private:
    std::shared_ptr<SyntheticCamera> camera_;
    bool open_ = false;
};

// Makes every capture window connect to one synthetic camera from now on (until
// resetCaptureDriverFactory()) and returns it so the test can set frames and read counters.
std::shared_ptr<SyntheticCamera> installSyntheticCaptureDriver(const QList<int>& indices = {0});

} // namespace platform
