#include "shell/form1.h"
#include "shell/forms.h"
#include "shell/program_end.h"
#include "ui/desktop.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessal Arvendel"));

    ui::useChineseDesktop();
    shell::installProgramEnd();

    shell::form1().show();
    return QApplication::exec();
}
