#include "shell/form3.h"

namespace shell {

Form3::Form3() : ui::Form(QStringLiteral("Form3")) {}

} // namespace shell
