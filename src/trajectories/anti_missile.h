#pragma once

namespace shell {
class Form2;
}

namespace trajectories {

// The anti-missile interception simulation of the drawing window.
class AntiMissile {
public:
    explicit AntiMissile(shell::Form2& form) : f_(form) {}

    // Draws the static scene the launcher opens the mode on.
    void sales();

private:
    [[maybe_unused]] shell::Form2& f_;
};

} // namespace trajectories
