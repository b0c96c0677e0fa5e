#include "shell/form1.h"
#include "shell/forms.h"
#include "shell/program_end.h"
#include "ui/desktop.h"
#include "ui/session.h"

#include <QApplication>

int main(int argc, char** argv) {
    // A logout while the application starts ends the program as the quit does, once it can.
    ui::holdSessionSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessal Arvendel"));

    ui::useChineseDesktop();
    shell::installProgramEnd();

    shell::form1().show();
    return QApplication::exec();
}
