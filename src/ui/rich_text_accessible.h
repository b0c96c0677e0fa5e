#pragma once

class QAccessibleInterface;
class QTextEdit;

namespace ui {

class RichTextBox;

// What a screen reader is given of a rich text box's view: the box's text with a line break
// where the text has one and nothing where a long paragraph was cut into blocks, its caret and
// selection, and where each character shows. Offsets count a break as one character; a
// control character other than a tab shows as U+FFFD.
QAccessibleInterface* richTextAccessible(QTextEdit* view, RichTextBox* box);

} // namespace ui
