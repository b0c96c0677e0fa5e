#include "ui/control.h"

#include "ui/desktop.h"
#include "ui/form.h"
#include "ui/twips.h"

namespace ui {

QString colourStyle(const char* widgetClass, vbrt::Colour back, vbrt::Colour fore) {
    return QStringLiteral("%1 { background-color: %2; color: %3; }")
        .arg(QLatin1String(widgetClass), vbrt::toQColor(back).name(), vbrt::toQColor(fore).name());
}

void showControls(std::span<Control* const> controls, bool on) {
    for (Control* c : controls)
        c->setVisible(on);
}

void showControls(std::initializer_list<Control*> controls, bool on) {
    showControls(std::span(controls.begin(), controls.size()), on);
}

Control::Control(Form* owner, const QString& name, int index)
    : form_(owner), name_(name), index_(index) {
    if (form_)
        form_->addControl(this);
}

Control::~Control() {
    if (form_)
        form_->removeControl(this);
    if (w_)
        delete w_.data();
}

void Control::resetToDesign() {
    p_ = defaults();
}

void Control::attach(QWidget* parent) {
    if (w_)
        return;
    w_ = createWidget(parent);
    if (w_)
        sync();
}

void Control::detach() {
    if (w_) {
        w_->hide();
        w_->deleteLater();
    }
    w_ = nullptr;
}

void Control::sync() {
    syncGeometry();
    syncColours();
    syncFont();
    w_->setEnabled(p_.enabled);
    w_->setToolTip(p_.toolTipText);
    w_->setVisible(p_.visible);
}

void Control::syncGeometry() {
    if (!w_)
        return;
    w_->setGeometry(twipsToPixels(p_.left), twipsToPixels(p_.top),
                    std::max(0, twipsToPixels(p_.width)), std::max(0, twipsToPixels(p_.height)));
}

void Control::syncColours() {}

void Control::syncFont() {
    if (w_)
        w_->setFont(font());
}

QFont Control::font() const {
    QFont f;
    if (!p_.fontName.isEmpty())
        f.setFamilies(fontFamilies(p_.fontName));
    f.setPointSizeF(p_.fontSize > 0 ? p_.fontSize : 9);
    f.setBold(p_.fontBold);
    return f;
}

void Control::setLeft(int twips) {
    Move(twips, p_.top, p_.width, p_.height);
}
void Control::setTop(int twips) {
    Move(p_.left, twips, p_.width, p_.height);
}
void Control::setWidth(int twips) {
    Move(p_.left, p_.top, twips, p_.height);
}
void Control::setHeight(int twips) {
    Move(p_.left, p_.top, p_.width, twips);
}
void Control::Move(int left, int top) {
    Move(left, top, p_.width, p_.height);
}

void Control::Move(int left, int top, int width, int height) {
    p_.left = left;
    p_.top = top;
    p_.width = std::max(0, width);
    p_.height = std::max(0, height);
    syncGeometry();
}

void Control::setVisible(bool on) {
    p_.visible = on;
    if (w_)
        w_->setVisible(on);
}

void Control::setEnabled(bool on) {
    p_.enabled = on;
    if (w_)
        w_->setEnabled(on);
}

void Control::setBackColor(vbrt::Colour c) {
    p_.backColor = c;
    syncColours();
}

void Control::setForeColor(vbrt::Colour c) {
    p_.foreColor = c;
    syncColours();
}

void Control::setFontName(const QString& name) {
    p_.fontName = name;
    syncFont();
}

void Control::setFontSize(double points) {
    p_.fontSize = points;
    syncFont();
}

void Control::setFontBold(bool on) {
    p_.fontBold = on;
    syncFont();
}

void Control::setToolTipText(const QString& text) {
    p_.toolTipText = text;
    if (w_)
        w_->setToolTip(text);
}

void Control::SetFocus() {
    if (w_)
        w_->setFocus();
}

} // namespace ui
