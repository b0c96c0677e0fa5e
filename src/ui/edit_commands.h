#pragma once

class QWidget;

namespace ui {

// The standard editing commands that a text box or rich text box carries out itself.
enum class EditCommand { Undo, Cut, Copy, Paste, Clear };

// True when `w` is the widget of a text box or a rich text box (a line edit, a plain or a rich
// text editor).
bool isTextWidget(const QWidget* w);
// The state of such a widget; false and 0 for any other.
bool canUndo(const QWidget* w);
int selectionLength(const QWidget* w);
// True when the desktop clipboard holds plain text.
bool clipboardHasText();
// Lets the text widget carry out the command; false (and nothing done) for any other widget.
bool sendEditCommand(QWidget* w, EditCommand command);

} // namespace ui
