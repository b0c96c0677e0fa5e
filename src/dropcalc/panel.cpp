#include "dropcalc/calculator.h"
#include "dropcalc/plot.h"
#include "shell/form1.h"
#include "ui/waits.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

namespace dropcalc {

using shell::Form1;

namespace {
constexpr vbrt::Colour kHighlight = vbrt::RGB(239, 239, 158);
} // namespace

double Calculator::panelNumber(int box) const {
    return vbrt::CDbl(f_.Text1(box).Text());
}

dropcalc::DropInputs Calculator::dropInputs(std::optional<dropcalc::Launch> launch) const {
    auto box = [this](int i) { return panelNumber(i); };
    dropcalc::DropInputs in;
    in.radiusMm = box(0);
    in.vx0 = launch ? launch->vx0 : box(1);
    in.windX = box(2);
    in.windY = box(3);
    in.vy0 = launch ? launch->vy0 : box(4);
    in.density = box(13);
    return in;
}

double Calculator::xAt(const DropInputs& in, double t) {
    return dropcalc::horizontalDisplacement(dropcalc::Drop::forModel(in), t);
}

double Calculator::yAt(const DropInputs& in, double t) {
    const dropcalc::Drop drop = dropcalc::Drop::forModel(in);
    const dropcalc::ModelChoice choice = dropcalc::modelFamily(drop, t);
    if (choice.afterRiseFromRest)
        f_.Label1(14).setVisible(false);
    return dropcalc::vertical(drop, choice.family, t).displacement;
}

bool Calculator::dropBoxesNumeric() const {
    bool numbers = true;
    for (int i : {0, 1, 2, 3, 4, int(Form1::kTimeBox), 13})
        numbers = vbrt::IsNumeric(f_.Text1(i).Text()) && numbers;
    return numbers;
}

bool Calculator::dropInputFits() const {
    if (!dropBoxesNumeric())
        return false;
    // A radius or density of 0 divides by zero, and a time whose step is 0 never ends the
    // plot: they are refused like texts that are no numbers.
    const dropcalc::DropInputs in = dropInputs();
    return in.radiusMm > 0 && in.density > 0 &&
           dropcalc::steppableTime(panelNumber(Form1::kTimeBox));
}

void Calculator::refuseDropInput() const {
    ui::MsgBox(QStringLiteral("请输入数值！"), ui::vbOKOnly, QStringLiteral("Tessal"));
}

void Calculator::runOnDropInput(const std::function<void()>& step) {
    if (!tryOnDropInput(step))
        refuseDropInput();
}

bool Calculator::tryOnDropInput(const std::function<void()>& step) {
    if (!dropInputFits())
        return false;
    try {
        step();
    } catch (const vbrt::RuntimeError&) {
        return false;
    }
    return true;
}

void Calculator::pauseThenCls() {
    ui::pauseShort();
    f_.Picture1.Cls();
}

void Calculator::Text1_Click(int index) {
    if (index >= 0 && index <= Form1::kLastDropBox)
        f_.Text1(index).setBackColor(kHighlight);
}

void Calculator::Text1_DblClick(int index) {
    if (index >= 0 && index <= Form1::kLastDropBox)
        f_.Text1(index).setText(QString());
}

void Calculator::Picture1_DblClick() {
    f_.Picture1.Cls();
}

} // namespace dropcalc
