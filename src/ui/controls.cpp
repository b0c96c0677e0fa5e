#include "ui/controls.h"

#include "ui/clock.h"
#include "ui/desktop.h"
#include "ui/form.h"
#include "ui/screen.h"
#include "ui/twips.h"
#include "vbrt/errors.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRawFont>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <cmath>

namespace ui {

namespace {
// Clicks, double clicks and presses of widgets that have no such signals.
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()>* click, std::function<void()>* dbl,
                MouseDownHandler* down = nullptr)
        : QObject(parent), click_(click), dbl_(dbl), down_(down) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress && down_ && *down_) {
            const MouseDown d = mouseDown(*static_cast<QMouseEvent*>(e));
            (*down_)(d.button, d.shift, d.x, d.y);
        } else if (e->type() == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
            if (*click_)
                (*click_)();
        } else if (e->type() == QEvent::MouseButtonDblClick && dbl_ && *dbl_) {
            (*dbl_)();
        }
        return false;
    }

private:
    std::function<void()>* click_;
    std::function<void()>* dbl_;
    MouseDownHandler* down_;
};

// A push button whose caption's lines are set as in the face the window names, where the face
// standing in for it spaces its lines wider: SimSun steps one em a line, Noto CJK about 1.44,
// and two lines set 1.44 em apart no longer fit a button made for SimSun.
class CaptionButton : public QPushButton {
public:
    using QPushButton::QPushButton;
    void setLineBox(std::optional<LineBox> box) {
        box_ = box;
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        const QFont shown(font(), this);
        const QFontMetricsF metrics(shown);
        const double em = QRawFont::fromFont(shown).pixelSize();
        if (!box_ || metrics.lineSpacing() <= box_->step() * em)
            return QPushButton::paintEvent(event);

        // The button as its style draws it, but for the caption.
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QStringList lines = option.text.split(QLatin1Char('\n'));
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);

        QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        if (option.state & (QStyle::State_Sunken | QStyle::State_On))
            area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                           style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
        // The block of lines centred, each line's baseline where the named face puts it; each
        // line drawn by the style in a box of the stand-in's own height around that baseline.
        const double step = box_->step() * em;
        double baseline =
            area.top() + (area.height() - lines.size() * step) / 2 + box_->ascent * em;
        for (const QString& line : lines) {
            const QRect box(area.left(), qRound(baseline - metrics.ascent()), area.width(),
                            qCeil(metrics.height()));
            style()->drawItemText(&painter, box,
                                  Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic |
                                      Qt::TextDontClip,
                                  option.palette, isEnabled(), line, QPalette::ButtonText);
            baseline += step;
        }
    }

private:
    std::optional<LineBox> box_;
};

Qt::Alignment horizontal(int a) {
    return a == 1 ? Qt::AlignRight : a == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
}
} // namespace

