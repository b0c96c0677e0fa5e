#include "ui/rich_text_box.h"

#include "ui/controls.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QTextDocumentFragment>
#include <QTextEdit>

namespace ui {

namespace {
// Text() shows each paragraph break of the document (one position) as CR LF (two characters).
int toTextPos(const QString& plain, int docPos) {
    return docPos + int(plain.left(docPos).count(QLatin1Char('\n')));
}

// A place between the CR and the LF of a break falls before the break.
int toDocPos(const QString& plain, int textPos) {
    int text = 0;
    for (int doc = 0; doc < plain.size(); ++doc) {
        text += plain[doc] == QLatin1Char('\n') ? 2 : 1;
        if (text > textPos)
            return doc;
    }
    return int(plain.size());
}

// CR LF, a lone LF and a lone CR all break a paragraph; the document takes LF for that.
QString withDocumentBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Mouse presses and double clicks on the text area (the viewport, not the frame or scroll
// bars), with the place in twips from the text area's corner.
class RichTextMouseFilter : public QObject {
public:
    RichTextMouseFilter(QObject* parent, RichTextBox* box) : QObject(parent), box_(box) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonDblClick) {
            if (box_->onDblClick)
                box_->onDblClick();
            return false;
        }
        if (e->type() != QEvent::MouseButtonPress || !box_->onMouseDown)
            return false;
        const MouseDown d = mouseDown(*static_cast<QMouseEvent*>(e));
        if (d.button != 0)
            box_->onMouseDown(d.button, d.shift, d.x, d.y);
        return false;
    }

private:
    RichTextBox* box_;
};
} // namespace

RichTextBox::RichTextBox(Form* owner, const QString& name, int index)
    : Control(owner, name, index) {}

RichTextBox::~RichTextBox() {
    // The widget views document_, which is gone by the time Control's destructor runs.
    delete w_.data();
}

QTextEdit* RichTextBox::edit() const {
    return qobject_cast<QTextEdit*>(w_.data());
}

QTextCursor RichTextBox::cursor() const {
    if (auto* e = edit())
        return e->textCursor();
    return cursor_;
}

void RichTextBox::setCursor(const QTextCursor& c) {
    cursor_ = c;
    if (auto* e = edit())
        e->setTextCursor(c);
}

QString RichTextBox::Text() const {
    return document_.toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void RichTextBox::setText(const QString& text) {
    QTextCursor c(&document_);
    const QTextCharFormat format = c.charFormat();
    c.select(QTextCursor::Document);
    c.insertText(withDocumentBreaks(text), format);
    setCursor(QTextCursor(&document_));
}

int RichTextBox::SelStart() const {
    return toTextPos(document_.toPlainText(), cursor().selectionStart());
}

void RichTextBox::setSelStart(int pos) {
    QTextCursor c = cursor();
    c.setPosition(toDocPos(document_.toPlainText(), pos));
    setCursor(c);
}

int RichTextBox::SelLength() const {
    const QString plain = document_.toPlainText();
    const QTextCursor c = cursor();
    return toTextPos(plain, c.selectionEnd()) - toTextPos(plain, c.selectionStart());
}

void RichTextBox::setSelLength(int length) {
    const QString plain = document_.toPlainText();
    QTextCursor c = cursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(toDocPos(plain, toTextPos(plain, start) + std::max(0, length)),
                  QTextCursor::KeepAnchor);
    setCursor(c);
}

QString RichTextBox::SelText() const {
    return Text().mid(SelStart(), SelLength());
}

void RichTextBox::setSelText(const QString& text) {
    QTextCursor c = cursor();
    c.insertText(withDocumentBreaks(text)); // in the cursor's format, the one at the caret
    setCursor(c);
}

void RichTextBox::setSelBold(bool on) {
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    QTextCursor c = cursor();
    c.mergeCharFormat(f);
    setCursor(c);
}

void RichTextBox::setSelFontName(const QString& name) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{name});
    QTextCursor c = cursor();
    c.mergeCharFormat(f);
    setCursor(c);
}

void RichTextBox::setSelFontSize(double points) {
    if (points <= 0)
        return;
    QTextCharFormat f;
    f.setFontPointSize(points);
    QTextCursor c = cursor();
    c.mergeCharFormat(f);
    setCursor(c);
}

void RichTextBox::setWordWrap(bool on) {
    wordWrap_ = on;
    if (auto* e = edit())
        e->setLineWrapMode(on ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

void RichTextBox::setLocked(bool on) {
    locked_ = on;
    if (auto* e = edit())
        e->setReadOnly(on);
}

bool RichTextBox::CanUndo() const {
    return document_.isUndoAvailable();
}

bool RichTextBox::Modified() const {
    return document_.isModified();
}

void RichTextBox::setModified(bool on) {
    document_.setModified(on);
}

void RichTextBox::forgetEdits() {
    document_.clearUndoRedoStacks();
    document_.setModified(false);
}

void RichTextBox::Undo() {
    QTextCursor c = cursor();
    document_.undo(&c);
    setCursor(c);
}

// Cut, paste and clear are refused by a locked box, as its widget refuses them from the user.
void RichTextBox::Cut() {
    if (locked_ || !cursor().hasSelection())
        return;
    Copy();
    Clear();
}

void RichTextBox::Copy() {
    const QTextCursor c = cursor();
    if (!c.hasSelection())
        return;
    QGuiApplication::clipboard()->setText(c.selection().toPlainText());
}

void RichTextBox::Paste() {
    if (locked_)
        return;
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty())
        setSelText(text);
}

void RichTextBox::Clear() {
    QTextCursor c = cursor();
    if (locked_ || !c.hasSelection())
        return;
    c.removeSelectedText();
    setCursor(c);
}

Control::Common RichTextBox::defaults() const {
    Common c;
    c.backColor = kWindowBack;
    return c;
}

void RichTextBox::resetToDesign() {
    Control::resetToDesign();
    document_.clear(); // the undo history and the modified flag go with the text
    cursor_ = QTextCursor(&document_);
    wordWrap_ = true;
    locked_ = false;
    syncFont();
}

QWidget* RichTextBox::createWidget(QWidget* parent) {
    auto* e = new QTextEdit(parent);
    // Whatever the user pastes or drops arrives as plain text.
    e->setAcceptRichText(false);
    e->setDocument(&document_);
    e->setTextCursor(cursor_);
    e->setReadOnly(locked_);
    e->setLineWrapMode(wordWrap_ ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    // A right click is the program's to answer (a window may pop up its own menu).
    e->setContextMenuPolicy(Qt::NoContextMenu);
    e->viewport()->installEventFilter(new RichTextMouseFilter(e, this));
    return e;
}

void RichTextBox::detach() {
    if (auto* e = edit()) {
        cursor_ = e->textCursor();
        // The widget is only deleted later; until then it must not show or edit the document.
        e->setDocument(new QTextDocument(e));
    }
    Control::detach();
}

void RichTextBox::syncColours() {
    if (w_)
        w_->setStyleSheet(colourStyle("QTextEdit", p_.backColor, p_.foreColor));
}

void RichTextBox::syncFont() {
    document_.setDefaultFont(font());
    Control::syncFont();
}

} // namespace ui
