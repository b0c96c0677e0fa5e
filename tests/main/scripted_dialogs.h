#pragma once

#include "ui/dialogs.h"

#include <QString>
#include <deque>
#include <functional>
#include <optional>

namespace testing_support {

// A Dialogs double that answers from a script. Every dialog the program shows must be
// expected, in order, with its text and title; anything else fails the test. At the end of
// the test every scripted dialog must have been shown.
class ScriptedDialogs : public ui::Dialogs {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // A message box with exactly this text and title, answered with `answer` (vbYes, ...).
    // `buttons` is the style's button part (vbOKOnly, vbYesNo, ...); -1 accepts any.
    // `whileOpen` runs while the box is open, before it answers.
    ScriptedDialogs& expectMsgBox(const QString& text, const QString& title, int answer,
                                  int buttons = -1, std::function<void()> whileOpen = {});
    // An input box with this prompt answered with `answer` (nothing = cancelled).
    ScriptedDialogs& expectInputBox(const QString& prompt, std::optional<QString> answer);
    // `whileOpen` runs while the dialog is open, before it answers.
    ScriptedDialogs& expectOpenFile(std::optional<QString> answer,
                                    std::function<void()> whileOpen = {});
    ScriptedDialogs& expectSaveFile(std::optional<QString> answer);
    ScriptedDialogs& expectColor(std::optional<vbrt::Colour> answer);
    // A pop-up menu answered with the index of an item (nothing = dismissed).
    ScriptedDialogs& expectPopupMenu(std::optional<int> answer);

    // What was shown, for the messages of failing tests.
    QStringList shown;
    // The filter each file dialog was given.
    QStringList filters;
    // The items of the last pop-up menu shown.
    std::vector<ui::MenuItem> lastMenu;
    bool allShown() const { return script_.empty(); }
    void verifyAllShown();

    int msgBox(const QString& prompt, int style, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    std::optional<QString> openFile(const ui::FileDialogRequest& request) override;
    std::optional<QString> saveFile(const ui::FileDialogRequest& request) override;
    std::optional<vbrt::Colour> chooseColor(vbrt::Colour initial) override;
    std::optional<int> popupMenu(const std::vector<ui::MenuItem>& items) override;

private:
    enum class Kind { MsgBox, InputBox, Open, Save, Colour, Menu };
    struct Step {
        Kind kind;
        QString text, title;
        int buttons = -1;
        int answer = 0;
        std::optional<QString> textAnswer;
        std::optional<vbrt::Colour> colourAnswer;
        std::optional<int> menuAnswer;
        std::function<void()> whileOpen = {};
    };
    std::optional<Step> next(Kind kind, const QString& what);

    std::deque<Step> script_;
};

} // namespace testing_support
