#include "dropcalc/motion.h"

#include <cmath>
#include <numbers>

namespace dropcalc {

namespace {

constexpr double kG = 9.8;
constexpr double kAirViscosity = 18.2e-6;
const double kPi = 4 * std::atan(1.0);

// The textbook value where it is finite; for times long enough that an exponential
// overflows, the equal form that stays finite.
template <typename Safe> double finiteOr(double value, Safe safe) {
    return std::isfinite(value) ? value : safe();
}

// The constants that follow from m and k alike in both arithmetics.
Drop complete(Drop d) {
    d.vT = std::sqrt(d.m * kG / d.k);
    d.p = std::sqrt(kG * d.k / d.m);
    d.q = std::sqrt(d.k / (d.m * kG));
    d.tau = std::sqrt(d.m / (kG * d.k));
    d.u0 = d.in.vy0 - d.in.windY;
    d.t1 = d.tau * std::atan(d.q * (d.in.windY - d.in.vy0));
    return d;
}

} // namespace

Drop Drop::forModel(const DropInputs& in) {
    Drop d;
    d.in = in;
    const double r = in.radiusMm * 1e-3;
    const double rho = 1000 * in.density;
    d.m = 4.0 / 3 * kPi * std::pow(r, 3) * rho;
    d.k = 6 * kPi * kAirViscosity * r;
    return complete(d);
}

Drop Drop::forCalculator(const DropInputs& in) {
    Drop d;
    d.in = in;
    const double r = in.radiusMm * 1e-3;
    const double rho = in.density * 1e3;
    d.m = std::pow(r, 3) * (rho * (kPi * 4 / 3));
    d.k = 1e-6 * (r * (18.2 * (kPi * 6)));
    return complete(d);
}

Motion vertical(const Drop& d, std::optional<Family> family, double t) {
    if (!family)
        return {};
    const double wy = d.in.windY;
    const double mk = d.m / d.k;
    switch (*family) {
    case Family::Rising: {
        const double y = wy * t - mk * std::log(std::cos(d.p * (d.t1 - t)) / std::cos(d.p * d.t1));
        return {y, wy - d.vT * std::tan(d.p * (d.t1 - t))};
    }
    case Family::AfterRise: {
        const double s = t - d.t1;
        const double e = std::exp(2 * d.p * s);
        const double y1 = wy * d.t1 - mk * std::log(1 / std::cos(d.p * d.t1));
        const double drag = finiteOr(std::log((e + 1) / (2 * e)), [&] {
            return std::log1p(std::exp(-2 * d.p * s)) - std::numbers::ln2;
        });
        const double ratio = finiteOr((e - 1) / (e + 1), [&] { return std::tanh(d.p * s); });
        return {y1 + mk * drag + (d.vT + wy) * s, wy + d.vT * ratio};
    }
    case Family::Speeding: {
        const double e = std::exp(2 * d.p * t);
        const double r = (1 + d.q * d.u0) / (1 - d.q * d.u0);
        const double drag = finiteOr(std::log((1 + e * r) / (e * (1 + r))), [&] {
            return std::log(r + std::exp(-2 * d.p * t)) - std::log(1 + r);
        });
        const double ratio = finiteOr((e * r - 1) / (e * r + 1), [] { return 1.0; });
        return {mk * drag + d.vT * t + wy * t, wy + d.vT * ratio};
    }
    case Family::Slowing: {
        const double e = std::exp(2 * d.p * t);
        const double r = (1 + d.q * d.u0) / (d.q * d.u0 - 1);
        const double drag = finiteOr(std::log((e * r - 1) / (e * (r - 1))), [&] {
            return std::log(r - std::exp(-2 * d.p * t)) - std::log(r - 1);
        });
        const double ratio = finiteOr((e * r + 1) / (e * r - 1), [] { return 1.0; });
        return {mk * drag + d.vT * t + wy * t, wy + d.vT * ratio};
    }
    case Family::Uniform:
        return {d.in.vy0 * t, d.in.vy0};
    }
    return {};
}

double horizontalDisplacement(const Drop& d, double t) {
    const double wx = d.in.windX, vx0 = d.in.vx0;
    const double gap = std::abs(wx - vx0);
    const double slowed = d.m / d.k * std::log((d.m + t * gap * d.k) / d.m);
    if (wx > vx0)
        return wx * t - slowed;
    if (wx == vx0)
        return vx0 * t;
    if (wx < vx0)
        return wx * t + slowed;
    return 0;
}

namespace {
// The sub-cases the blocks share. Each gives nothing where none holds (inputs that are no
// numbers), so the block before it stands.

// Down through the air: its speed against the terminal speed decides.
std::optional<Family> byTerminalSpeed(double u, double vT) {
    if (u > vT)
        return Family::Slowing;
    if (u < vT)
        return Family::Speeding;
    if (u == vT)
        return Family::Uniform;
    return std::nullopt;
}

// Down through the air, by the sign of the net force at the launch.
std::optional<Family> byNetForce(const Drop& d) {
    const double balance = d.m * kG - d.k * std::pow(d.u0, 2);
    if (balance > 0)
        return Family::Speeding;
    if (balance == 0)
        return Family::Uniform;
    if (balance < 0)
        return Family::Slowing;
    return std::nullopt;
}

// Up through the air until the rest, falling through it from then on.
std::optional<Family> aroundRest(double t, double t1) {
    if (t >= t1)
        return Family::AfterRise;
    if (t < t1)
        return Family::Rising;
    return std::nullopt;
}

void apply(std::optional<Family>& f, std::optional<Family> sub) {
    if (sub)
        f = sub;
}
} // namespace

ModelChoice modelFamily(const Drop& d, double t) {
    const double vy0 = d.in.vy0, wy = d.in.windY;
    ModelChoice c;
    auto& f = c.family;
    if (vy0 >= 0 && wy >= 0) {
        if (wy > vy0) {
            apply(f, aroundRest(t, d.t1));
            c.afterRiseFromRest = t >= d.t1;
        }
        if (vy0 >= wy)
            apply(f, byNetForce(d));
    }
    if (vy0 <= 0 && wy <= 0) {
        if (std::abs(vy0) > std::abs(wy)) {
            // At the rest itself the after-rise form stands only for a wind at or above the
            // terminal speed.
            if (t <= d.t1)
                f = Family::Rising;
            if ((t > d.t1 && std::abs(wy) < d.vT) || (t >= d.t1 && std::abs(wy) >= d.vT))
                f = Family::AfterRise;
        }
        if (std::abs(vy0) <= std::abs(wy))
            apply(f, byTerminalSpeed(std::abs(d.u0), d.vT));
    }
    if (vy0 >= 0 && wy <= 0)
        apply(f, byTerminalSpeed(d.u0, d.vT));
    if (vy0 <= 0 && wy >= 0) {
        apply(f, aroundRest(t, d.t1));
        c.afterUpwardThrow = t >= d.t1;
    }
    return c;
}

double verticalDisplacement(const Drop& d, double t) {
    return vertical(d, modelFamily(d, t).family, t).displacement;
}

DropState stateAt(const DropInputs& in, double t) {
    const Drop d = Drop::forCalculator(in);
    const double wx = in.windX, vx0 = in.vx0, vy0 = in.vy0, wy = in.windY;
    const double mk = d.m / d.k;
    DropState s;

    const double gap = std::abs(wx - vx0);
    const double decayed = gap * d.m / (d.m + gap * d.k * t);
    const double slowed = mk * std::log((d.m + gap * d.k * t) / d.m);
    if (wx > vx0) {
        s.vx = wx - decayed;
        s.hx = wx * t - slowed;
        if (wx * vx0 < 0)
            s.zeroVxTime = mk * (1 / wx - 1 / gap);
    }
    if (wx == vx0) {
        s.vx = vx0;
        s.hx = vx0 * t;
    }
    if (wx < vx0) {
        s.vx = wx + decayed;
        s.hx = wx * t + slowed;
        if (wx * vx0 < 0)
            s.zeroVxTime = mk * (1 / -wx - 1 / gap);
    }

    // The calculator's own order of the same rules: the last block that applies stands.
    std::optional<Family> f;
    if (vy0 >= 0 && wy <= 0)
        apply(f, byTerminalSpeed(d.u0, d.vT));
    if (vy0 <= 0 && wy >= 0) {
        apply(f, aroundRest(t, d.t1));
        s.equalisedTime = d.t1;
    }
    if (vy0 >= 0 && wy >= 0) {
        if (wy > vy0)
            apply(f, aroundRest(t, d.t1));
        if (vy0 >= wy)
            apply(f, byNetForce(d));
    }
    if (vy0 <= 0 && wy <= 0) {
        if (std::abs(vy0) > std::abs(wy)) {
            // Here the rise stands at the rest itself.
            if (t <= d.t1)
                f = Family::Rising;
            if (t > d.t1)
                f = Family::AfterRise;
            s.equalisedTime = d.t1;
        }
        if (std::abs(vy0) <= std::abs(wy))
            apply(f, byTerminalSpeed(std::abs(d.u0), d.vT));
    }
    s.family = f;
    const Motion m = vertical(d, f, t);
    s.hy = m.displacement;
    s.vy = m.velocity;
    return s;
}

} // namespace dropcalc
