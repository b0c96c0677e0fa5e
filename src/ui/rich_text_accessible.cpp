#include "ui/rich_text_accessible.h"

#include "ui/rich_text_box.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QScrollBar>
#include <QTextEdit>

namespace ui {

namespace {
// A screen reader is handed the text as a C string: a NUL from the alarm server would end
// it there, and other control characters confuse its reading. Each shows as one stand-in,
// so that offsets still count the characters of the box.
QString readable(QString text) {
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control && c != u'\t' && c != u'\n' && c != u'\r')
            c = QChar::ReplacementCharacter;
    return text;
}
} // namespace

// Places of the document convert to offsets of the text a screen reader is given: a break
// between paragraphs is one character there, the cut between two blocks of a long paragraph
// none.
class RichTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    RichTextAccessible(QTextEdit* view, RichTextBox* box)
        : QAccessibleWidget(view, QAccessible::EditableText), box_(box),
          document_(&box->document_) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return text(0, characterCount());
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.multiLine = true;
        s.selectableText = true;
        s.readOnly = view()->isReadOnly();
        s.editable = !s.readOnly;
        return s;
    }

    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        const QTextCursor c = view()->textCursor();
        if (index != 0 || !c.hasSelection() || !live())
            return;
        *start = offset(c.selectionStart());
        *end = offset(c.selectionEnd());
    }
    int selectionCount() const override { return view()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override {
        QTextCursor c = view()->textCursor();
        c.clearSelection();
        view()->setTextCursor(c);
    }
    void setSelection(int, int start, int end) override {
        if (!live())
            return;
        QTextCursor c = view()->textCursor();
        c.setPosition(place(start));
        c.setPosition(place(end), QTextCursor::KeepAnchor);
        view()->setTextCursor(c);
    }
    int cursorPosition() const override {
        return live() ? offset(view()->textCursor().position()) : 0;
    }
    void setCursorPosition(int position) override { setSelection(0, position, position); }

    QString text(int start, int end) const override {
        return live() ? readable(box_->plainBetween(place(start), place(end))) : QString();
    }
    int characterCount() const override { return live() ? offset(box_->endPos()) : 0; }

    QRect characterRect(int at) const override {
        if (!live())
            return {};
        QTextCursor c(document_);
        c.setPosition(place(at));
        QRect r = view()->cursorRect(c);
        if (c.movePosition(QTextCursor::NextCharacter)) {
            const QRect next = view()->cursorRect(c);
            if (next.top() == r.top() && next.left() > r.left())
                r.setRight(next.left() - 1);
        }
        return {view()->viewport()->mapToGlobal(r.topLeft()), r.size()};
    }
    int offsetAtPoint(const QPoint& point) const override {
        if (!live())
            return -1;
        const QPoint at = view()->viewport()->mapFromGlobal(point);
        return offset(view()->cursorForPosition(at).position());
    }
    void scrollToSubstring(int start, int) override {
        if (!live())
            return;
        QTextCursor c(document_);
        c.setPosition(place(start));
        const QRect r = view()->cursorRect(c), seen = view()->viewport()->rect();
        const auto bring = [](QScrollBar* bar, int from, int to, int low, int high) {
            if (from < low || to > high)
                bar->setValue(bar->value() + from - low);
        };
        bring(view()->horizontalScrollBar(), r.left(), r.right(), seen.left(), seen.right());
        bring(view()->verticalScrollBar(), r.top(), r.bottom(), seen.top(), seen.bottom());
    }
    // The box is read as plain text: one run of no attributes.
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

    int offset(int docPos) const { return box_->toTextPos(docPos, 1); }
    int place(int offset) const { return box_->toDocPos(offset, 1); }
    // What a change took out, as many spaces as it took characters: Qt tells only how many
    // places of the document went, and the cut between two blocks is one of them.
    QString removedText(int from, qsizetype places) const {
        const RichTextBox::Change& change = box_->lastChange_;
        const int cuts = change.from == from && change.removed == places ? change.removedCuts : 0;
        return QString(places - cuts, QLatin1Char(' '));
    }
    // The reader is given the text without its formats: a change of them changes nothing.
    bool formatOnly(int from, qsizetype places) const {
        const RichTextBox::Change& change = box_->lastChange_;
        return change.formatOnly && change.from == from && change.removed == places;
    }
    // The box is there while its document is, and the view shows it (a view being taken down
    // shows an empty document of its own).
    bool live() const { return document_ && view()->document() == document_; }

private:
    QTextEdit* view() const { return static_cast<QTextEdit*>(widget()); }

    RichTextBox* box_;
    QPointer<QTextDocument> document_;
};

