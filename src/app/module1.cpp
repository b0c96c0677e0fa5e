#include "app/module1.h"

#include <memory>

namespace app {

namespace {
std::unique_ptr<Module1>& instance() {
    static std::unique_ptr<Module1> m = std::make_unique<Module1>();
    return m;
}
} // namespace

Module1& module1() {
    return *instance();
}

void resetModule1() {
    instance() = std::make_unique<Module1>();
}

} // namespace app