MouseDown mouseDown(const QMouseEvent& e) {
    MouseDown d;
    // Every button held, the one just pressed among them: a right click with the left button
    // held is 3, no right click.
    const Qt::MouseButtons held = e.buttons() | e.button();
    d.button = (held & Qt::LeftButton ? 1 : 0) | (held & Qt::RightButton ? 2 : 0) |
               (held & Qt::MiddleButton ? 4 : 0);
    const Qt::KeyboardModifiers m = e.modifiers();
    d.shift = (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
              (m & Qt::AltModifier ? 4 : 0);
    d.x = pixelsToTwips(qRound(e.position().x()));
    d.y = pixelsToTwips(qRound(e.position().y()));
    return d;
}

// ---- CommandButton

void CommandButton::resetToDesign() {
    Control::resetToDesign();
    caption_.clear();
}

void CommandButton::setCaption(const QString& text) {
    caption_ = text;
    syncText();
}

void CommandButton::syncText() {
    auto* b = qobject_cast<QPushButton*>(w_);
    if (!b)
        return;
    // The frame and the style's margins take a few pixels of each side.
    const int room = twipsToPixels(p_.width) - 6;
    b->setText(wrapCaption(caption_, font(), room));
}

void CommandButton::syncGeometry() {
    Control::syncGeometry();
    syncText();
}

void CommandButton::syncFont() {
    Control::syncFont();
    if (auto* b = dynamic_cast<CaptionButton*>(w_.data()))
        b->setLineBox(namedLineBox(p_.fontName));
    syncText();
}

QString wrapCaption(const QString& caption, const QFont& font, int widthPx) {
    if (widthPx <= 0)
        return caption;
    const QFontMetricsF metrics(font);
    QStringList lines;
    for (const QString& paragraph : caption.split(QLatin1Char('\n'))) {
        if (metrics.horizontalAdvance(paragraph) <= widthPx) {
            lines << paragraph;
            continue;
        }
        // Unicode line breaking: between words, between Chinese characters, and anywhere
        // inside a word too long for a line.
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(widthPx);
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    return lines.join(QLatin1Char('\n'));
}

void CommandButton::press() {
    if (onClick)
        onClick();
}

QWidget* CommandButton::createWidget(QWidget* parent) {
    auto* b = new CaptionButton(caption_, parent);
    b->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(b, &QPushButton::clicked, b, [this] { press(); });
    return b;
}

void CommandButton::syncColours() {
    if (w_)
        w_->setStyleSheet(
            colourStyle("QPushButton", p_.backColor, p_.foreColor) +
            QStringLiteral(" QPushButton { border: 1px solid #808080; border-radius: 2px; }"
                           " QPushButton:pressed { border: 2px inset #606060; }"));
}

// ---- Label

Control::Common Label::defaults() const {
    Common c;
    c.height = 255;
    return c;
}

void Label::resetToDesign() {
    Control::resetToDesign();
    caption_.clear();
    captionShownAt_ = -1;
    captionDue_ = false;
    alignment_ = 0;
    wordWrap_ = false;
    backStyle_ = 1;
}

// A caption that changes faster than the screen shows frames (a transfer's byte count) is
// shown once a frame, the last one always: setting a label's text costs its layout and paint.
void Label::setCaption(const QString& text) {
    caption_ = text;
    auto* l = qobject_cast<QLabel*>(w_);
    if (!l || captionDue_)
        return;
    const double wait = kScreenFrame - (Clock::instance().monotonic() - captionShownAt_);
    // Beyond a frame the clock has been set back (a test's fresh clock): shown at once.
    if (wait <= 0 || wait > kScreenFrame)
        return showCaption();
    captionDue_ = true;
    // The timer is the label's own, not its widget's: an unloaded window's widgets outlive
    // their controls until Qt deletes them later, and a form may be destroyed meanwhile.
    if (!captionTimer_) {
        captionTimer_ = std::make_unique<QTimer>();
        captionTimer_->setSingleShot(true);
        QObject::connect(captionTimer_.get(), &QTimer::timeout, [this] { showCaption(); });
    }
    captionTimer_->start(int(std::ceil(wait * 1000)));
}

void Label::showCaption() {
    captionDue_ = false;
    captionShownAt_ = Clock::instance().monotonic();
    if (auto* l = qobject_cast<QLabel*>(w_))
        l->setText(caption_);
}

void Label::setAlignment(int a) {
    alignment_ = a;
    syncText();
}

void Label::setWordWrap(bool on) {
    wordWrap_ = on;
    syncText();
}

void Label::setBackStyle(int style) {
    backStyle_ = style;
    syncColours();
}

void Label::syncText() {
    if (auto* l = qobject_cast<QLabel*>(w_)) {
        l->setAlignment(horizontal(alignment_) | Qt::AlignTop);
        l->setWordWrap(wordWrap_);
        // The whole caption as it stands; a new widget has no frame waiting.
        l->setText(caption_);
        captionDue_ = false;
    }
}

QWidget* Label::createWidget(QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setTextFormat(Qt::PlainText);
    l->installEventFilter(new ClickFilter(l, &onClick, &onDblClick, &onMouseDown));
    w_ = l;
    syncText();
    return l;
}

void Label::syncColours() {
    if (!w_)
        return;
    const QString fore = vbrt::toQColor(p_.foreColor).name();
    w_->setStyleSheet(
        backStyle_ == 0 ? QStringLiteral("QLabel { background: transparent; color: %1; }").arg(fore)
                        : colourStyle("QLabel", p_.backColor, p_.foreColor));
}

// ---- TextBox

class TextBoxFilter : public QObject {
public:
    TextBoxFilter(QObject* parent, TextBox* box) : QObject(parent), box_(box) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->text().isEmpty() || !box_->onKeyPress)
                return false;
            int key = k->text().at(0).unicode();
            const int typed = key;
            box_->onKeyPress(key);
            if (key == 0)
                return true;
            if (key != typed) {
                QKeyEvent changed(QEvent::KeyPress, k->key(), k->modifiers(), QString(QChar(key)));
                QCoreApplication::sendEvent(box_->widget(), &changed);
                return true;
            }
        } else if (e->type() == QEvent::MouseButtonRelease && box_->onClick) {
            box_->onClick();
        } else if (e->type() == QEvent::MouseButtonDblClick && box_->onDblClick) {
            box_->onDblClick();
        }
        return false;
    }

