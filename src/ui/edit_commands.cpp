#include "ui/edit_commands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QTextEdit>

namespace ui {

namespace {
// The web browser shows its pages in a text browser; that is no text box.
QTextEdit* richEditor(QWidget* w) {
    return qobject_cast<QTextBrowser*>(w) ? nullptr : qobject_cast<QTextEdit*>(w);
}

const QTextEdit* richEditor(const QWidget* w) {
    return qobject_cast<const QTextBrowser*>(w) ? nullptr : qobject_cast<const QTextEdit*>(w);
}

void clearSelection(QLineEdit* e) {
    // del() without a selection would take the character after the caret.
    if (e->hasSelectedText())
        e->del();
}

template <class Editor> void clearSelection(Editor* e) {
    QTextCursor c = e->textCursor();
    c.removeSelectedText();
    e->setTextCursor(c);
}

template <class Editor> void carryOut(Editor* e, EditCommand command) {
    // Told from code, a read-only line edit still cuts, pastes and deletes, and a text cursor
    // deletes in any editor.
    if (e->isReadOnly() && command != EditCommand::Undo && command != EditCommand::Copy)
        return;
    switch (command) {
    case EditCommand::Undo:
        e->undo();
        return;
    case EditCommand::Cut:
        e->cut();
        return;
    case EditCommand::Copy:
        e->copy();
        return;
    case EditCommand::Paste:
        e->paste();
        return;
    case EditCommand::Clear:
        clearSelection(e);
        return;
    }
}
} // namespace

bool isTextWidget(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           richEditor(w);
}

bool canUndo(const QWidget* w) {
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->isUndoAvailable();
    if (auto* p = qobject_cast<const QPlainTextEdit*>(w))
        return p->document()->isUndoAvailable();
    if (auto* t = richEditor(w))
        return t->document()->isUndoAvailable();
    return false;
}

int selectionLength(const QWidget* w) {
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return int(e->selectedText().size());
    if (auto* p = qobject_cast<const QPlainTextEdit*>(w))
        return p->textCursor().selectionEnd() - p->textCursor().selectionStart();
    if (auto* t = richEditor(w))
        return t->textCursor().selectionEnd() - t->textCursor().selectionStart();
    return 0;
}

bool clipboardHasText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

bool sendEditCommand(QWidget* w, EditCommand command) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        carryOut(e, command);
        return true;
    }
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        carryOut(p, command);
        return true;
    }
    if (auto* t = richEditor(w)) {
        carryOut(t, command);
        return true;
    }
    return false;
}

} // namespace ui
