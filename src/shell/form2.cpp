#include "shell/form2.h"

#include "app/module1.h"

namespace shell {

Form2::Form2() : ui::Form(QStringLiteral("Form2")) {
    Command1.add(0, 21);
    Command12.add(0, 2);
    Text1.add(0, 3);
    Timer.add(1, 23);
}

Form2::~Form2() = default;

void Form2::design() {
    designWindow(QStringLiteral("人工智能远程监控模块"), 0, 0, 15360, 11520, vbrt::RGB(192, 208, 192));
}

void Form2::pauseThenClsBusy() {
    pauseTickBusy();
    Picture1.Cls();
}

void Form2::plotStepDelay() { shell::plotStepDelay(app::module1().fastPlot); }

void Form2::countThenCls() {
    countLoop(1, 5000);
    Picture1.Cls();
}

} // namespace shell
