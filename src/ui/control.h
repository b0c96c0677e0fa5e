#pragma once

#include "vbrt/colour.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <initializer_list>
#include <span>

namespace ui {

class Form;

// Default colours of the desktop the program was made for.
constexpr vbrt::Colour kButtonFace = vbrt::RGB(240, 240, 240);
constexpr vbrt::Colour kWindowBack = vbrt::RGB(255, 255, 255);
constexpr vbrt::Colour kWindowText = vbrt::RGB(0, 0, 0);

// A control of a window. It keeps every property the program sets (geometry in twips,
// visibility, colours as &HBBGGRR, font) itself and pushes it to its Qt widget while the
// window is loaded. After the window is unloaded the control keeps its values but has no
// widget, so code that still holds it touches no freed memory; the next load restores
// the window's design.
class Control {
public:
    Control(Form* owner, const QString& name, int index = -1);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Form* form() const { return form_; }
    QString name() const { return name_; }
    int Index() const { return index_; }

    int Left() const { return p_.left; }
    int Top() const { return p_.top; }
    int Width() const { return p_.width; }
    int Height() const { return p_.height; }
    void setLeft(int twips);
    void setTop(int twips);
    void setWidth(int twips);
    void setHeight(int twips);
    void Move(int left, int top, int width, int height);
    void Move(int left, int top);

    bool Visible() const { return p_.visible; }
    void setVisible(bool on);
    bool Enabled() const { return p_.enabled; }
    void setEnabled(bool on);

    vbrt::Colour BackColor() const { return p_.backColor; }
    void setBackColor(vbrt::Colour c);
    vbrt::Colour ForeColor() const { return p_.foreColor; }
    void setForeColor(vbrt::Colour c);

    QString FontName() const { return p_.fontName; }
    void setFontName(const QString& name);
    double FontSize() const { return p_.fontSize; }
    void setFontSize(double points);
    bool FontBold() const { return p_.fontBold; }
    void setFontBold(bool on);

    QString Tag() const { return p_.tag; }
    void setTag(const QString& t) { p_.tag = t; }
    QString ToolTipText() const { return p_.toolTipText; }
    void setToolTipText(const QString& text);

    // True while the window is loaded and the control has a widget.
    bool isLive() const { return widget() != nullptr; }
    void SetFocus();

    // The Qt widget while the window is loaded, else nullptr.
    virtual QWidget* widget() const { return w_; }

protected:
    friend class Form;
    template <class T> friend class ControlArray;

    struct Common {
        int left = 0, top = 0, width = 1200, height = 495;
        bool visible = true, enabled = true;
        vbrt::Colour backColor = kButtonFace, foreColor = kWindowText;
        QString fontName;
        double fontSize = 9;
        bool fontBold = false;
        QString tag;
        QString toolTipText;
    };

    // Back to the defaults of the control's kind; the window's design then sets its own.
    virtual void resetToDesign();
    virtual void attach(QWidget* parent);
    virtual void detach();
    virtual QWidget* createWidget(QWidget* parent) = 0;
    // Pushes every property to the widget.
    virtual void sync();
    virtual void syncGeometry();
    virtual void syncColours();
    virtual void syncFont();
    // The defaults a kind of control starts from.
    virtual Common defaults() const { return Common{}; }
    QFont font() const;
    void copyCommon(const Control& from) { p_ = from.p_; }

    Common p_;
    QPointer<QWidget> w_;

private:
    Form* form_;
    QString name_;
    int index_;
};

// Shows or hides each of the controls.
void showControls(std::span<Control* const> controls, bool on);
void showControls(std::initializer_list<Control*> controls, bool on);

// Style sheet text of a background and text colour.
QString colourStyle(const char* widgetClass, vbrt::Colour back, vbrt::Colour fore);

} // namespace ui
