#pragma once

#include "ui/controls.h"
#include "ui/form.h"

#include <memory>

namespace platform {
class WebBrowser;
}

namespace shell {

// The auxiliary browser window: a browser over most of the window, a background picture,
// and the main window's quit question on closing.
class Form3 : public ui::Form {
public:
    Form3();
    ~Form3() override;

    // The address the address box proposes while the caption is too short to be one.
    static const QString kHomePage;

    ui::WidgetHost WebBrowser1{this, "WebBrowser1"};

    void Form_Click() override;
    void Form_Resize() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Unload(int& cancel) override;

    // The browser of the current or last load (nullptr before the first); its view goes with
    // the window.
    platform::WebBrowser* browser() const { return browser_.get(); }

protected:
    void design() override;

private:
    std::unique_ptr<platform::WebBrowser> browser_;
};

} // namespace shell
