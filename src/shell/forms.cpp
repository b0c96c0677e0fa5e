#include "shell/forms.h"

#include "alarmpoint/form4.h"
#include "app/module1.h"
#include "app/program.h"
#include "shell/form1.h"
#include "shell/form2.h"
#include "shell/form3.h"

#include <memory>

namespace shell {

namespace {
struct Registry {
    std::unique_ptr<Form1> f1;
    std::unique_ptr<Form2> f2;
    std::unique_ptr<Form3> f3;
    std::unique_ptr<alarmpoint::Form4> f4;
};
Registry& registry() {
    static Registry r;
    return r;
}
template <class T> T& get(std::unique_ptr<T>& slot) {
    if (!slot)
        slot = std::make_unique<T>();
    return *slot;
}
} // namespace

Form1& form1() {
    return get(registry().f1);
}
Form2& form2() {
    Registry& r = registry();
    // The drawing window reads the main window's panel and reports to the alarm point.
    if (!r.f2)
        r.f2 = std::make_unique<Form2>(form1(), form4());
    return *r.f2;
}
Form3& form3() {
    return get(registry().f3);
}
alarmpoint::Form4& form4() {
    return get(registry().f4);
}

void resetAll() {
    Registry& r = registry();
    // The drawing window goes first: its subsystems may still refer to the others.
    r.f2.reset();
    r.f4.reset();
    r.f3.reset();
    r.f1.reset();
    app::resetModule1();
    app::resetProgramEnded();
}

} // namespace shell
