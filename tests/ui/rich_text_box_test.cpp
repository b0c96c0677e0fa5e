#include "ui/edit_commands.h"
#include "ui/form.h"
#include "ui/rich_text_box.h"

#include <QAccessible>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextEdit>
#include <functional>
#include <gtest/gtest.h>

using namespace ui;

namespace {
class Notes : public Form {
public:
    Notes() : Form(QStringLiteral("Notes")) {}
    RichTextBox Box{this, "Box"};

protected:
    void design() override { Box.Move(0, 0, 3000, 1500); }
};

class RichTextBoxTest : public ::testing::Test {
protected:
    Notes n;
    RichTextBox& box = n.Box;
};
} // namespace

TEST_F(RichTextBoxTest, SelectionCountsParagraphBreaksAsCrLfWithAndWithoutItsWidget) {
    struct Row {
        const char* why;
        QString before;
        int start, length;
        QString selected, inserted, after;
        int caretAfter;
    };
    // 长000长001…, cut into blocks where the text goes in.
    QString numbered;
    for (int i = 0; i < 100; ++i)
        numbered += QStringLiteral("长%1").arg(i, 3, 10, QLatin1Char('0'));
    const Row rows[] = {
        {"appending a paragraph at the end", "ab", 2, 0, "", "a\r\n", "aba\r\n", 5},
        {"appending after a break", "中文\r\n", 4, 0, "", "字", "中文\r\n字", 5},
        {"a lone LF and a lone CR break paragraphs too", "", 0, 0, "", "x\ny\rz", "x\r\ny\r\nz", 7},
        {"a selection across a break takes its CR LF", "ab\r\ncd", 1, 4, "b\r\nc", "-", "a-d", 2},
        {"a place between CR and LF falls before the break", "ab\r\ncd", 3, 0, "", "X", "abX\r\ncd",
         3},
        {"a start past the end goes to the end", "ab", 99, 5, "", "!", "ab!", 3},
        {"a deletion from a line's start into the third block of a long line keeps the break "
         "before it",
         "S1\r\n" + numbered, 4, 300, numbered.left(300), "", "S1\r\n" + numbered.mid(300), 4},
    };
    for (bool live : {false, true}) {
        if (live)
            n.show();
        for (const Row& r : rows) {
            SCOPED_TRACE(std::string(r.why) + (live ? ", shown" : ", not loaded"));
            box.setText(r.before);
            EXPECT_EQ(box.Text(), r.before);
            box.setSelStart(r.start);
            box.setSelLength(r.length);
            EXPECT_EQ(box.SelText(), r.selected);
            box.setSelText(r.inserted);
            EXPECT_EQ(box.Text(), r.after);
            EXPECT_EQ(box.SelStart(), r.caretAfter);
            EXPECT_EQ(box.SelLength(), 0);
        }
    }
}

int longestBlock(const QTextDocument* d) {
    int longest = 0;
    for (QTextBlock b = d->begin(); b.isValid(); b = b.next())
        longest = std::max(longest, b.length() - 1);
    return longest;
}

void press(QWidget* w, Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, key, m, QStringLiteral("\r"));
    QCoreApplication::sendEvent(w, &e);
}

// Qt lays a paragraph out whole on every change: a paragraph that grows at its end is kept in
// short blocks, and the cuts between them show nowhere, not in the text, its places, what is
// copied, what Enter and a paste put in, or what an undo takes back.
TEST_F(RichTextBoxTest, AParagraphGrowsInShortBlocksThatShowNowhere) {
    n.show();
    QString expected = QStringLiteral("开头\r\n");
    box.setText(expected);
    box.setSelStart(box.TextLength());
    const QString piece = QStringLiteral("告警点A2：红色告警 312。");
    for (int i = 0; i < 40; ++i) {
        if (i % 2)
            box.appendText(piece);
        else
            box.setSelText(piece);
        expected += piece;
    }
    const QTextDocument* doc = box.edit()->document();
    EXPECT_LE(longestBlock(doc), RichTextBox::kBlockChars);
    EXPECT_GT(doc->blockCount(), 4);
    EXPECT_EQ(box.Text(), expected);
    QAccessibleTextInterface* reader =
        QAccessible::queryAccessibleInterface(box.edit())->textInterface();
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->text(0, reader->characterCount()), QString(expected).replace("\r\n", "\n"))
        << "a screen reader reads one paragraph";
    int lineStart = 0, lineEnd = 0;
    EXPECT_EQ(reader->textAtOffset(300, QAccessible::LineBoundary, &lineStart, &lineEnd),
              expected.mid(4));
    EXPECT_EQ(box.TextLength(), expected.size());
    EXPECT_EQ(box.SelStart(), expected.size());

    box.setSelStart(100);
    box.setSelLength(400);
    EXPECT_EQ(box.SelStart(), 100);
    EXPECT_EQ(box.SelLength(), 400);
    EXPECT_EQ(box.SelText(), expected.mid(100, 400));
    QGuiApplication::clipboard()->clear();
    box.edit()->copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected.mid(100, 400)) << "as the user copies";
    QGuiApplication::clipboard()->clear();
    box.Copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected.mid(100, 400));

    box.setSelStart(300);
    press(box.edit(), Qt::Key_Return);
    box.setSelStart(502);
    press(box.edit(), Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
    expected.insert(300, QStringLiteral("\r\n")).insert(502, QStringLiteral("\r\n"));
    EXPECT_EQ(box.Text(), expected);

    const QString beforePaste = expected;
    QGuiApplication::clipboard()->setText(QStringLiteral("甲\n乙"));
    box.setSelStart(box.TextLength());
    box.edit()->paste();
    EXPECT_EQ(box.Text(), expected + QStringLiteral("甲\r\n乙"));
    box.Undo();
    EXPECT_EQ(box.Text(), beforePaste);
    EXPECT_LE(longestBlock(doc), RichTextBox::kBlockChars);
}