private:
    TextBox* box_;
};

Control::Common TextBox::defaults() const {
    Common c;
    c.backColor = kWindowBack;
    c.height = 375;
    return c;
}

void TextBox::resetToDesign() {
    Control::resetToDesign();
    text_.clear();
    multiLine_ = false;
    locked_ = false;
    alignment_ = 0;
    selStart_ = 0;
}

void TextBox::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    pushText();
    if (onChange)
        onChange();
}

void TextBox::pushText() {
    if (!w_)
        return;
    pushing_ = true;
    if (auto* e = qobject_cast<QLineEdit*>(w_)) {
        e->setText(text_);
        // A text the program puts in a box shows from its start, caret at 0, as on the
        // desktop the program was made for: setText leaves the caret at the end, and a number
        // wider than the box would show without its sign and leading digits.
        e->setCursorPosition(0);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(w_))
        p->setPlainText(QString(text_).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    pushing_ = false;
}

void TextBox::widgetTextChanged(const QString& widgetText) {
    if (pushing_)
        return;
    QString t = widgetText;
    if (multiLine_)
        t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    if (t == text_)
        return;
    text_ = t;
    if (onChange)
        onChange();
}

void TextBox::type(const QString& chars) {
    for (QChar ch : chars) {
        int key = ch.unicode();
        if (onKeyPress)
            onKeyPress(key);
        if (key == 0 || key == 13)
            continue;
        if (key == 8)
            setText(text_.left(text_.size() - 1));
        else
            setText(text_ + QChar(key));
        // The caret follows what is typed, as in the widget itself.
        setSelStart(int(text_.size()));
    }
}

void TextBox::setLocked(bool on) {
    locked_ = on;
    if (auto* e = qobject_cast<QLineEdit*>(w_))
        e->setReadOnly(on);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w_))
        p->setReadOnly(on);
}

void TextBox::setAlignment(int a) {
    alignment_ = a;
    if (auto* e = qobject_cast<QLineEdit*>(w_))
        e->setAlignment(horizontal(a) | Qt::AlignVCenter);
}

bool TextBox::Modified() const {
    if (auto* e = qobject_cast<QLineEdit*>(w_))
        return e->isModified();
    if (auto* p = qobject_cast<QPlainTextEdit*>(w_))
        return p->document()->isModified();
    return false;
}

int TextBox::SelStart() const {
    if (auto* e = qobject_cast<QLineEdit*>(w_))
        return e->cursorPosition();
    if (auto* p = qobject_cast<QPlainTextEdit*>(w_))
        return p->textCursor().position();
    return selStart_;
}

void TextBox::setSelStart(int pos) {
    selStart_ = std::clamp(pos, 0, int(text_.size()));
    if (auto* e = qobject_cast<QLineEdit*>(w_))
        e->setCursorPosition(selStart_);
}

QWidget* TextBox::createWidget(QWidget* parent) {
    QWidget* w;
    if (multiLine_) {
        auto* p = new QPlainTextEdit(parent);
        QObject::connect(p, &QPlainTextEdit::textChanged, p,
                         [this, p] { widgetTextChanged(p->toPlainText()); });
        p->installEventFilter(new TextBoxFilter(p, this));
        w = p;
    } else {
        auto* e = new QLineEdit(parent);
        // Every change of the widget's text, the user's and any other (an accessibility tool
        // sets it too); the program's own come back while pushing and are passed over.
        QObject::connect(e, &QLineEdit::textChanged, e,
                         [this](const QString& t) { widgetTextChanged(t); });
        e->installEventFilter(new TextBoxFilter(e, this));
        w = e;
    }
    w_ = w;
    pushText();
    setLocked(locked_);
    setAlignment(alignment_);
    return w;
}

