#include "alarmpoint/form4.h"

#include "app/module1.h"

namespace alarmpoint {

Form4::Form4() : ui::Form(QStringLiteral("Form4")) {}

void Form4::Form_Unload(int&) {
    app::Module1& m = app::module1();
    m.quitConfirmed = true;
    m.alarmPointOn = false;
}

QString Form4::gaojingsc(const QString& text) {
    reports << text;
    return QString();
}

} // namespace alarmpoint
