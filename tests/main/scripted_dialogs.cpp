#include "scripted_dialogs.h"

#include <gtest/gtest.h>

namespace testing_support {

namespace {
const char* kindName(int k) {
    static const char* names[] = {"message box", "input box",     "open dialog",
                                  "save dialog", "colour dialog", "pop-up menu"};
    return names[k];
}
} // namespace

ScriptedDialogs::ScriptedDialogs() {
    ui::setDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    ui::setDialogs(nullptr);
}

void ScriptedDialogs::verifyAllShown() {
    for (const Step& s : script_)
        ADD_FAILURE() << "expected " << kindName(int(s.kind)) << " was never shown: \""
                      << s.text.toStdString() << "\"";
    script_.clear();
}

ScriptedDialogs& ScriptedDialogs::expectMsgBox(const QString& text, const QString& title,
                                               int answer, int buttons,
                                               std::function<void()> whileOpen) {
    script_.push_back(
        {Kind::MsgBox, text, title, buttons, answer, {}, {}, {}, std::move(whileOpen)});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectInputBox(const QString& prompt,
                                                 std::optional<QString> answer) {
    script_.push_back({Kind::InputBox, prompt, {}, -1, 0, std::move(answer), {}, {}});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectOpenFile(std::optional<QString> answer,
                                                 std::function<void()> whileOpen) {
    script_.push_back({Kind::Open, {}, {}, -1, 0, std::move(answer), {}, {}, std::move(whileOpen)});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectSaveFile(std::optional<QString> answer) {
    script_.push_back({Kind::Save, {}, {}, -1, 0, std::move(answer), {}, {}});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectColor(std::optional<vbrt::Colour> answer) {
    script_.push_back({Kind::Colour, {}, {}, -1, 0, {}, answer, {}});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectPopupMenu(std::optional<int> answer) {
    script_.push_back({Kind::Menu, {}, {}, -1, 0, {}, {}, answer});
    return *this;
}

std::optional<ScriptedDialogs::Step> ScriptedDialogs::next(Kind kind, const QString& what) {
    shown << what;
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected " << kindName(int(kind)) << ": " << what.toStdString();
        return std::nullopt;
    }
    Step s = script_.front();
    script_.pop_front();
    if (s.kind != kind) {
        ADD_FAILURE() << "expected " << kindName(int(s.kind)) << " \"" << s.text.toStdString()
                      << "\" but got " << kindName(int(kind)) << ": " << what.toStdString();
        return std::nullopt;
    }
    return s;
}

int ScriptedDialogs::msgBox(const QString& prompt, int style, const QString& title) {
    auto s = next(Kind::MsgBox, prompt + QStringLiteral(" [") + title + QStringLiteral("]"));
    if (!s)
        return ui::vbCancel;
    EXPECT_EQ(s->text.toStdString(), prompt.toStdString());
    EXPECT_EQ(s->title.toStdString(), title.toStdString()) << "title of " << prompt.toStdString();
    if (s->buttons >= 0) {
        EXPECT_EQ(s->buttons, style & 0x0F) << "buttons of " << prompt.toStdString();
    }
    if (s->whileOpen)
        s->whileOpen();
    return s->answer;
}

std::optional<QString> ScriptedDialogs::inputBox(const QString& prompt, const QString&,
                                                 const QString&) {
    auto s = next(Kind::InputBox, prompt);
    if (!s)
        return std::nullopt;
    EXPECT_EQ(s->text.toStdString(), prompt.toStdString());
    return s->textAnswer;
}

std::optional<QString> ScriptedDialogs::openFile(const ui::FileDialogRequest& request) {
    filters << request.filter;
    auto s = next(Kind::Open, QStringLiteral("open ") + request.filter);
    if (s && s->whileOpen)
        s->whileOpen();
    return s ? s->textAnswer : std::nullopt;
}

std::optional<QString> ScriptedDialogs::saveFile(const ui::FileDialogRequest& request) {
    filters << request.filter;
    auto s = next(Kind::Save, QStringLiteral("save ") + request.filter);
    return s ? s->textAnswer : std::nullopt;
}

std::optional<vbrt::Colour> ScriptedDialogs::chooseColor(vbrt::Colour) {
    auto s = next(Kind::Colour, QStringLiteral("colour"));
    return s ? s->colourAnswer : std::nullopt;
}

std::optional<int> ScriptedDialogs::popupMenu(const std::vector<ui::MenuItem>& items) {
    lastMenu = items;
    auto s = next(Kind::Menu, QStringLiteral("pop-up menu"));
    return s ? s->menuAnswer : std::nullopt;
}

} // namespace testing_support
