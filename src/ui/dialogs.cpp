#include "ui/dialogs.h"

#include "ui/session.h"
#include "vbrt/errors.h"

#include <QApplication>
#include <QColorDialog>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>

namespace ui {

namespace {
Dialogs* installed = nullptr;
QString titleWhenNone = QStringLiteral("Tessal Arvendel");

QWidget* parentWindow() {
    return QApplication::activeWindow();
}
} // namespace

Dialogs& dialogs() {
    static QtDialogs qt;
    return installed ? *installed : qt;
}

void setDialogs(Dialogs* d) {
    installed = d;
}
void setDefaultTitle(const QString& title) {
    titleWhenNone = title;
}
QString defaultTitle() {
    return titleWhenNone;
}

int MsgBox(const QString& prompt, int style, const QString& title) {
    // While the desktop ends the program nobody is there to answer: the box counts as
    // dismissed, and the program goes on to its end.
    if (sessionEnding())
        return (style & 7) == vbOKOnly ? vbOK : (style & 7) == vbYesNo ? vbNo : vbCancel;
    return dialogs().msgBox(prompt, style, title.isEmpty() ? titleWhenNone : title);
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    return dialogs()
        .inputBox(prompt, title.isEmpty() ? titleWhenNone : title, defaultText)
        .value_or(QString());
}

QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString name = parts[i];
        // Qt takes the patterns from the brackets at the end of the name.
        const int bracket = name.indexOf(QLatin1Char('('));
        if (bracket >= 0)
            name = name.left(bracket).trimmed();
        out << QStringLiteral("%1 (%2)").arg(name, patterns);
    }
    return out.join(QStringLiteral(";;"));
}

FileDialogRequest CommonDialog::request() const {
    return {DialogTitle, Filter, FileName, InitDir};
}

void CommonDialog::cancelled() const {
    if (CancelError)
        vbrt::raise(vbrt::ErrDialogCancel);
}

void CommonDialog::ShowOpen() {
    if (auto name = dialogs().openFile(request()))
        FileName = *name;
    else
        cancelled();
}

void CommonDialog::ShowSave() {
    if (auto name = dialogs().saveFile(request()))
        FileName = *name;
    else
        cancelled();
}

std::optional<QString> askSaveName(CommonDialog& dialog, const QString& filter,
                                   const QString& replaceTitle) {
    dialog.CancelError = true;
    dialog.Filter = filter;
    if (!vbrt::skipOnError([&] { dialog.ShowSave(); }))
        return std::nullopt;
    const QString name = dialog.FileName;
    if (name.isEmpty())
        return std::nullopt;
    if (QFileInfo(name).isFile() &&
        MsgBox(name + QStringLiteral("已经存在。\r\n要替换她吗？"), vbYesNo, replaceTitle) != vbYes)
        return std::nullopt;
    return name;
}

void CommonDialog::ShowColor() {
    if (auto colour = dialogs().chooseColor(Color))
        Color = *colour;
    else
        cancelled();
}

namespace {
// Dialogs live on the heap behind a guard: the window they belong to may be unloaded (and its
// widgets deleted, this dialog among them) while the dialog waits for the user. Then the
// dialog is gone and counts as cancelled.
template <class D> class Guarded {
public:
    explicit Guarded(D* d) : d_(d) {}
    ~Guarded() { delete d_.data(); }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;
    D* operator->() const { return d_.data(); }
    // The dialog's result, or nothing when it was destroyed while open.
    std::optional<int> exec() {
        const int result = d_->exec();
        if (!d_)
            return std::nullopt;
        return result;
    }

private:
    QPointer<D> d_;
};
} // namespace

int QtDialogs::msgBox(const QString& prompt, int style, const QString& title) {
    Guarded box(new QMessageBox(parentWindow()));
    box->setWindowTitle(title);
    box->setText(prompt);
    const int icon = style & 0x70;
    box->setIcon(icon == vbCritical      ? QMessageBox::Critical
                 : icon == vbQuestion    ? QMessageBox::Question
                 : icon == vbExclamation ? QMessageBox::Warning
                 : icon == vbInformation ? QMessageBox::Information
                                         : QMessageBox::NoIcon);
    const int buttons = style & 0x0F;
    switch (buttons) {
    case vbYesNo:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case vbYesNoCancel:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case vbOKCancel:
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    default:
        box->setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec().value_or(QMessageBox::NoButton)) {
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    case QMessageBox::Ok:
        return vbOK;
    default:
        // Closed without an answer: the box's way of saying no.
        return buttons == vbOKOnly ? vbOK : buttons == vbYesNo ? vbNo : vbCancel;
    }
}

std::optional<QString> QtDialogs::inputBox(const QString& prompt, const QString& title,
                                           const QString& defaultText) {
    Guarded dialog(new QInputDialog(parentWindow()));
    dialog->setWindowTitle(title);
    dialog->setLabelText(prompt);
    dialog->setTextValue(defaultText);
    if (dialog.exec().value_or(QDialog::Rejected) != QDialog::Accepted)
        return std::nullopt;
    return dialog->textValue();
}

namespace {
std::optional<QString> chooseFile(const FileDialogRequest& r, bool save) {
    Guarded dialog(new QFileDialog(
        parentWindow(), r.title, r.initDir.isEmpty() ? r.fileName : r.initDir, qtFilter(r.filter)));
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program asks its own overwrite question.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec().value_or(QDialog::Rejected) != QDialog::Accepted ||
        dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().constFirst();
}
} // namespace

std::optional<QString> QtDialogs::openFile(const FileDialogRequest& r) {
    return chooseFile(r, false);
}

std::optional<QString> QtDialogs::saveFile(const FileDialogRequest& r) {
    return chooseFile(r, true);
}

std::optional<vbrt::Colour> QtDialogs::chooseColor(vbrt::Colour initial) {
    Guarded dialog(new QColorDialog(vbrt::toQColor(initial), parentWindow()));
    if (dialog.exec().value_or(QDialog::Rejected) != QDialog::Accepted)
        return std::nullopt;
    return vbrt::fromQColor(dialog->selectedColor());
}

std::optional<int> QtDialogs::popupMenu(const std::vector<MenuItem>& items) {
    Guarded menu(new QMenu(parentWindow()));
    std::vector<QAction*> actions;
    for (const MenuItem& item : items) {
        if (item.caption == QStringLiteral("-")) {
            actions.push_back(menu->addSeparator());
            continue;
        }
        QAction* a = menu->addAction(item.caption);
        a->setShortcut(QKeySequence(item.shortcut));
        a->setEnabled(item.enabled);
        actions.push_back(a);
    }
    QPointer<QAction> chosen = menu->exec(QCursor::pos());
    if (!chosen)
        return std::nullopt;
    const auto it = std::find(actions.begin(), actions.end(), chosen.data());
    return it == actions.end() ? std::nullopt : std::optional<int>(int(it - actions.begin()));
}

} // namespace ui
