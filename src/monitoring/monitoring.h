#pragma once

namespace shell {
class Form2;
}

namespace monitoring {

// Smart monitoring of the drawing window: its buttons, timers and the way it reports to the
// remote alarm point.
class Monitoring {
public:
    explicit Monitoring(shell::Form2& form);
    Monitoring(const Monitoring&) = delete;
    Monitoring& operator=(const Monitoring&) = delete;

    // Opens the remote alarm point, which from then on receives the monitoring's reports.
    void Command15_Click();

private:
    shell::Form2& f_;
};

} // namespace monitoring
