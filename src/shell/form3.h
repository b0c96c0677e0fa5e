#pragma once

#include "ui/form.h"

namespace shell {

// The auxiliary browser window.
class Form3 : public ui::Form {
public:
    Form3();
};

} // namespace shell
