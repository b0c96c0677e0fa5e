#include "ui/form.h"

#include "ui/control.h"
#include "ui/control_array.h"
#include "ui/screen.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

namespace ui {

Form::Form(const QString& name) : name_(name), caption_(name) {}

Form::~Form() {
    delete window_.data();
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

bool Form::requestClose() {
    if (state_ == State::Unloaded || state_ == State::Unloading)
        return false;
    return runCloseHandlers(FromControlMenu);
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
    }
    syncWindowGeometry();
    resized();
}

void Form::setBorderStyle(int style) {
    borderStyle_ = style;
    syncWindowGeometry();
}

void Form::syncWindowGeometry() {
    if (!window_ || windowState_ != Normal)
        return;
    const QRect r(twipsToPixels(left_), twipsToPixels(top_),
                  std::max(1, twipsToPixels(ScaleWidth())),
                  std::max(1, twipsToPixels(ScaleHeight())));
    if (borderStyle_ == 2 || borderStyle_ == 5) {
        window_->setMinimumSize(0, 0);
        window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        window_->setFixedSize(r.size());
    }
    window_->setGeometry(r);
}

void Form::resized() {
    if (window_ && visible_ && shownOnce_)
        Form_Resize();
}

void Form::userResized(int widthPx, int heightPx) {
    const int w = pixelsToTwips(widthPx) + kFrameWidth;
    const int h = pixelsToTwips(heightPx) + kFrameHeight;
    if (w == width_ && h == height_)
        return;
    width_ = w;
    height_ = h;
    resized();
}

FormWindow::FormWindow(Form* form) : form_(form) {}

void FormWindow::closeEvent(QCloseEvent* e) {
    // The form decides, through its close handlers, whether and how it goes.
    e->ignore();
    form_->requestClose();
}

void FormWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (e->spontaneous() && form_->windowState_ == Normal)
        form_->userResized(e->size().width(), e->size().height());
}

void FormWindow::mousePressEvent(QMouseEvent* e) {
    pressed_ = e->button() == Qt::LeftButton;
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

} // namespace ui
