#include "app/program.h"

#include <utility>
#include <vector>

namespace app {

namespace {
bool ended = false;
std::function<void()>& endAction() {
    static std::function<void()> action;
    return action;
}
std::vector<std::pair<const void*, std::function<void()>>>& saves() {
    static std::vector<std::pair<const void*, std::function<void()>>> list;
    return list;
}
} // namespace

void End() {
    for (const auto& [owner, save] : saves())
        save();
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

void keepAtEnd(const void* owner, std::function<void()> save) {
    forgetAtEnd(owner);
    saves().emplace_back(owner, std::move(save));
}

void forgetAtEnd(const void* owner) {
    std::erase_if(saves(), [owner](const auto& s) { return s.first == owner; });
}

} // namespace app
