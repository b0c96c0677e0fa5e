#include "dropcalc/plot.h"
#include "shell/form1.h"
#include "shell/routines.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

namespace shell {

namespace {
constexpr vbrt::Colour kHighlight = vbrt::RGB(239, 239, 158);
} // namespace

double Form1::panelNumber(int box) const {
    return vbrt::CDbl(Text1(box).Text());
}

dropcalc::DropInputs Form1::dropInputs(std::optional<dropcalc::Launch> launch) const {
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

double Form1::f1(double t) {
    return dropcalc::horizontalDisplacement(dropcalc::Drop::forModel(dropInputs()), t);
}

double Form1::f2(double t) {
    const dropcalc::Drop drop = dropcalc::Drop::forModel(dropInputs());
    const dropcalc::ModelChoice choice = dropcalc::modelFamily(drop, t);
    if (choice.afterRiseFromRest)
        Label1(14).setVisible(false);
    return dropcalc::vertical(drop, choice.family, t).displacement;
}

bool Form1::dropBoxesNumeric() const {
    bool numbers = true;
    for (int i : {0, 1, 2, 3, 4, int(kTimeBox), 13})
        numbers = vbrt::IsNumeric(Text1(i).Text()) && numbers;
    return numbers;
}

bool Form1::dropInputFits() const {
    if (!dropBoxesNumeric())
        return false;
    // A radius or density of 0 divides by zero, and a time whose step is 0 never ends the
    // plot: they are refused like texts that are no numbers.
    const dropcalc::DropInputs in = dropInputs();
    return in.radiusMm > 0 && in.density > 0 && dropcalc::steppableTime(panelNumber(kTimeBox));
}

void Form1::refuseDropInput() const {
    ui::MsgBox(QStringLiteral("请输入数值！"), ui::vbOKOnly, QStringLiteral("Tessal"));
}

void Form1::runOnDropInput(const std::function<void()>& step) {
    if (!tryOnDropInput(step))
        refuseDropInput();
}

bool Form1::tryOnDropInput(const std::function<void()>& step) {
    if (!dropInputFits())
        return false;
    try {
        step();
    } catch (const vbrt::RuntimeError&) {
        return false;
    }
    return true;
}

void Form1::pauseThenCls() {
    shell::pauseShort();
    Picture1.Cls();
}

void Form1::Text1_Click(int index) {
    if (index >= 0 && index <= kLastDropBox)
        Text1(index).setBackColor(kHighlight);
}

void Form1::Text1_DblClick(int index) {
    if (index >= 0 && index <= kLastDropBox)
        Text1(index).setText(QString());
}

void Form1::Picture1_DblClick() {
    Picture1.Cls();
}

} // namespace shell
