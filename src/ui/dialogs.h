#pragma once

#include "vbrt/colour.h"

#include <QString>
#include <optional>
#include <vector>

namespace ui {

// Message box styles and answers, by the numbers the program uses.
enum MsgBoxStyle {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
enum MsgBoxResult { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

struct FileDialogRequest {
    QString title;
    QString filter; // "Pictures (*.jpg;*.bmp)|*.jpg;*.bmp|All (*.*)|*.*"
    QString fileName;
    QString initDir;
};

// An item of a pop-up menu; the caption "-" is a separator line.
struct MenuItem {
    QString caption = {};
    QString shortcut = {}; // "Ctrl+Z", "Del"; shown beside the caption
    bool enabled = true;
};

// Every message box, input box and common dialog of the program goes through here. The
// program shows Qt's dialogs; tests install a scripted double.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The answer (vbOK, vbYes, ...).
    virtual int msgBox(const QString& prompt, int style, const QString& title) = 0;
    // The typed text; nothing when cancelled.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;
    // The chosen file; nothing when cancelled.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<vbrt::Colour> chooseColor(vbrt::Colour initial) = 0;
    // A pop-up menu at the pointer; the index of the chosen item, nothing when dismissed.
    virtual std::optional<int> popupMenu(const std::vector<MenuItem>& items) = 0;
};

Dialogs& dialogs();
// Installs another implementation (not owned); nullptr goes back to Qt's dialogs.
void setDialogs(Dialogs* d);

// The title a message box gets when the program gives none.
void setDefaultTitle(const QString& title);
QString defaultTitle();

int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {});
// The typed text, "" when cancelled.
QString InputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {});

// The common dialog object: its settings persist from one use to the next.
class CommonDialog {
public:
    QString Filter;
    QString FileName;
    QString DialogTitle;
    QString InitDir;
    bool CancelError = false;
    vbrt::Colour Color = 0;

    // On cancel: raises ErrDialogCancel when CancelError is set, else changes nothing.
    void ShowOpen();
    void ShowSave();
    void ShowColor();

private:
    FileDialogRequest request() const;
    void cancelled() const;
};

// The save dialog with cancel-as-error on (and left on, as the program's file dialogs leave
// it), then, for a file that exists, whether to replace it: "<name>已经存在。" CR LF
// "要替换她吗？", Yes / No, under `replaceTitle`. The name to write; nothing when the dialog was
// cancelled or gave no name, or the answer was not Yes.
std::optional<QString> askSaveName(CommonDialog& dialog, const QString& filter,
                                   const QString& replaceTitle);

// "Name|pattern|Name|pattern" as Qt's ";;"-separated name filters.
QString qtFilter(const QString& filter);

// Qt's own dialogs.
class QtDialogs : public Dialogs {
public:
    int msgBox(const QString& prompt, int style, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<vbrt::Colour> chooseColor(vbrt::Colour initial) override;
    std::optional<int> popupMenu(const std::vector<MenuItem>& items) override;
};

} // namespace ui
