#pragma once

#include "ui/control.h"

#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

namespace ui {

// A timer that ticks every Interval milliseconds while it is Enabled and, when it belongs to
// a window, while that window is loaded. A tick whose handler is still running (inside a wait
// that lets events through) is skipped, never nested.
class Timer : public Control {
public:
    explicit Timer(Form* owner = nullptr, const QString& name = {}, int index = -1);
    ~Timer() override;

    int Interval() const { return interval_; }
    void setInterval(int ms);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);

    std::function<void()> onTimer;

    bool isRunning() const { return running_; }
    // Runs the handler unless it is already running.
    void fire();

protected:
    void resetToDesign() override;
    void attach(QWidget* parent) override;
    void detach() override;
    QWidget* widget() const override { return nullptr; }
    QWidget* createWidget(QWidget*) override { return nullptr; }

private:
    friend class EventLoop;
    bool ticking() const { return live_ && enabled_ && interval_ > 0; }
    void reschedule();

    int interval_ = 0;
    bool enabled_ = true;
    bool live_ = true;
    bool running_ = false;
    int64_t dueNs_ = 0;
    uint64_t seq_ = 0;
    std::unique_ptr<QTimer> qt_;
};

} // namespace ui
