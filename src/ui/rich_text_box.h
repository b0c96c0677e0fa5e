#pragma once

#include "ui/control.h"

#include <QTextCursor>
#include <QTextDocument>
#include <functional>

class QTextEdit;

namespace ui {

// A rich text box: a text document with its own formatting, selection and undo, shown by a
// QTextEdit that takes only plain text from the user (pastes and drops lose their formatting).
// The document belongs to the control, not to the widget, so the text, the selection and
// the undo history are there while the window is hidden or unloaded too; a new load puts the
// design back. Paragraphs are given and taken with CR LF between them.
//
// Qt lays a paragraph out whole whenever it changes, so text that goes in at the end of a
// paragraph is cut into blocks of at most kBlockChars characters; the blocks after such a cut
// continue the paragraph: nothing shows of the cut in Text(), in the selection's positions or
// in what is copied, and the box shows the paragraph as lines of that many characters.
//
// What the program puts in with setText and appendText, and takes out with takeFirst, is no
// edit of the user's: it cannot be undone, and the undo history goes with it (an undo takes
// back only what the user did since).
class RichTextBox : public Control {
public:
    RichTextBox(Form* owner, const QString& name, int index = -1);
    ~RichTextBox() override;

    static constexpr int kBlockChars = 128;

    QString Text() const;
    // Len(Text()), without making the text.
    int TextLength() const;
    // Replaces the whole text (formatting of the start of the document).
    void setText(const QString& text);
    // Puts the caret at the end of the text, inserts `text` there in the format found at the
    // caret and leaves the caret after it: the append of a log, at the cost of the new text
    // whatever the length of the old.
    void appendText(const QString& text);
    // Removes the oldest whole paragraphs that hold at least `length` characters of Text()
    // (all of them if the text is shorter; a paragraph that goes on for as many again is cut
    // at a block) and gives them as Text() gave them, a break that followed them included.
    // The box lets go of their memory.
    QString takeFirst(int length);
    // What takeFirst(length) would give, left in place.
    QString firstText(int length) const;
    // takeFirst(length) for a caller that has the text already.
    void dropFirst(int length);
    // Counts every change of the text or its formatting: equal counts, equal text.
    quint64 Revision() const { return revision_; }
    // The size of the document: within a few percent of TextLength() (a break counts one, a
    // cut one), and free to ask.
    int characterCount() const { return document_.characterCount() - 1; }

    // The selection, in characters of Text() (a paragraph break counts as CR LF, two).
    int SelStart() const;
    void setSelStart(int pos); // clears the selection
    int SelLength() const;
    void setSelLength(int length);
    QString SelText() const;
    // Replaces the selection (inserts at the caret when nothing is selected), in the format
    // found at the caret; the caret ends after the new text.
    void setSelText(const QString& text);
    // Formatting of the selection.
    void setSelBold(bool on);
    void setSelFontName(const QString& name);
    void setSelFontSize(double points);

    // Word wrap at the box's width, or none (long lines run past the right edge).
    bool WordWrap() const { return wordWrap_; }
    void setWordWrap(bool on);

    bool Locked() const { return locked_; }
    void setLocked(bool on);

    // The edit operations of the box itself: undo, cut, copy, paste (plain text from the
    // desktop clipboard), clear (delete the selection).
    bool CanUndo() const;
    bool Modified() const;
    void setModified(bool on);
    // What a window's design puts in is no edit: it cannot be undone and leaves the box
    // unmodified.
    void forgetEdits();
    void Undo();
    void Cut();
    void Copy();
    void Paste();
    void Clear();

    std::function<void()> onDblClick;
    // The buttons held, 1 left, 2 right, 4 middle added up; Shift state 1 Shift, 2 Ctrl, 4 Alt;
    // x and y in twips.
    std::function<void(int button, int shift, int x, int y)> onMouseDown;

    QTextEdit* edit() const;

protected:
    void resetToDesign() override;
    void detach() override;
    QWidget* createWidget(QWidget* parent) override;
    void syncColours() override;
    void syncFont() override;
    Common defaults() const override;

private:
    friend class RichTextEdit;
    friend class RichTextAccessible;
    QTextCursor cursor() const;
    void setCursor(const QTextCursor& c);
    // Inserts plain text at the cursor (replacing its selection), CR LF, LF and CR breaking
    // paragraphs, and cuts the paragraph it extends at its end into blocks.
    void insertPlain(QTextCursor& c, const QString& text, const QTextCharFormat& format);
    // The text between two places of the document, paragraphs broken by LF.
    QString plainBetween(int from, int to) const;
    int endPos() const;
    // Where the oldest whole blocks that hold at least `length` characters of Text() end.
    int firstBlocksEnd(int length) const;
    // Places of the document and of its text, where a break takes `breakChars` characters (CR
    // LF in Text(), LF in what a screen reader is given) and a cut none. They cost the log of
    // the number of blocks, not a walk over them.
    int toTextPos(int docPos, int breakChars = 2) const;
    int toDocPos(int textPos, int breakChars = 2) const;
    // Where the text of block `b` starts.
    int textStart(const QTextBlock& b, int breakChars) const;

    // The cuts before block `b`. Each block's user state holds the number of cuts up to it,
    // counted from wherever the count began: a log grows at its end and loses its oldest
    // blocks, and neither changes the count of the blocks that stay.
    int cutsBefore(const QTextBlock& b) const;
    // Counts each change as the document tells it, before any view hears of it: a view tells
    // a screen reader of the change, and of the caret it moved, at once.
    void documentChange(int from, int removed, int added);
    // Counts the blocks from the one that holds `from` to the one that holds `from + added`
    // anew, and gives the cuts among them after the first; the other blocks keep their counts.
    int recountCuts(int from, int added);
    // Qt cannot leave a change out of its undo history: the history goes instead, and the
    // modified flag stays as it was.
    template <class Steps> void changeWithoutUndo(Steps steps);
    // Merges `format` into the selection's characters (into the caret's format when nothing is
    // selected) as a change of format only, and so its undo and its redo.
    void mergeFormat(const QTextCharFormat& format);

    QTextDocument document_;
    quint64 revision_ = 0;
    // All the cuts of the document.
    int cuts_ = 0;
    // The latest change as the document told it, and the cuts it took out: a screen reader
    // is told what went in characters of the text, and a cut is none; of a change of format
    // only it is told nothing, as it reads plain text.
    struct Change {
        int from = -1, removed = 0, removedCuts = 0;
        bool formatOnly = false;
    };
    Change lastChange_;
    // Set while the box changes formats only, and the document's revision while an undo or a
    // redo does (Qt tells such a change as characters removed and as many added).
    bool reformatting_ = false;
    int formatOnlyRevision_ = -1;
    QTextCursor cursor_{&document_};
    bool wordWrap_ = true;
    bool locked_ = false;
};

} // namespace ui