// The oldest text leaves in whole blocks, as the text had it, and takes the undo history along.
TEST_F(RichTextBoxTest, TakingTheOldestTextGivesWholeBlocks) {
    const QString paragraph = QString(300, u'x');
    struct Row {
        const char* why;
        QString text;
        int length;
        QString taken;
    };
    const Row rows[] = {
        {"a paragraph and its break", "ab\r\ncd\r\nef", 1, "ab\r\n"},
        {"up to the end of the paragraph that reaches the length", "ab\r\ncd\r\nef", 5,
         "ab\r\ncd\r\n"},
        {"a long paragraph, a block at a time", paragraph, 10, paragraph.left(128)},
        {"more than there is", "ab\r\ncd", 99, "ab\r\ncd"},
    };
    n.show();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        box.setText(QString());
        box.appendText(row.text);
        const quint64 revision = box.Revision();
        EXPECT_EQ(box.takeFirst(row.length), row.taken);
        EXPECT_EQ(box.Text(), row.text.mid(row.taken.size()));
        EXPECT_NE(box.Revision(), revision);
        EXPECT_FALSE(box.CanUndo());
    }
}

TEST_F(RichTextBoxTest, TextStaysWhileHiddenAndUnloadedAndANewLoadEmptiesTheBox) {
    n.show();
    box.setText(QStringLiteral("第一行\r\n"));
    box.setSelStart(box.Text().size());
    box.setSelText(QStringLiteral("第二行"));
    n.hide();
    EXPECT_EQ(box.Text(), QStringLiteral("第一行\r\n第二行"));
    ASSERT_NE(box.edit(), nullptr);
    EXPECT_EQ(box.edit()->toPlainText(), QStringLiteral("第一行\n第二行"));

    box.edit()->moveCursor(QTextCursor::PreviousBlock); // as the user would, with the arrow keys

    n.unload();
    EXPECT_EQ(box.edit(), nullptr);
    EXPECT_EQ(box.Text(), QStringLiteral("第一行\r\n第二行"));
    EXPECT_EQ(box.SelStart(), 0);
    EXPECT_TRUE(box.CanUndo());
    box.setSelText(QStringLiteral("。"));
    EXPECT_EQ(box.Text(), QStringLiteral("。第一行\r\n第二行"));

    n.show();
    EXPECT_EQ(box.Text(), QString());
    EXPECT_FALSE(box.CanUndo());
    EXPECT_FALSE(box.Modified());
    ASSERT_NE(box.edit(), nullptr);
    EXPECT_EQ(box.edit()->toPlainText(), QString());
}

TEST_F(RichTextBoxTest, NewTextTakesTheFormatAtTheCaret) {
    n.show();
    box.setText(QStringLiteral("ab"));
    box.setSelLength(2);
    box.setSelBold(true);
    box.setSelStart(2);
    box.setSelText(QStringLiteral("c"));
    QTextCursor c(box.edit()->document());
    c.setPosition(3);
    EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
}

