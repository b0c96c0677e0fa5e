#pragma once

#include "vbrt/colour.h"

#include <QImage>
#include <QMargins>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

namespace ui {

class Control;
class ControlArrayBase;
class FormWindow;

// Reasons a window is asked to close, as its close handler receives them.
enum UnloadMode { FromControlMenu = 0, FromCode = 1, FromWindowsShutdown = 2 };
enum WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// A window of the program. Its object lives for the whole run; loading creates the window
// and its widgets from the design and runs Form_Load; unloading runs the close handlers,
// takes the widgets down and keeps every member value. Loading happens only where the
// program opens the window (load(), show(), setVisible(true)), never as a side effect of
// touching a control.
class Form {
public:
    explicit Form(const QString& name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    QString name() const { return name_; }

    bool isLoaded() const { return state_ == State::Loaded || state_ == State::Loading; }
    bool isUnloading() const { return state_ == State::Unloading; }
    // Changes at every load; a routine that waits with events running compares it before
    // and after to learn whether its window was unloaded (and perhaps loaded anew) meanwhile.
    uint64_t loadGeneration() const { return generation_; }
    bool stillLoaded(uint64_t generation) const { return isLoaded() && generation_ == generation; }

    // One long run of the window at a time. A run's waits let events in, so a press that would
    // start another run inside it finds the window running and does nothing; while held it
    // reads true. The run ends when the hold goes. A run of one window that reads or writes
    // another's controls holds both windows, or neither when either is running.
    class Run {
    public:
        explicit Run(Form& form) : Run({&form}) {}
        explicit Run(std::initializer_list<Form*> forms);
        ~Run();
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;
        explicit operator bool() const { return !forms_.empty(); }

    private:
        std::vector<Form*> forms_;
    };
    bool running() const { return running_; }

    // Loads the window when it is not loaded. False when it is being unloaded.
    bool load();
    // The Unload statement: the close handlers, then the window goes. Does nothing when the
    // window is not loaded or is already being unloaded.
    void unload();
    // The close box: like unload() with the control-menu reason, or another reason the window
    // is asked to close for; false when cancelled or already closing.
    bool requestClose(int mode = FromControlMenu);

    bool Visible() const { return visible_; }
    void setVisible(bool on); // true loads the window first
    void show() { setVisible(true); }
    void hide() { setVisible(false); }

    QString Caption() const { return caption_; }
    void setCaption(const QString& text);
    vbrt::Colour BackColor() const { return backColor_; }
    void setBackColor(vbrt::Colour c);
    // The background picture, drawn unscaled from the top left corner over the back colour.
    QImage Picture() const { return picture_; }
    void setPicture(const QImage& picture);

    // Outer geometry in twips: (Left, Top) is where the frame starts, Width and Height take in
    // the frame and caption; the inner area is what the frame leaves.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void setLeft(int twips) { Move(twips, top_, width_, height_); }
    void setTop(int twips) { Move(left_, twips, width_, height_); }
    void setWidth(int twips) { Move(left_, top_, twips, height_); }
    void setHeight(int twips) { Move(left_, top_, width_, twips); }
    void Move(int left, int top, int width, int height);
    int ScaleWidth() const;
    int ScaleHeight() const;

    int WindowState() const { return windowState_; }
    void setWindowState(int state);

    // 0 none, 1 fixed single, 2 sizable (the default), 3 fixed dialog, 4 fixed tool window,
    // 5 sizable tool window. Only the sizable styles let the user change the window's size; a
    // window without a border has no frame, its inner area is its whole size.
    int BorderStyle() const { return borderStyle_; }
    void setBorderStyle(int style);

    QWidget* window() const;

    // Frame of a sizable window, in twips: borders left and right, caption and borders. Assumed
    // until the window manager has framed the window; its real frame counts from then on.
    static constexpr int kFrameWidth = 120;
    static constexpr int kFrameHeight = 510;

    // Event handlers.
    virtual void Form_Load() {}
    virtual void Form_QueryUnload(int& /*cancel*/, int /*unloadMode*/) {}
    virtual void Form_Unload(int& /*cancel*/) {}
    virtual void Form_Resize() {}
    virtual void Form_Click() {}
    // Button 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt; x and y in twips.
    virtual void Form_MouseDown(int /*button*/, int /*shift*/, int /*x*/, int /*y*/) {}
    virtual void Form_DblClick() {}
    virtual void Form_KeyPress(int& /*keyAscii*/) {}

protected:
    // The window's design: every property of the window and its controls that differs from
    // the defaults. Runs at every load, after all controls went back to their defaults.
    virtual void design() {}
    // Runs after the controls have widgets, before Form_Load (menus and the like).
    virtual void createExtras(QWidget* /*window*/) {}

private:
    friend class Control;
    friend class ControlArrayBase;
    friend class FormWindow;
    enum class State { Unloaded, Loading, Loaded, Unloading };

    void addControl(Control* c);
    void removeControl(Control* c);
    void addArray(ControlArrayBase* a);
    void removeArray(ControlArrayBase* a);
    bool runCloseHandlers(int mode);
    void tearDown();
    void syncWindowGeometry();
    int frameWidth() const;
    int frameHeight() const;
    QSize innerPixels() const;
    bool adoptWindowFrame();
    bool windowManagerAnswered();
    void resized();
    void userMoved(QPoint framePx);
    void userResized(QSize innerPx);

    QString name_;
    State state_ = State::Unloaded;
    uint64_t generation_ = 0;
    std::vector<Control*> controls_;
    std::vector<ControlArrayBase*> arrays_;
    QPointer<FormWindow> window_;
    bool shownOnce_ = false;
    bool running_ = false;

    // Window properties.
    bool visible_ = false;
    QString caption_;
    vbrt::Colour backColor_ = vbrt::RGB(240, 240, 240);
    QImage picture_;
    int left_ = 0, top_ = 0, width_ = 4800, height_ = 3600;
    int windowState_ = Normal;
    int borderStyle_ = 2;
    int normalWidth_ = 0, normalHeight_ = 0;
    // In pixels: the frame a window manager gave the window, the frame it was placed with, and
    // while it comes back from maximised, the frame it had there.
    QMargins frameMargins_, placedWith_, restoringFrom_;

protected:
    // Design-time window properties, for design() to set without side effects.
    void designWindow(const QString& caption, int left, int top, int width, int height,
                      vbrt::Colour back);
};

// The top-level widget of a form; passes the window's events to it.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(Form* form);

protected:
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    Form* form_;
    bool pressed_ = false;
};

// Which opening of a window a routine started in, and the routine's waits. Each wait lets every
// event run, a close of the window among them; after it the routine goes on only while that
// same opening lasts (a routine started while the window was not loaded is never stopped by
// it).
class Opening {
public:
    explicit Opening(const Form& form)
        : form_(form), loaded_(form.isLoaded()), generation_(form.loadGeneration()) {}
    bool alive() const { return !loaded_ || form_.stillLoaded(generation_); }

    // ui::pauseSecond and ui::pauseShort; whether the routine goes on.
    bool pauseSecond() const;
    bool pauseShort() const;
    // The short wait as the step of a paced pass, which stops at the first false. The pass
    // must end before the opening does.
    std::function<bool()> shortPauses() const {
        return [this] { return pauseShort(); };
    }

private:
    const Form& form_;
    bool loaded_;
    uint64_t generation_;
};

} // namespace ui