namespace {

void updateInTextOffsets(QAccessibleEvent* event);

// The handler that was there before ours; none means Qt's own way to the screen reader.
QAccessible::UpdateHandler& earlierHandler() {
    static QAccessible::UpdateHandler handler = nullptr;
    return handler;
}

void passOn(QAccessibleEvent* event) {
    if (earlierHandler())
        return earlierHandler()(event);
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(updateInTextOffsets);
}

// The view reports its changes, caret and selection in places of the document; a screen
// reader gets them in the offsets of the text it reads.
void updateInTextOffsets(QAccessibleEvent* event) {
    const auto* box = dynamic_cast<RichTextAccessible*>(event->accessibleInterface());
    if (!box || !box->live())
        return passOn(event);
    QObject* view = event->object();
    switch (event->type()) {
    case QAccessible::TextInserted: {
        const auto* e = static_cast<QAccessibleTextInsertEvent*>(event);
        const int from = e->changePosition();
        QAccessibleTextInsertEvent converted(
            view, box->offset(from),
            box->text(box->offset(from), box->offset(from + int(e->textInserted().size()))));
        converted.setCursorPosition(box->offset(e->cursorPosition()));
        return passOn(&converted);
    }
    case QAccessible::TextRemoved: {
        const auto* e = static_cast<QAccessibleTextRemoveEvent*>(event);
        const int from = e->changePosition();
        QAccessibleTextRemoveEvent converted(view, box->offset(from),
                                             box->removedText(from, e->textRemoved().size()));
        converted.setCursorPosition(box->offset(e->cursorPosition()));
        return passOn(&converted);
    }
    case QAccessible::TextUpdated: {
        const auto* e = static_cast<QAccessibleTextUpdateEvent*>(event);
        const int from = e->changePosition();
        if (box->formatOnly(from, e->textRemoved().size()))
            return;
        QAccessibleTextUpdateEvent converted(
            view, box->offset(from), box->removedText(from, e->textRemoved().size()),
            box->text(box->offset(from), box->offset(from + int(e->textInserted().size()))));
        converted.setCursorPosition(box->offset(e->cursorPosition()));
        return passOn(&converted);
    }
    case QAccessible::TextCaretMoved: {
        const auto* e = static_cast<QAccessibleTextCursorEvent*>(event);
        QAccessibleTextCursorEvent converted(view, box->offset(e->cursorPosition()));
        return passOn(&converted);
    }
    case QAccessible::TextSelectionChanged: {
        const auto* e = static_cast<QAccessibleTextSelectionEvent*>(event);
        QAccessibleTextSelectionEvent converted(view, box->offset(e->selectionStart()),
                                                box->offset(e->selectionEnd()));
        converted.setCursorPosition(box->offset(e->cursorPosition()));
        return passOn(&converted);
    }
    default:
        return passOn(event);
    }
}

} // namespace

QAccessibleInterface* richTextAccessible(QTextEdit* view, RichTextBox* box) {
    static const bool hooked = [] {
        earlierHandler() = QAccessible::installUpdateHandler(updateInTextOffsets);
        return true;
    }();
    Q_UNUSED(hooked);
    return new RichTextAccessible(view, box);
}

} // namespace ui
