#include "windows/parameter_panel.h"

#include "dropcalc/plot.h"
#include "dropcalc/rounding.h"
#include "ui/dialogs.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"

#include <cmath>

namespace windows {

double ParameterPanel::number(int box) const {
    return vbrt::CDbl(boxes_(box).Text());
}

dropcalc::DropInputs ParameterPanel::dropInputs(std::optional<dropcalc::Launch> launch) const {
    auto box = [this](int i) { return number(i); };
    dropcalc::DropInputs in;
    in.radiusMm = box(0);
    in.vx0 = launch ? launch->vx0 : box(1);
    in.windX = box(2);
    in.windY = box(3);
    in.vy0 = launch ? launch->vy0 : box(4);
    in.density = box(13);
    return in;
}

bool ParameterPanel::dropBoxesNumeric() const {
    bool numbers = true;
    for (int i : {0, 1, 2, 3, 4, int(kTimeBox), 13})
        numbers = vbrt::IsNumeric(boxes_(i).Text()) && numbers;
    return numbers;
}

bool ParameterPanel::dropInputFits() const {
    if (!dropBoxesNumeric())
        return false;
    // A radius or density of 0 divides by zero, and a time whose step is 0 never ends the
    // plot: they are refused like texts that are no numbers.
    const dropcalc::DropInputs in = dropInputs();
    return in.radiusMm > 0 && in.density > 0 && dropcalc::steppableTime(number(kTimeBox));
}

void ParameterPanel::refuseDropInput() const {
    ui::MsgBox(QStringLiteral("请输入数值！"), ui::vbOKOnly, QStringLiteral("Tessal"));
}

void ParameterPanel::runOnDropInput(const std::function<void()>& step) {
    if (!tryOnDropInput(step))
        refuseDropInput();
}

bool ParameterPanel::tryOnDropInput(const std::function<void()>& step) {
    if (!dropInputFits())
        return false;
    try {
        step();
    } catch (const vbrt::RuntimeError&) {
        return false;
    }
    return true;
}

double ParameterPanel::x(double t, std::optional<dropcalc::Launch> launch) {
    return dropcalc::horizontalDisplacement(dropcalc::Drop::forModel(dropInputs(launch)), t);
}

double ParameterPanel::y(double t, std::optional<dropcalc::Launch> launch) {
    const dropcalc::DropInputs in = dropInputs(launch);
    const dropcalc::Drop d = dropcalc::Drop::forModel(in);
    const dropcalc::ModelChoice choice = dropcalc::modelFamily(d, t);
    // Thrown down slower than the wind, the drop comes to rest in the air at t1; thrown down
    // faster, the box shows the drag on it at the launch. Thrown up into a downward wind, once
    // past its rest, the box names the moment of rest (this wins where both apply). Only the
    // last text is written: nothing can see the box between two writes of one call.
    std::optional<QString> moment;
    if (in.vy0 >= 0 && in.windY >= 0)
        moment = dropcalc::numberText(in.vy0 < in.windY ? d.t1 : d.k * std::pow(d.u0, 2));
    if (choice.afterUpwardThrow) {
        moment = QStringLiteral("t=") + dropcalc::wcText(d.t1) + QStringLiteral("时，") +
                 QStringLiteral("vy为vfy。");
    }
    if (moment)
        boxes_(kMomentsBox).setText(*moment);
    return dropcalc::vertical(d, choice.family, t).displacement;
}

void ParameterPanel::keepMomentOnError(const std::function<void()>& compute) {
    ui::TextBox& moments = boxes_(kMomentsBox);
    const QString held = moments.Text();
    try {
        compute();
    } catch (const vbrt::RuntimeError&) {
        moments.setText(held);
        throw;
    }
}

bool ParameterPanel::sizePlotWindow(std::array<double, 4>& window, double t, int steps,
                                    dropcalc::TimeLoop loop) {
    double halfX = 0, halfY = 0;
    keepMomentOnError([&] {
        const dropcalc::Extents e = dropcalc::scanExtents(
            t, steps, [this](double tau) { return x(tau); }, [this](double tau) { return y(tau); },
            loop);
        halfX = dropcalc::horizontalHalf(e);
        halfY = dropcalc::verticalHalf(e);
        dropcalc::requireFinite({halfX, halfY});
    });
    window = dropcalc::squareWindow(halfX, halfY);
    return dropcalc::usableWindow(window[1], window[3]);
}

} // namespace windows
