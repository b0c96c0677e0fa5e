// The message log: appending, the snapshot files, its layouts and its Edit menu.

#include "alarmpoint/form4.h"
#include "app/module1.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"
#include "vbrt/file_writer.h"

#include <QApplication>

namespace alarmpoint {

namespace {
// The size every character of the log takes after a change of layout, in points.
constexpr double kLayoutFontSize = 15;
const QString kModified = QStringLiteral("Text has been modified\rContinue?");

int twips(double x) {
    return vbrt::CLng(x);
}
} // namespace

void Form4::appendToLog(const QString& text) {
    RichTextBox3.appendText(text);
}

void Form4::Timer3_Timer() {
    const QString text = RichTextBox3.Text();
    if (lastSnapshot_ == text)
        return;
    app::Module1& m = app::module1();
    const QString name =
        m.recordToggle ? QStringLiteral("\\record2.txt") : QStringLiteral("\\record1.txt");
    // In the code page the user's other tools read. A snapshot that cannot be written is tried
    // again at the next tick.
    if (!vbrt::replaceFile(vbrt::appFile(name), vbrt::toAnsi(text + vbrt::kCrLf)))
        return;
    lastSnapshot_ = text;
    m.recordToggle = !m.recordToggle;
}

void Form4::Form_Resize() {
    const double h = Height();
    Label2.setLeft(100);
    RichTextBox3.setWidth(twips(Text1.Width() * 1.5));
    RichTextBox3.setHeight(twips(h * 0.5));
    RichTextBox3.setTop(twips(h - h * 5.5 / 8 + 100));
    Label3.setTop(twips(h - h * 1.4 / 8));
}

// The user's selection is put back afterwards: a right click must not offer to cut the whole
// log because its layout changed.
void Form4::formatWholeLog() {
    const int start = RichTextBox3.SelStart(), length = RichTextBox3.SelLength();
    RichTextBox3.setSelStart(0);
    RichTextBox3.setSelLength(RichTextBox3.TextLength());
    RichTextBox3.setSelFontSize(kLayoutFontSize);
    RichTextBox3.setSelStart(start);
    RichTextBox3.setSelLength(length);
}

void Form4::normalLogLayout(double factor) {
    RichTextBox3.setLeft(twips(Text1.Left() + 0.15 * Text1.Width()));
    RichTextBox3.setWidth(twips(Text1.Width() * factor));
    RichTextBox3.setTop(twips(Command1.Top() + 1.15 * Command1.Height()));
    RichTextBox3.setHeight(std::max(0, Height() - RichTextBox3.Top() - Text1.Height()));
}

void Form4::RichTextBox3_DblClick() {
    Label3.setVisible(false);
    if (!logZoomed) {
        logZoomed = true;
        ui::showControls({&Text1, &Command2, &Command3, &Command1, &Command4, &Command5}, false);
        formatWholeLog();
        const double w = Width(), h = Height();
        RichTextBox3.Move(twips(w * 0.01), twips(h * 0.01), twips(w * 0.98), twips(h * 0.9));
        return;
    }
    logZoomed = false;
    ui::showControls({&Text1, &Command2, &Command3}, true);
    ui::showControls({&Command1, &Command4, &Command5}, app::module1().remoteCollabOn);
    formatWholeLog();
    normalLogLayout(1.5);
}

void Form4::Text1_DblClick() {
    Text1.setText(QString());
    Text1.setLocked(false);
    Timer(1).setEnabled(false);
    Label2.Move(1560, 5160);
    formatWholeLog();
    normalLogLayout(1.6);
}

void Form4::Label2_MouseDown(int button, int, int, int) {
    if (button == 1 || button == 4)
        Label2.Move(0, Label2.Top() - 2400);
    if (button == 2)
        Label2.Move(0, Label2.Top() + 2400);
}

// ---- Edit menu

void Form4::RichTextBox3_MouseDown(int button, int, int, int) {
    if (button != 2)
        return;
    mMain_Click(1);
    std::vector<ui::MenuItem> items(mEdit.begin(), mEdit.end());
    if (const std::optional<int> chosen = ui::dialogs().popupMenu(items))
        mEdit_Click(*chosen);
}

void Form4::mMain_Click(int index) {
    if (index == 1)
        updateEditMenu();
}

QWidget* Form4::activeTextWidget() const {
    QWidget* w = window() ? window()->focusWidget() : nullptr;
    return ui::isTextWidget(w) ? w : nullptr;
}

void Form4::updateEditMenu() {
    QWidget* w = activeTextWidget();
    const bool selection = w && ui::selectionLength(w) != 0;
    mEdit[0].enabled = w && ui::canUndo(w);
    mEdit[2].enabled = selection;
    mEdit[3].enabled = selection;
    mEdit[4].enabled = w && ui::clipboardHasText();
    mEdit[5].enabled = selection;
}

void Form4::mEdit_Click(int index) {
    switch (index) {
    case 0:
        return sendEditCommand(ui::EditCommand::Undo);
    case 2:
        return sendEditCommand(ui::EditCommand::Cut);
    case 3:
        return sendEditCommand(ui::EditCommand::Copy);
    case 4:
        return sendEditCommand(ui::EditCommand::Paste);
    case 5:
        return sendEditCommand(ui::EditCommand::Clear);
    default:
        return;
    }
}

void Form4::sendEditCommand(ui::EditCommand command) {
    if (QWidget* w = activeTextWidget())
        ui::sendEditCommand(w, command);
    else
        QApplication::beep();
}

void Form4::checkModified() {
    if (Text1.Modified())
        ui::MsgBox(kModified, ui::vbYesNo, QStringLiteral("Warning"));
}

} // namespace alarmpoint
