#include "ui/dialogs.h"

#include "vbrt/errors.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace ui {

namespace {
Dialogs* installed = nullptr;
QString titleWhenNone = QStringLiteral("Tessal Arvendel");

QWidget* parentWindow() { return QApplication::activeWindow(); }
} // namespace

Dialogs& dialogs() {
    static QtDialogs qt;
    return installed ? *installed : qt;
}

void setDialogs(Dialogs* d) { installed = d; }
void setDefaultTitle(const QString& title) { titleWhenNone = title; }
QString defaultTitle() { return titleWhenNone; }

int MsgBox(const QString& prompt, int style, const QString& title) {
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

FileDialogRequest CommonDialog::request() const { return {DialogTitle, Filter, FileName, InitDir}; }

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

void CommonDialog::ShowColor() {
    if (auto colour = dialogs().chooseColor(Color))
        Color = *colour;
    else
        cancelled();
}

int QtDialogs::msgBox(const QString& prompt, int style, const QString& title) {
    QMessageBox box(parentWindow());
    box.setWindowTitle(title);
    box.setText(prompt);
    const int icon = style & 0x70;
    box.setIcon(icon == vbCritical      ? QMessageBox::Critical
                : icon == vbQuestion    ? QMessageBox::Question
                : icon == vbExclamation ? QMessageBox::Warning
                : icon == vbInformation ? QMessageBox::Information
                                        : QMessageBox::NoIcon);
    switch (style & 0x0F) {
    case vbYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case vbYesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case vbOKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    case QMessageBox::Cancel:
        return vbCancel;
    default:
        return (style & 0x0F) == vbOKOnly ? vbOK : vbCancel;
    }
}

std::optional<QString> QtDialogs::inputBox(const QString& prompt, const QString& title,
                                           const QString& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(parentWindow(), title, prompt, QLineEdit::Normal,
                                               defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtDialogs::openFile(const FileDialogRequest& r) {
    const QString name = QFileDialog::getOpenFileName(parentWindow(), r.title,
                                                      r.initDir.isEmpty() ? r.fileName : r.initDir,
                                                      qtFilter(r.filter));
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<QString> QtDialogs::saveFile(const FileDialogRequest& r) {
    // The program asks its own overwrite question.
    const QString name = QFileDialog::getSaveFileName(
        parentWindow(), r.title, r.initDir.isEmpty() ? r.fileName : r.initDir, qtFilter(r.filter),
        nullptr, QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<vbrt::Colour> QtDialogs::chooseColor(vbrt::Colour initial) {
    const QColor c = QColorDialog::getColor(vbrt::toQColor(initial), parentWindow());
    if (!c.isValid())
        return std::nullopt;
    return vbrt::fromQColor(c);
}

} // namespace ui
