#pragma once

#include <optional>

// The closed-form motion of a drop (a small sphere) that leaves the origin at time 0 and moves
// under gravity, square-law air drag and a constant wind. Every value is a formula in t, so a
// path may be sampled at any time, in any order. Horizontal values are positive to the right;
// vertical values are positive in the direction of gravity (downwards, as on the canvas).
namespace dropcalc {

// The launch velocity, where it does not come from the panel.
struct Launch {
    double vx0 = 0, vy0 = 0;
};

// What the parameter panel gives, in the panel's units.
struct DropInputs {
    double radiusMm = 0; // radius in millimetres
    double vx0 = 0;      // initial horizontal velocity, m/s
    double windX = 0;    // horizontal wind VFx, m/s
    double windY = 0;    // vertical wind VFy, m/s
    double vy0 = 0;      // initial vertical velocity, m/s
    double density = 0;  // relative to water
};

// The constants the formulas use, worked out from the inputs.
struct Drop {
    double m = 0;   // mass, kg
    double k = 0;   // drag coefficient: the force is k u^2
    double vT = 0;  // terminal speed relative to the air
    double p = 0;   // g / vT
    double q = 0;   // 1 / vT
    double tau = 0; // vT / g
    double u0 = 0;  // initial vertical velocity relative to the air
    double t1 = 0;  // when a drop rising through the air comes to rest relative to it
    DropInputs in;

    // The model's arithmetic, and the calculator's (the same quantities, multiplied in
    // another order, so the last bits may differ).
    static Drop forModel(const DropInputs& in);
    static Drop forCalculator(const DropInputs& in);
};

// The five families of vertical motion.
enum class Family {
    Rising,    // up through the air, until t1
    AfterRise, // from t1 on, falling through the air
    Speeding,  // down through the air, slower than the terminal speed
    Slowing,   // down through the air, faster than the terminal speed
    Uniform    // at the terminal speed
};

struct Motion {
    double displacement = 0;
    double velocity = 0;
};

// The vertical displacement and velocity of one family at t (0 without a family). Where the
// textbook form overflows for long times, an equal form that stays finite is used.
Motion vertical(const Drop& drop, std::optional<Family> family, double t);

// The horizontal displacement x(t).
double horizontalDisplacement(const Drop& drop, double t);

// Which family gives y(t), as the model decides it: five blocks in turn, each for itself,
// the last one that applies standing (where several apply, at Vy0 = 0 or VFy = 0, they agree).
struct ModelChoice {
    std::optional<Family> family; // none only for inputs that are no numbers (NaN)
    // The first block's after-rise case ran: the main window hides its drag readout then.
    bool afterRiseFromRest = false;
    // The last block's after-rise case ran (thrown up into a downward wind or calm air, and
    // past the rest): the drawing window reports the moment of rest then.
    bool afterUpwardThrow = false;
};
ModelChoice modelFamily(const Drop& drop, double t);

// y(t) of the model.
double verticalDisplacement(const Drop& drop, double t);

// The drop's state at t as the calculator shows it.
struct DropState {
    double hx = 0, hy = 0;        // displacement
    double vx = 0, vy = 0;        // velocity
    double zeroVxTime = 0;        // when the horizontal velocity passes 0; 0 when it never does
    double equalisedTime = 0;     // t1, when the calculator's rules record it; else 0
    std::optional<Family> family; // the vertical motion at t, by the calculator's rules
};
DropState stateAt(const DropInputs& in, double t);

} // namespace dropcalc
