#include "shell/form3.h"

#include "platform/web_browser.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "ui/dialogs.h"
#include "ui/picture_file.h"
#include "vbrt/apppath.h"
#include "vbrt/convert.h"

#include <QTextBrowser>

namespace shell {

const QString Form3::kHomePage = QStringLiteral("http://www.tessal-arvendel.example/");

Form3::Form3() : ui::Form(QStringLiteral("Form3")) {
    // A new browser for each load: the old one's view went with the old window.
    WebBrowser1.factory = [this](QWidget* parent) -> QWidget* {
        browser_ = std::make_unique<platform::WebBrowser>(parent);
        return browser_->widget();
    };
}

Form3::~Form3() = default;

void Form3::design() {
    designWindow(QStringLiteral("Form3"), 1200, 900, 9600, 7200, vbrt::RGB(240, 240, 240));
    // Room above the browser for a click on the window itself; the fitting keeps the top.
    WebBrowser1.Move(480, 120, 8640, 6480);
}

void Form3::Form_Click() {
    // A caption long enough to be an address is offered as one.
    const QString caption = Caption();
    const QString proposal = vbrt::Len(caption) >= 10 ? caption : kHomePage;
    const QString address =
        ui::InputBox(QStringLiteral("请输入网址："), QStringLiteral("Tessal Arvendel"), proposal);
    if (!address.isEmpty() && browser_)
        browser_->Navigate(address);
}

void Form3::Form_Resize() {
    const float w = float(Width()), h = float(Height());
    WebBrowser1.setWidth(vbrt::CLng(double(w * 0.9f)));
    WebBrowser1.setHeight(vbrt::CLng(double(h * 0.9f)));
    WebBrowser1.setLeft(vbrt::CLng(double(w * 0.05f)));
    // A missing or unreadable picture leaves the window without one.
    setPicture(ui::LoadPicture(vbrt::appFile(QStringLiteral("\\123.jpg"))));
}

void Form3::Form_QueryUnload(int& cancel, int) {
    switch (shell::form1().quitQuestion()) {
    case Form1::QuitAnswer::EndNow:
    case Form1::QuitAnswer::Stay:
        cancel = 1;
        return;
    case Form1::QuitAnswer::Yes:
        if (!shell::form1().alarmPointLogLetGo()) {
            cancel = 1;
            return;
        }
        // The main window's own close handling ends the program; the windows already going
        // down (this one included) are not unloaded twice.
        shell::form1().unload();
        shell::form2().unload();
        unload();
        return;
    case Form1::QuitAnswer::Confirmed:
        return;
    }
}

void Form3::Form_Unload(int&) {
    shell::form1().unload();
    shell::form2().unload();
    unload();
}

} // namespace shell
