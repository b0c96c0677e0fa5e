#include "ui/rich_text_box.h"

#include "ui/controls.h"
#include "ui/desktop.h"
#include "ui/rich_text_accessible.h"

#include <QAccessible>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextEdit>

namespace ui {

namespace {
// Marks a block that continues the paragraph of the block before it: between the two the
// paragraph was cut, not broken. The mark is a property of the separator between the two
// blocks (the block's char format), not of either block: a deletion across separators keeps
// the block format of the block it ends in and an undo brings the separators back as they
// were, so the mark stays with the place where the paragraph was cut or broken.
constexpr int kContinues = QTextFormat::UserProperty + 1;

bool continues(const QTextBlock& b) {
    return b.isValid() && b.charFormat().boolProperty(kContinues);
}

QTextCharFormat separator(QTextCharFormat f, bool cut) {
    if (cut)
        f.setProperty(kContinues, true);
    else
        f.clearProperty(kContinues);
    return f;
}

// CR LF, a lone LF and a lone CR all break a paragraph, and so do the line and paragraph
// separators, which Text() has always shown as a break.
QStringList paragraphsOf(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QChar c : {QChar(u'\r'), QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator)})
        text.replace(c, QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}

// New text takes the format found at the caret, as typed text does; at the start of an empty
// block that is the format of the separator before it, whose mark stays there.
QTextCharFormat formatAtCaret(const QTextCursor& c) {
    QTextCharFormat f = c.charFormat();
    f.clearProperty(QTextFormat::ObjectType);
    f.clearProperty(kContinues);
    return f;
}

// Text that extends a block at its end goes in kBlockChars at a time, a cut before each
// further block; anywhere else it goes in whole.
void insertCut(QTextCursor& c, QStringView text, const QTextCharFormat& format) {
    while (!text.isEmpty()) {
        const QTextBlock b = c.block();
        const int used = b.length() - 1;
        if (c.position() != b.position() + used) {
            c.insertText(text.toString(), format);
            return;
        }
        if (used >= RichTextBox::kBlockChars) {
            c.insertBlock(c.blockFormat(), separator(format, true));
            continue;
        }
        qsizetype take = std::min<qsizetype>(RichTextBox::kBlockChars - used, text.size());
        // A character of two UTF-16 units stays whole.
        if (take < text.size() && text[take - 1].isHighSurrogate())
            take = take > 1 ? take - 1 : take + 1;
        c.insertText(text.first(take).toString(), format);
        text = text.sliced(take);
    }
}

// Undone or redone, the step of a change of format only says so again.
class FormatOnlyStep : public QAbstractUndoItem {
public:
    explicit FormatOnlyStep(std::function<void()> mark) : mark_(std::move(mark)) {}
    void undo() override { mark_(); }
    void redo() override { mark_(); }

private:
    std::function<void()> mark_;
};

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

// The box's view. What it copies and drags, and what is pasted, dropped or typed as a break
// into it, goes through the box, which alone knows where a paragraph was cut.
class RichTextEdit : public QTextEdit {
public:
    RichTextEdit(QWidget* parent, RichTextBox* box) : QTextEdit(parent), box_(box) {}

protected:
    QMimeData* createMimeDataFromSelection() const override {
        const QTextCursor c = textCursor();
        auto* data = new QMimeData;
        data->setText(box_->plainBetween(c.selectionStart(), c.selectionEnd()));
        return data;
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (isReadOnly() || !source->hasText())
            return;
        insert(source->text());
    }
    void keyPressEvent(QKeyEvent* e) override {
        const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
        const Qt::KeyboardModifiers others =
            e->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (!enter || others != Qt::NoModifier || isReadOnly())
            return QTextEdit::keyPressEvent(e);
        // Shift+Enter too: a break within a paragraph would read as one all the same.
        insert(QStringLiteral("\n"));
        e->accept();
    }

public:
    RichTextBox* box() const { return box_; }

private:
    void insert(const QString& text) {
        QTextCursor c = textCursor();
        box_->insertPlain(c, text, formatAtCaret(c));
        setTextCursor(c);
        ensureCursorVisible();
    }
    RichTextBox* box_;
};

RichTextBox::RichTextBox(Form* owner, const QString& name, int index)
    : Control(owner, name, index) {
    // Connected before any view is, so that the cuts are counted when a view tells a screen
    // reader where a change was.
    QObject::connect(
        &document_, &QTextDocument::contentsChange,
        [this](int from, int removed, int added) { documentChange(from, removed, added); });
    // A document tells its changes only once it has a layout.
    document_.documentLayout();
}

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

void RichTextBox::insertPlain(QTextCursor& c, const QString& text, const QTextCharFormat& format) {
    const QStringList paragraphs = paragraphsOf(text);
    c.beginEditBlock();
    c.removeSelectedText();
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            c.insertBlock(c.blockFormat(), separator(format, false));
        insertCut(c, paragraphs[i], format);
    }
    c.endEditBlock();
}

