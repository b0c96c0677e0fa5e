#pragma once

#include "ui/dialogs.h"

namespace testing_support {

// A Dialogs double that stands in front of another (the test's scripted dialogs) for its
// lifetime and passes every dialog on to it; a test overrides the dialogs it wants to watch.
class ForwardingDialogs : public ui::Dialogs {
public:
    explicit ForwardingDialogs(ui::Dialogs& inner) : inner_(inner) { ui::setDialogs(this); }
    ~ForwardingDialogs() override { ui::setDialogs(&inner_); }
    ForwardingDialogs(const ForwardingDialogs&) = delete;
    ForwardingDialogs& operator=(const ForwardingDialogs&) = delete;

    int msgBox(const QString& prompt, int style, const QString& title) override {
        return inner_.msgBox(prompt, style, title);
    }
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override {
        return inner_.inputBox(prompt, title, defaultText);
    }
    std::optional<QString> openFile(const ui::FileDialogRequest& request) override {
        return inner_.openFile(request);
    }
    std::optional<QString> saveFile(const ui::FileDialogRequest& request) override {
        return inner_.saveFile(request);
    }
    std::optional<vbrt::Colour> chooseColor(vbrt::Colour initial) override {
        return inner_.chooseColor(initial);
    }
    std::optional<int> popupMenu(const std::vector<ui::MenuItem>& items) override {
        return inner_.popupMenu(items);
    }

private:
    ui::Dialogs& inner_;
};

} // namespace testing_support
