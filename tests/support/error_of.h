#pragma once

#include "vbrt/errors.h"

namespace testing_support {

// Runs f and gives the run-time error number it raised, 0 when it raised none.
template <typename F> int errorOf(F&& f) {
    try {
        f();
    } catch (const vbrt::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace testing_support
