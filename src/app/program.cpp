#include "app/program.h"

namespace app {

namespace {
bool ended = false;
std::function<void()>& endAction() {
    static std::function<void()> action;
    return action;
}
} // namespace

void End() {
    ended = true;
    if (endAction())
        endAction()();
}

bool programEnded() {
    return ended;
}
void resetProgramEnded() {
    ended = false;
}
void setEndAction(std::function<void()> action) {
    endAction() = std::move(action);
}

} // namespace app