QString RichTextBox::plainBetween(int from, int to) const {
    QString out;
    for (QTextBlock b = document_.findBlock(from); b.isValid(); b = b.next()) {
        const int start = b.position(), end = start + b.length() - 1;
        const int s = std::max(from, start), e = std::min(to, end);
        if (e > s)
            out += QStringView(b.text()).mid(s - start, e - s);
        if (end >= to)
            break;
        if (!continues(b.next()))
            out += QLatin1Char('\n');
    }
    // As QTextDocument::toPlainText gives it.
    out.replace(QChar::Nbsp, QLatin1Char(' '));
    return out;
}

int RichTextBox::cutsBefore(const QTextBlock& b) const {
    return b.userState() - document_.begin().userState();
}

void RichTextBox::documentChange(int from, int removed, int added) {
    ++revision_;
    const int cutsAdded = recountCuts(from, added);
    const int cuts = document_.lastBlock().userState() - document_.begin().userState();
    // A step undone or redone is one edit block of the document, and so one revision.
    const bool formatOnly = reformatting_ || formatOnlyRevision_ == document_.revision();
    lastChange_ = {from, removed, cuts_ - cuts + cutsAdded, formatOnly && removed == added};
    cuts_ = cuts;
}

// The blocks before the one that holds `from` are as they were, and so are the blocks that
// start past `from + added` but for the number of cuts before them.
int RichTextBox::recountCuts(int from, int added) {
    const QTextBlock first = document_.findBlock(std::min(from, endPos()));
    const QTextBlock before = first.previous();
    int cuts = before.isValid() ? before.userState() + (continues(first) ? 1 : 0) : 0;
    const int start = cuts;
    QTextBlock b = first;
    for (; b.isValid() && b.position() <= from + added; b = b.next()) {
        if (b != first)
            cuts += continues(b) ? 1 : 0;
        b.setUserState(cuts);
    }
    const int cutsAdded = cuts - start;
    if (!b.isValid())
        return cutsAdded;
    // A change at the start (the trim of a log) fits its blocks to those after it; one
    // elsewhere shifts those after it (none after an append).
    const int shift = cuts + (continues(b) ? 1 : 0) - b.userState();
    if (shift == 0)
        return cutsAdded;
    if (!before.isValid()) {
        for (QTextBlock x = first; x != b; x = x.next())
            x.setUserState(x.userState() - shift);
        return cutsAdded;
    }
    for (; b.isValid(); b = b.next())
        b.setUserState(b.userState() + shift);
    return cutsAdded;
}

// Every block before `b` ends in one place of the document: a break of `breakChars`
// characters of the text, or a cut of none.
int RichTextBox::textStart(const QTextBlock& b, int breakChars) const {
    const int ends = b.blockNumber();
    return b.position() - ends + breakChars * (ends - cutsBefore(b));
}

int RichTextBox::toTextPos(int docPos, int breakChars) const {
    const int pos = std::clamp(docPos, 0, endPos());
    const QTextBlock b = document_.findBlock(pos);
    return textStart(b, breakChars) + pos - b.position();
}

// The first block whose text reaches the place holds it; a place between the CR and the LF of
// a break falls before the break.
int RichTextBox::toDocPos(int textPos, int breakChars) const {
    int low = 0, high = document_.blockCount() - 1;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        const QTextBlock b = document_.findBlockByNumber(mid);
        if (textStart(b, breakChars) + b.length() - 1 >= textPos)
            high = mid;
        else
            low = mid + 1;
    }
    const QTextBlock b = document_.findBlockByNumber(low);
    const int start = textStart(b, breakChars);
    if (textPos > start + b.length() - 1)
        return endPos();
    if (textPos >= start || low == 0)
        return b.position() + std::max(0, textPos - start);
    return b.position() - 1;
}

int RichTextBox::endPos() const {
    return document_.characterCount() - 1;
}

