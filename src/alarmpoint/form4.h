#pragma once

#include "ui/form.h"

#include <QString>
#include <QStringList>

namespace alarmpoint {

// The remote alarm point window.
class Form4 : public ui::Form {
public:
    Form4();

    void Form_Unload(int& cancel) override;

    // Sends an alarm text to the alarm server. Until the server link exists nothing is sent:
    // the text is kept in `reports` and "" is returned, as when the link is down.
    QString gaojingsc(const QString& text);
    QStringList reports;
};

} // namespace alarmpoint