void TextBox::syncColours() {
    if (w_)
        w_->setStyleSheet(
            colourStyle(multiLine_ ? "QPlainTextEdit" : "QLineEdit", p_.backColor, p_.foreColor));
}

// ---- ImageBox

void ImageBox::resetToDesign() {
    Control::resetToDesign();
    picture_ = QImage();
    stretch_ = false;
}

void ImageBox::setPicture(const QImage& picture) {
    picture_ = picture;
    if (!stretch_ && !picture_.isNull()) {
        p_.width = pixelsToTwips(picture_.width());
        p_.height = pixelsToTwips(picture_.height());
        Control::syncGeometry();
    }
    syncPicture();
}

void ImageBox::setStretch(bool on) {
    stretch_ = on;
    if (!on && !picture_.isNull())
        setPicture(picture_);
    syncPicture();
}

QWidget* ImageBox::createWidget(QWidget* parent) {
    auto* l = new QLabel(parent);
    l->installEventFilter(new ClickFilter(l, &onClick, &onDblClick));
    l->setStyleSheet(QStringLiteral("QLabel { background: transparent; }"));
    w_ = l;
    syncPicture();
    return l;
}

void ImageBox::syncGeometry() {
    Control::syncGeometry();
    syncPicture();
}

void ImageBox::syncPicture() {
    auto* l = qobject_cast<QLabel*>(w_);
    if (!l)
        return;
    if (picture_.isNull()) {
        l->clear();
        return;
    }
    const QSize size(std::max(1, twipsToPixels(p_.width)), std::max(1, twipsToPixels(p_.height)));
    l->setPixmap(QPixmap::fromImage(
        stretch_ ? picture_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                 : picture_));
}

// ---- ScrollBar

ScrollBar::ScrollBar(Form* owner, const QString& name, int index, bool vertical)
    : Control(owner, name, index), vertical_(vertical) {}

void ScrollBar::resetToDesign() {
    Control::resetToDesign();
    min_ = 0;
    max_ = 32767;
    value_ = 0;
    small_ = 1;
    large_ = 1;
}

void ScrollBar::setMin(int v) {
    min_ = v;
    syncRange();
}

void ScrollBar::setMax(int v) {
    max_ = v;
    syncRange();
}

void ScrollBar::setValue(int v) {
    const int lo = std::min(min_, max_), hi = std::max(min_, max_);
    if (v < lo || v > hi)
        vbrt::raise(vbrt::ErrInvalidCall);
    if (v == value_)
        return;
    value_ = v;
    syncRange();
    if (onChange)
        onChange();
}

void ScrollBar::setSmallChange(int v) {
    small_ = v;
    syncRange();
}

void ScrollBar::setLargeChange(int v) {
    large_ = v;
    syncRange();
}

void ScrollBar::syncRange() {
    auto* s = qobject_cast<QScrollBar*>(w_);
    if (!s)
        return;
    pushing_ = true;
    s->setRange(std::min(min_, max_), std::max(min_, max_));
    s->setSingleStep(small_);
    s->setPageStep(large_);
    s->setValue(value_);
    pushing_ = false;
}

QWidget* ScrollBar::createWidget(QWidget* parent) {
    auto* s = new QScrollBar(vertical_ ? Qt::Vertical : Qt::Horizontal, parent);
    // A dragged thumb changes the value once, where it is let go; on the way it only scrolls.
    s->setTracking(false);
    QObject::connect(s, &QScrollBar::valueChanged, s, [this](int v) {
        if (pushing_ || v == value_)
            return;
        value_ = v;
        if (onChange)
            onChange();
    });
    QObject::connect(s, &QScrollBar::sliderMoved, s, [this](int) {
        if (onScroll)
            onScroll();
    });
    w_ = s;
    syncRange();
    return s;
}

void WidgetHost::makeWidget() {
    if (w_ || !form() || !form()->isLoaded() || !form()->window())
        return;
    attach(form()->window());
}

} // namespace ui
