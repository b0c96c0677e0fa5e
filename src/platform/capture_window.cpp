#include "platform/capture_window.h"

#include "platform/picture_clipboard.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <map>
#include <vector>

namespace platform {

namespace {

class CaptureWindow;

struct Registry {
    std::map<qintptr, QPointer<CaptureWindow>> windows;
    // Windows created without a parent have no Qt owner; they are ours until destroyed.
    std::vector<std::unique_ptr<CaptureWindow>> parentless;
    qintptr nextHandle = 0x10000;
    bool cleanupRegistered = false;
};

Registry& registry() {
    static Registry r;
    return r;
}

class CaptureWindow : public QWidget {
public:
    CaptureWindow(qintptr handle, long style, QWidget* parent)
        : QWidget(parent), handle_(handle), style_(style), previewTimer_(new QTimer(this)) {
        previewTimer_->setInterval(previewRateMs_);
        QObject::connect(previewTimer_, &QTimer::timeout, this, [this] { previewTick(); });
        setAttribute(Qt::WA_OpaquePaintEvent);
        updatePreviewState();
    }

    ~CaptureWindow() override {
        dropDriver();
        registry().windows.erase(handle_);
    }

    long answer(int msg, long wParam) {
        switch (msg) {
        case WM_CAP_DRIVER_CONNECT:
            return connectDriver(int(wParam));
        case WM_CAP_DRIVER_DISCONNECT:
            return dropDriver() ? 1 : 0;
        case WM_CAP_SET_SCALE:
            scale_ = wParam != 0;
            update();
            return connected();
        case WM_CAP_SET_PREVIEWRATE:
            // A zero interval would spin the event loop.
            previewRateMs_ = int(std::clamp<long>(wParam, 1, 60000));
            previewTimer_->setInterval(previewRateMs_);
            return connected();
        case WM_CAP_SET_PREVIEW:
            preview_ = wParam != 0;
            updatePreviewState();
            return connected();
        case WM_CAP_GRAB_FRAME:
            return grabFrame();
        case WM_CAP_EDIT_COPY:
            return copyFrame();
        default:
            return 0;
        }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        if (previewFrame_.isNull())
            return;
        if (scale_)
            painter.drawImage(rect(), previewFrame_);
        else
            painter.drawImage(QPoint(0, 0), previewFrame_);
    }

private:
    long connected() const { return driver_ ? 1 : 0; }

    long connectDriver(int index) {
        dropDriver();
        auto driver = createCaptureDriver();
        if (!driver || !driver->open(index))
            return 0;
        driver_ = std::move(driver);
        updatePreviewState();
        return 1;
    }

    bool dropDriver() {
        if (!driver_)
            return false;
        driver_->close();
        driver_.reset();
        previewFrame_ = QImage();
        updatePreviewState();
        update();
        return true;
    }

    long grabFrame() {
        // A failed grab must not leave an older frame for the next copy: the program would
        // take a stale picture for the current one.
        lastFrame_ = driver_ ? driver_->grab() : QImage();
        return lastFrame_.isNull() ? 0 : 1;
    }

    long copyFrame() {
        if (lastFrame_.isNull()) {
            pictureClipboard().clear();
            return 0;
        }
        pictureClipboard().setPicture(lastFrame_);
        return 1;
    }

    void updatePreviewState() {
        const bool shown = (style_ & WS_VISIBLE) && preview_;
        setVisible(shown);
        if (shown && driver_)
            previewTimer_->start();
        else
            previewTimer_->stop();
    }

    void previewTick() {
        // Frames nobody can see are not worth a read from the camera.
        if (!driver_ || !isVisible())
            return;
        const QImage frame = driver_->grab();
        if (!frame.isNull()) {
            previewFrame_ = frame;
            update();
        }
    }

    qintptr handle_;
    long style_;
    QTimer* previewTimer_;
    std::unique_ptr<CaptureDriver> driver_;
    bool scale_ = false;
    bool preview_ = false;
    int previewRateMs_ = 66;
    QImage lastFrame_;
    QImage previewFrame_;
};

CaptureWindow* findWindow(qintptr hwnd) {
    const auto it = registry().windows.find(hwnd);
    return it == registry().windows.end() ? nullptr : it->second.data();
}

void destroyParentlessWindows() {
    // Widgets must go before the application object does.
    auto windows = std::move(registry().parentless);
    registry().parentless.clear();
    windows.clear();
}

} // namespace

qintptr capCreateCaptureWindowA(const QString& name, long style, int x, int y, int width,
                                int height, QWidget* parent, int id) {
    Registry& r = registry();
    const qintptr handle = r.nextHandle++;
    CaptureWindow* window = nullptr;
    if (parent) {
        window = new CaptureWindow(handle, style, parent);
    } else {
        if (!r.cleanupRegistered) {
            qAddPostRoutine(destroyParentlessWindows);
            r.cleanupRegistered = true;
        }
        r.parentless.push_back(std::make_unique<CaptureWindow>(handle, style, nullptr));
        window = r.parentless.back().get();
    }
    window->setObjectName(name);
    window->setWindowTitle(name);
    window->setProperty("captureWindowId", id);
    window->setGeometry(x, y, std::max(width, 0), std::max(height, 0));
    r.windows[handle] = window;
    return handle;
}

long SendMessage(qintptr hwnd, int msg, long wParam, long /*lParam*/) {
    CaptureWindow* window = findWindow(hwnd);
    return window ? window->answer(msg, wParam) : 0;
}

bool destroyCaptureWindow(qintptr hwnd) {
    CaptureWindow* window = findWindow(hwnd);
    if (!window)
        return false;
    auto& parentless = registry().parentless;
    const auto owned = std::find_if(parentless.begin(), parentless.end(),
                                    [window](const auto& p) { return p.get() == window; });
    if (owned != parentless.end()) {
        const std::unique_ptr<CaptureWindow> doomed = std::move(*owned);
        parentless.erase(owned);
    } else {
        delete window;
    }
    return true;
}

QWidget* captureWindowWidget(qintptr hwnd) {
    return findWindow(hwnd);
}

} // namespace platform
