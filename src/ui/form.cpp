#include "ui/form.h"

#include "ui/control.h"
#include "ui/control_array.h"
#include "ui/controls.h"
#include "ui/screen.h"
#include "ui/twips.h"
#include "ui/waits.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWindow>
#include <algorithm>

namespace ui {

Form::Form(const QString& name) : name_(name), caption_(name) {}

Form::~Form() {
    delete window_.data();
}

Form::Run::Run(std::initializer_list<Form*> forms) {
    if (std::any_of(forms.begin(), forms.end(), [](const Form* f) { return f->running_; }))
        return;
    forms_.assign(forms.begin(), forms.end());
    for (Form* f : forms_)
        f->running_ = true;
}

Form::Run::~Run() {
    for (Form* f : forms_)
        f->running_ = false;
}

void Form::addControl(Control* c) {
    controls_.push_back(c);
}
void Form::removeControl(Control* c) {
    std::erase(controls_, c);
}
void Form::addArray(ControlArrayBase* a) {
    arrays_.push_back(a);
}
void Form::removeArray(ControlArrayBase* a) {
    std::erase(arrays_, a);
}

QWidget* Form::window() const {
    return window_;
}

void Form::designWindow(const QString& caption, int left, int top, int width, int height,
                        vbrt::Colour back) {
    caption_ = caption;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    backColor_ = back;
}

bool Form::load() {
    if (isLoaded())
        return true;
    if (state_ == State::Unloading)
        return false;
    state_ = State::Loading;
    ++generation_;

    caption_ = name_;
    backColor_ = vbrt::RGB(240, 240, 240);
    picture_ = QImage();
    left_ = top_ = 0;
    width_ = 4800;
    height_ = 3600;
    windowState_ = Normal;
    borderStyle_ = 2;
    frameMargins_ = placedWith_ = restoringFrom_ = QMargins();
    visible_ = false;
    shownOnce_ = false;
    const std::vector<Control*> all = controls_;
    for (Control* c : all)
        c->resetToDesign();
    design();

    window_ = new FormWindow(this);
    window_->setWindowTitle(caption_);
    setBackColor(backColor_);
    syncWindowGeometry();
    for (Control* c : std::vector<Control*>(controls_))
        c->attach(window_);
    createExtras(window_);

    Form_Load();
    if (state_ == State::Loading)
        state_ = State::Loaded;
    return isLoaded();
}

void Form::unload() {
    if (state_ == State::Unloaded || state_ == State::Unloading)
        return;
    runCloseHandlers(FromCode);
}

bool Form::requestClose(int mode) {
    if (state_ == State::Unloaded || state_ == State::Unloading)
        return false;
    return runCloseHandlers(mode);
}

bool Form::runCloseHandlers(int mode) {
    const State before = state_;
    state_ = State::Unloading;
    int cancel = 0;
    try {
        Form_QueryUnload(cancel, mode);
        if (cancel == 0)
            Form_Unload(cancel);
    } catch (...) {
        // A handler that fails leaves the window open, as a cancelled close does, and the
        // error goes to whoever asked for the unload.
        state_ = before;
        throw;
    }
    if (cancel != 0) {
        state_ = before;
        return false;
    }
    tearDown();
    return true;
}

void Form::tearDown() {
    for (Control* c : std::vector<Control*>(controls_))
        c->detach();
    for (ControlArrayBase* a : std::vector<ControlArrayBase*>(arrays_))
        a->unloadRuntimeElements();
    if (window_) {
        window_->hide();
        window_->deleteLater();
    }
    window_ = nullptr;
    visible_ = false;
    state_ = State::Unloaded;
}

void Form::setVisible(bool on) {
    if (on && !load())
        return;
    visible_ = on;
    if (!window_)
        return;
    if (!on) {
        window_->hide();
        return;
    }
    if (windowState_ == Maximized)
        window_->showMaximized();
    else if (windowState_ == Minimized)
        window_->showMinimized();
    else
        window_->show();
    if (!shownOnce_) {
        shownOnce_ = true;
        resized();
    }
}

void Form::setCaption(const QString& text) {
    caption_ = text;
    if (window_)
        window_->setWindowTitle(text);
}

void Form::setBackColor(vbrt::Colour c) {
    backColor_ = c;
    if (window_) {
        QPalette pal = window_->palette();
        pal.setColor(QPalette::Window, vbrt::toQColor(c));
        window_->setPalette(pal);
        window_->setAutoFillBackground(true);
    }
}

void Form::setPicture(const QImage& picture) {
    picture_ = picture;
    if (window_)
        window_->update();
}

void Form::Move(int left, int top, int width, int height) {
    const bool sizeChanged = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    syncWindowGeometry();
    if (sizeChanged)
        resized();
}

void Form::setWindowState(int state) {
    if (state == windowState_)
        return;
    const int before = windowState_;
    windowState_ = state;
    if (state == Maximized) {
        // The window takes the whole screen; its own size comes back with the normal state.
        normalWidth_ = width_;
        normalHeight_ = height_;
        width_ = Screen::Width();
        height_ = Screen::Height();
    } else if (state == Normal && normalWidth_ > 0) {
        width_ = normalWidth_;
        height_ = normalHeight_;
        normalWidth_ = normalHeight_ = 0;
    }
    if (window_ && visible_) {
        if (state == Maximized)
            window_->showMaximized();
        else if (state == Minimized)
            window_->showMinimized();
        else
            window_->showNormal();
        // A window manager may frame a maximised window differently (no side borders). Until
        // the window has its own frame back, a placement would be read against the other one.
        if (state == Normal && before == Maximized && window_->windowHandle()) {
            const QMargins now = window_->windowHandle()->frameMargins();
            if (!frameMargins_.isNull() && !now.isNull() && now != frameMargins_)
                restoringFrom_ = now;
        }
    }
    syncWindowGeometry();
    resized();
}

void Form::setBorderStyle(int style) {
    const bool wasFramed = borderStyle_ != 0;
    borderStyle_ = style;
    if (window_ && wasFramed != (style != 0)) {
        // Qt hides a window whose frame it takes away or gives back; the frame it had no
        // longer counts.
        window_->setWindowFlag(Qt::FramelessWindowHint, style == 0);
        frameMargins_ = placedWith_ = restoringFrom_ = QMargins();
        if (visible_)
            setVisible(true);
    }
    // Placed after the window is shown again: its new native window starts wherever the
    // platform puts new windows.
    syncWindowGeometry();
}

int Form::frameWidth() const {
    if (borderStyle_ == 0)
        return 0;
    if (frameMargins_.isNull())
        return kFrameWidth;
    return pixelsToTwips(frameMargins_.left() + frameMargins_.right());
}

int Form::frameHeight() const {
    if (borderStyle_ == 0)
        return 0;
    if (frameMargins_.isNull())
        return kFrameHeight;
    return pixelsToTwips(frameMargins_.top() + frameMargins_.bottom());
}

int Form::ScaleWidth() const {
    return std::max(0, width_ - frameWidth());
}

int Form::ScaleHeight() const {
    return std::max(0, height_ - frameHeight());
}

QSize Form::innerPixels() const {
    return {std::max(1, twipsToPixels(ScaleWidth())), std::max(1, twipsToPixels(ScaleHeight()))};
}

void Form::syncWindowGeometry() {
    if (!window_ || windowState_ != Normal || !restoringFrom_.isNull())
        return;
    const QSize inner = innerPixels();
    if (borderStyle_ == 2 || borderStyle_ == 5) {
        window_->setMinimumSize(0, 0);
        window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        window_->setFixedSize(inner);
    }
    // The size is the inner area's; the position is the frame's, so that the caption and close
    // box start at (Left, Top) instead of above the screen's edge.
    window_->resize(inner);
    const QPoint frame(twipsToPixels(left_), twipsToPixels(top_));
    QWindow* handle = window_->windowHandle();
    if (!handle) {
        window_->move(frame); // not shown yet: Qt has the window manager place the frame there
        return;
    }
    // Once shown, move() would go from frame to inner position through the widget's copy of
    // the frame margins, which lags when the window manager changes the frame (a maximised
    // window coming back gets its borders again) and puts the frame off by the difference.
    // A window without a border has none, whatever the platform still reports from before.
    placedWith_ = borderStyle_ == 0 ? QMargins() : handle->frameMargins();
    handle->setPosition(frame + QPoint(placedWith_.left(), placedWith_.top()));
}

// A window manager frames a window only once it is shown, each in its own way, and changes the
// frame with the window's state. From then on the real frame is what the outer size leaves for
// the inner area. Whenever the frame is not the one the window was last placed with, the
// geometry goes out again, so that the outer size is still the one the program set and the
// frame sits at (Left, Top) with its present borders. True when it went out again.
bool Form::adoptWindowFrame() {
    constexpr Qt::WindowStates kTakenOver =
        Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    if (!window_ || !window_->isVisible() || windowState_ != Normal ||
        (window_->windowState() & kTakenOver)) // the user maximised it through the frame
        return false;
    const QMargins margins = window_->windowHandle()->frameMargins();
    if (margins.isNull() || (margins == frameMargins_ && margins == placedWith_))
        return false;
    const QSize innerBefore(ScaleWidth(), ScaleHeight());
    frameMargins_ = margins;
    syncWindowGeometry();
    // The outer size stays; the layout follows only when the inner area really changed.
    if (QSize(ScaleWidth(), ScaleHeight()) != innerBefore)
        resized();
    return true;
}

void Form::resized() {
    if (window_ && visible_ && shownOnce_)
        Form_Resize();
}

// Spontaneous moves and resizes, and changes of the window's properties, come from the window
// manager. True when what it reported is stale: the window was placed again, or is still
// coming back from maximised.
bool Form::windowManagerAnswered() {
    if (!window_ || !window_->windowHandle())
        return false;
    if (!restoringFrom_.isNull()) {
        if (window_->windowHandle()->frameMargins() == restoringFrom_)
            return true;
        restoringFrom_ = placedWith_ = QMargins();
    }
    return adoptWindowFrame();
}

// Sizes and positions the window manager reports in pixels. One that matches what the
// program set is only the echo of its own call: the twips it set stay as they were.
void Form::userMoved(QPoint framePx) {
    if (windowState_ != Normal || framePx == QPoint(twipsToPixels(left_), twipsToPixels(top_)))
        return;
    left_ = pixelsToTwips(framePx.x());
    top_ = pixelsToTwips(framePx.y());
}

void Form::userResized(QSize innerPx) {
    if (windowState_ != Normal || innerPx == innerPixels())
        return;
    width_ = pixelsToTwips(innerPx.width()) + frameWidth();
    height_ = pixelsToTwips(innerPx.height()) + frameHeight();
    resized();
}

FormWindow::FormWindow(Form* form) : form_(form) {}

void FormWindow::closeEvent(QCloseEvent* e) {
    // The form decides, through its close handlers, whether and how it goes.
    e->ignore();
    form_->requestClose();
}

// Spontaneous moves and resizes come from the window manager: its answers to the program's
// placements, or the user dragging the frame. The window's present geometry counts rather than
// the event's, which can lag behind it (Qt folds later changes into an earlier event).
void FormWindow::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (!e->spontaneous() || !isVisible() || form_->windowManagerAnswered())
        return;
    form_->userMoved(windowHandle()->framePosition());
}

void FormWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (!e->spontaneous() || !isVisible() || form_->windowManagerAnswered())
        return;
    form_->userResized(size());
}

bool FormWindow::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    // A window manager tells of a new frame in a property of the window, often with nothing Qt
    // turns into an event (a window shown again, a window fixed in size losing its sizing
    // grip). Qt reads that property once this returns, so the frame is looked at then.
    constexpr uint8_t kXcbPropertyNotify = 28;
    if (eventType == "xcb_generic_event_t" &&
        (static_cast<const uint8_t*>(message)[0] & 0x7f) == kXcbPropertyNotify)
        QMetaObject::invokeMethod(
            this, [this] { form_->windowManagerAnswered(); }, Qt::QueuedConnection);
    return QWidget::nativeEvent(eventType, message, result);
}

void FormWindow::mousePressEvent(QMouseEvent* e) {
    pressed_ = e->button() == Qt::LeftButton;
    const MouseDown d = mouseDown(*e);
    if (d.button != 0)
        form_->Form_MouseDown(d.button, d.shift, d.x, d.y);
}

void FormWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
        pressed_ = false;
        form_->Form_Click();
    }
    pressed_ = false;
}

void FormWindow::mouseDoubleClickEvent(QMouseEvent* e) {
    pressed_ = false;
    if (e->button() == Qt::LeftButton)
        form_->Form_DblClick();
}

void FormWindow::paintEvent(QPaintEvent*) {
    if (form_->picture_.isNull())
        return;
    QPainter p(this);
    p.drawImage(0, 0, form_->picture_);
}

void FormWindow::keyPressEvent(QKeyEvent* e) {
    const QString text = e->text();
    if (text.isEmpty()) {
        QWidget::keyPressEvent(e);
        return;
    }
    int key = text.at(0).unicode();
    form_->Form_KeyPress(key);
}

bool Opening::pauseSecond() const {
    ui::pauseSecond();
    return alive();
}

bool Opening::pauseShort() const {
    ui::pauseShort();
    return alive();
}

} // namespace ui
