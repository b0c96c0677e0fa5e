#include "monitoring/monitoring.h"

#include "alarmpoint/form4.h"
#include "app/forms.h"
#include "app/module1.h"
#include "shell/form2.h"

namespace monitoring {

Monitoring::Monitoring(shell::Form2& form) : f_(form) {
    f_.Command15.onClick = [this] { Command15_Click(); };
}

void Monitoring::Command15_Click() {
    app::module1().alarmPointOn = true;
    alarmpoint::Form4& alarmPoint = app::form4();
    alarmPoint.show();
    alarmPoint.setBackColor(vbrt::RGB(192, 208, 192));
}

} // namespace monitoring