QString RichTextBox::Text() const {
    return plainBetween(0, endPos()).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

int RichTextBox::TextLength() const {
    const QTextBlock last = document_.lastBlock();
    return textStart(last, 2) + last.length() - 1;
}

template <class Steps> void RichTextBox::changeWithoutUndo(Steps steps) {
    const bool modified = document_.isModified();
    document_.setUndoRedoEnabled(false);
    steps();
    document_.setUndoRedoEnabled(true);
    document_.setModified(modified);
}

void RichTextBox::setText(const QString& text) {
    QTextCursor c(&document_);
    const QTextCharFormat format = formatAtCaret(c);
    c.select(QTextCursor::Document);
    changeWithoutUndo([&] { insertPlain(c, text, format); });
    setCursor(QTextCursor(&document_));
}

void RichTextBox::appendText(const QString& text) {
    QTextCursor c = cursor();
    c.movePosition(QTextCursor::End);
    changeWithoutUndo([&] { insertPlain(c, text, formatAtCaret(c)); });
    setCursor(c);
}

int RichTextBox::firstBlocksEnd(int length) const {
    const auto textOf = [](const QTextBlock& b) {
        return b.length() - 1 + (continues(b.next()) ? 0 : 2);
    };
    int taken = 0;
    QTextBlock b = document_.begin();
    for (; b.isValid() && taken < length; b = b.next())
        taken += textOf(b);
    // On to the end of the paragraph, so that what stays starts a line, unless that paragraph
    // runs on for as much again.
    for (; continues(b) && taken < 2 * length; b = b.next())
        taken += textOf(b);
    return b.isValid() ? b.position() : endPos();
}

QString RichTextBox::firstText(int length) const {
    return plainBetween(0, firstBlocksEnd(length))
        .replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

QString RichTextBox::takeFirst(int length) {
    QString text = firstText(length);
    dropFirst(length);
    return text;
}

void RichTextBox::dropFirst(int length) {
    const int end = firstBlocksEnd(length);
    // Without an undo history the document frees what it no longer shows.
    changeWithoutUndo([&] {
        QTextCursor c(&document_);
        c.setPosition(end, QTextCursor::KeepAnchor);
        c.removeSelectedText();
    });
}

int RichTextBox::SelStart() const {
    return toTextPos(cursor().selectionStart());
}

void RichTextBox::setSelStart(int pos) {
    QTextCursor c = cursor();
    c.setPosition(toDocPos(pos));
    setCursor(c);
}

int RichTextBox::SelLength() const {
    const QTextCursor c = cursor();
    return toTextPos(c.selectionEnd()) - toTextPos(c.selectionStart());
}

void RichTextBox::setSelLength(int length) {
    QTextCursor c = cursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(toDocPos(toTextPos(start) + std::max(0, length)), QTextCursor::KeepAnchor);
    setCursor(c);
}

QString RichTextBox::SelText() const {
    const QTextCursor c = cursor();
    return plainBetween(c.selectionStart(), c.selectionEnd())
        .replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void RichTextBox::setSelText(const QString& text) {
    QTextCursor c = cursor();
    insertPlain(c, text, formatAtCaret(c));
    setCursor(c);
}

void RichTextBox::mergeFormat(const QTextCharFormat& format) {
    QTextCursor c = cursor();
    {
        const QScopedValueRollback reformatting(reformatting_, true);
        c.mergeCharFormat(format);
    }
    if (c.hasSelection()) {
        // Joined to the merge's step as its last part: an undo runs it first, and the merge's
        // own parts still put the caret where they did.
        c.joinPreviousEditBlock();
        document_.appendUndoItem(
            new FormatOnlyStep([this] { formatOnlyRevision_ = document_.revision(); }));
        c.endEditBlock();
    }
    setCursor(c);
}

void RichTextBox::setSelBold(bool on) {
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    mergeFormat(f);
}

void RichTextBox::setSelFontName(const QString& name) {
    QTextCharFormat f;
    f.setFontFamilies(fontFamilies(name));
    mergeFormat(f);
}

void RichTextBox::setSelFontSize(double points) {
    if (points <= 0)
        return;
    QTextCharFormat f;
    f.setFontPointSize(points);
    mergeFormat(f);
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
    QGuiApplication::clipboard()->setText(plainBetween(c.selectionStart(), c.selectionEnd()));
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
    // A screen reader reads the box's text, not its blocks.
    static const bool readable = [] {
        QAccessible::installFactory([](const QString&, QObject* o) -> QAccessibleInterface* {
            auto* view = dynamic_cast<RichTextEdit*>(o);
            return view ? richTextAccessible(view, view->box()) : nullptr;
        });
        return true;
    }();
    Q_UNUSED(readable);
    auto* e = new RichTextEdit(parent, this);
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
