#include "dropcalc/plot.h"
#include "shell/calculator.h"
#include "shell/form1.h"
#include "ui/waits.h"

namespace shell {

using Panel = windows::ParameterPanel;
using dropcalc::DropInputs;

namespace {
constexpr vbrt::Colour kHighlight = vbrt::RGB(239, 239, 158);
} // namespace

double Calculator::f1(double t) {
    return xAt(f_.panel.dropInputs(), t);
}

double Calculator::f2(double t) {
    return yAt(f_.panel.dropInputs(), t);
}

double Calculator::xAt(const DropInputs& in, double t) {
    return dropcalc::horizontalDisplacement(dropcalc::Drop::forModel(in), t);
}

double Calculator::yAt(const DropInputs& in, double t) {
    const dropcalc::Drop drop = dropcalc::Drop::forModel(in);
    const dropcalc::ModelChoice choice = dropcalc::modelFamily(drop, t);
    if (choice.afterRiseFromRest)
        f_.Label1(Panel::kDragCaption).setVisible(false);
    return dropcalc::vertical(drop, choice.family, t).displacement;
}

void Calculator::pauseThenCls() {
    ui::pauseShort();
    f_.Picture1.Cls();
}

void Calculator::Text1_Click(int index) {
    if (index >= 0 && index <= Panel::kLastDropBox)
        f_.Text1(index).setBackColor(kHighlight);
}

void Calculator::Text1_DblClick(int index) {
    if (index >= 0 && index <= Panel::kLastDropBox)
        f_.Text1(index).setText(QString());
}

void Calculator::Picture1_DblClick() {
    f_.Picture1.Cls();
}

} // namespace shell
