#pragma once

#include "ui/control.h"

#include <QImage>
#include <QTimer>
#include <functional>
#include <memory>

class QLabel;
class QMouseEvent;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

namespace ui {

// A mouse press as the program's handlers take it: the buttons held (1 left, 2 right, 4
// middle, added up); shift state 1 Shift, 2 Ctrl, 4 Alt; the position in twips.
struct MouseDown {
    int button = 0, shift = 0, x = 0, y = 0;
};
MouseDown mouseDown(const QMouseEvent& e);
using MouseDownHandler = std::function<void(int button, int shift, int x, int y)>;

class CommandButton : public Control {
public:
    using Control::Control;
    QString Caption() const { return caption_; }
    void setCaption(const QString& text);
    // Presses the button from code (the program's "Command1 = True"); also what a click does.
    void press();

    std::function<void()> onClick;

protected:
    void resetToDesign() override;
    QWidget* createWidget(QWidget* parent) override;
    void syncColours() override;
    void syncGeometry() override;
    void syncFont() override;

private:
    // A caption wider than the button breaks into lines, as on the old desktop, so the tall
    // narrow buttons of a window's side column read top to bottom.
    void syncText();
    QString caption_;
};

// The caption broken into lines no wider than `widthPx` in `font` (between words, and
// between characters inside a word that does not fit, such as Chinese text).
QString wrapCaption(const QString& caption, const QFont& font, int widthPx);

class Label : public Control {
public:
    using Control::Control;
    QString Caption() const { return caption_; }
    void setCaption(const QString& text);
    // 0 left, 1 right, 2 centre.
    int Alignment() const { return alignment_; }
    void setAlignment(int a);
    void setWordWrap(bool on);
    // 0 transparent, 1 opaque.
    void setBackStyle(int style);

    std::function<void()> onClick;
    std::function<void()> onDblClick;
    MouseDownHandler onMouseDown;

protected:
    void resetToDesign() override;
    QWidget* createWidget(QWidget* parent) override;
    void syncColours() override;
    Common defaults() const override;

private:
    void syncText();
    void showCaption();
    QString caption_;
    int alignment_ = 0;
    bool wordWrap_ = false;
    int backStyle_ = 1;
    // When the widget last showed a caption, on the program's monotonic clock, and whether a
    // newer one waits for the next frame.
    double captionShownAt_ = -1;
    bool captionDue_ = false;
    std::unique_ptr<QTimer> captionTimer_;
};

class TextBox : public Control {
public:
    using Control::Control;
    // Multi-line boxes give their lines separated by CR LF.
    QString Text() const { return text_; }
    void setText(const QString& text);
    bool MultiLine() const { return multiLine_; }
    void setMultiLine(bool on) { multiLine_ = on; } // design only
    bool Locked() const { return locked_; }
    void setLocked(bool on);
    // The user changed the text since it was last set from code.
    bool Modified() const;
    void setAlignment(int a); // 0 left, 1 right, 2 centre
    int SelStart() const;
    void setSelStart(int pos);

    std::function<void()> onChange;
    // The typed character; setting it to 0 swallows the key.
    std::function<void(int& keyAscii)> onKeyPress;
    std::function<void()> onClick;
    std::function<void()> onDblClick;

    // Typing from a user's point of view: each character through KeyPress, then into the text.
    void type(const QString& chars);

protected:
    void resetToDesign() override;
    QWidget* createWidget(QWidget* parent) override;
    void syncColours() override;
    Common defaults() const override;

private:
    friend class TextBoxFilter;
    void pushText();
    // The text the widget shows is the text the program reads.
    void widgetTextChanged(const QString& widgetText);

    QString text_;
    bool multiLine_ = false;
    bool locked_ = false;
    int alignment_ = 0;
    int selStart_ = 0;
    bool pushing_ = false;
};

// A picture holder that can stretch its picture to its size.
class ImageBox : public Control {
public:
    using Control::Control;
    QImage Picture() const { return picture_; }
    // Without Stretch the control takes the size of its picture.
    void setPicture(const QImage& picture);
    bool Stretch() const { return stretch_; }
    void setStretch(bool on);

    std::function<void()> onClick;
    std::function<void()> onDblClick;

protected:
    void resetToDesign() override;
    QWidget* createWidget(QWidget* parent) override;
    void syncGeometry() override;

private:
    void syncPicture();
    QImage picture_;
    bool stretch_ = false;
};

class ScrollBar : public Control {
public:
    ScrollBar(Form* owner, const QString& name, int index = -1, bool vertical = false);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Value() const { return value_; }
    void setMin(int v);
    void setMax(int v);
    // Setting the value fires Change when it changes.
    void setValue(int v);
    void setSmallChange(int v);
    void setLargeChange(int v);

    std::function<void()> onChange;
    std::function<void()> onScroll;

protected:
    void resetToDesign() override;
    QWidget* createWidget(QWidget* parent) override;

private:
    void syncRange();
    bool vertical_;
    int min_ = 0, max_ = 32767, value_ = 0, small_ = 1, large_ = 1;
    bool pushing_ = false;
};

class HScrollBar : public ScrollBar {
public:
    HScrollBar(Form* owner, const QString& name, int index = -1)
        : ScrollBar(owner, name, index, false) {}
};
class VScrollBar : public ScrollBar {
public:
    VScrollBar(Form* owner, const QString& name, int index = -1)
        : ScrollBar(owner, name, index, true) {}
};

// Hosts a widget made by someone else (the platform stand-ins: player, browser, rich text)
// with the geometry and visibility of a control.
class WidgetHost : public Control {
public:
    using Control::Control;
    // Makes the hosted widget at each load. It may give none while there is nothing to host
    // yet; makeWidget() asks again once there is.
    std::function<QWidget*(QWidget* parent)> factory;
    // Asks the factory now when the window is loaded and the host has no widget yet.
    void makeWidget();

protected:
    QWidget* createWidget(QWidget* parent) override { return factory ? factory(parent) : nullptr; }
};

} // namespace ui