TEST_F(RichTextBoxTest, OwnEditOperationsWorkWithoutAWidgetAndALockedBoxRefusesChanges) {
    box.setText(QStringLiteral("hello world"));
    box.setSelStart(6);
    box.setSelLength(5);
    box.Cut();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("world"));
    EXPECT_EQ(box.Text(), QStringLiteral("hello "));
    box.setSelStart(0);
    box.Paste();
    EXPECT_EQ(box.Text(), QStringLiteral("worldhello "));
    box.Undo();
    EXPECT_EQ(box.Text(), QStringLiteral("hello "));

    box.setLocked(true);
    box.setSelLength(5);
    box.Cut();
    box.Clear();
    box.Paste();
    EXPECT_EQ(box.Text(), QStringLiteral("hello "));
}

TEST_F(RichTextBoxTest, MouseDownGivesButtonShiftAndTwips) {
    n.show();
    int clicks = 0;
    QList<QList<int>> downs;
    box.onDblClick = [&] { ++clicks; };
    box.onMouseDown = [&](int button, int shift, int x, int y) {
        downs << QList{button, shift, x, y};
    };
    QWidget* area = box.edit()->viewport();
    const QPointF at(10, 20);
    auto send = [&](QEvent::Type type, Qt::MouseButton b, Qt::KeyboardModifiers m) {
        QMouseEvent e(type, at, area->mapToGlobal(at), b, b, m);
        QCoreApplication::sendEvent(area, &e);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::NoModifier);
    send(QEvent::MouseButtonPress, Qt::RightButton, Qt::ControlModifier);
    send(QEvent::MouseButtonPress, Qt::MiddleButton, Qt::ShiftModifier | Qt::AltModifier);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::NoModifier);
    const QList<QList<int>> expected{{1, 0, 150, 300}, {2, 2, 150, 300}, {4, 5, 150, 300}};
    EXPECT_EQ(downs, expected);
    EXPECT_EQ(clicks, 1);
}

TEST(EditCommands, UndoCutPasteAndClearOnALineEditAndARichTextBox) {
    // Each kind of box holds "hello world" and gives a way to select and to lock it.
    struct Kind {
        const char* name;
        QWidget* widget;
        std::function<QString()> text;
        std::function<void(int start, int length)> select;
        std::function<void()> lock;
    };
    QLineEdit line(QStringLiteral("hello world"));
    Notes n;
    n.show();
    n.Box.setText(QStringLiteral("hello world"));
    const Kind kinds[] = {
        {"line edit", &line, [&] { return line.text(); },
         [&](int s, int l) { line.setSelection(s, l); }, [&] { line.setReadOnly(true); }},
        {"rich text box", n.Box.edit(), [&] { return n.Box.Text(); },
         [&](int s, int l) {
             n.Box.setSelStart(s);
             n.Box.setSelLength(l);
         },
         [&] { n.Box.setLocked(true); }},
    };
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.name);
        QWidget* w = k.widget;
        EXPECT_TRUE(isTextWidget(w));
        k.select(6, 5);
        EXPECT_EQ(selectionLength(w), 5);

        EXPECT_TRUE(sendEditCommand(w, EditCommand::Cut));
        EXPECT_EQ(k.text(), QStringLiteral("hello "));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("world"));
        EXPECT_EQ(selectionLength(w), 0);
        EXPECT_TRUE(canUndo(w));
        k.select(0, 0);
        sendEditCommand(w, EditCommand::Paste);
        EXPECT_EQ(k.text(), QStringLiteral("worldhello "));

        k.select(0, 5);
        sendEditCommand(w, EditCommand::Clear);
        EXPECT_EQ(k.text(), QStringLiteral("hello "));
        sendEditCommand(w, EditCommand::Clear); // nothing selected: nothing goes
        EXPECT_EQ(k.text(), QStringLiteral("hello "));
        sendEditCommand(w, EditCommand::Undo);
        EXPECT_EQ(k.text(), QStringLiteral("worldhello "));

        k.lock();
        for (EditCommand c : {EditCommand::Cut, EditCommand::Paste, EditCommand::Clear}) {
            k.select(0, 5);
            QGuiApplication::clipboard()->setText(QStringLiteral("新"));
            sendEditCommand(w, c);
            EXPECT_EQ(k.text(), QStringLiteral("worldhello ")) << "command " << int(c);
        }
    }

    QLabel label;
    QTextBrowser browser;
    EXPECT_FALSE(isTextWidget(&label));
    EXPECT_FALSE(isTextWidget(&browser));
    EXPECT_FALSE(sendEditCommand(&label, EditCommand::Paste));
}

TEST(EditCommands, ClipboardHasTextOnlyWhenItHoldsText) {
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
    EXPECT_FALSE(clipboardHasText());
    QGuiApplication::clipboard()->setText(QStringLiteral("文字"));
    EXPECT_TRUE(clipboardHasText());
}
