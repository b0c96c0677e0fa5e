#include "app/program.h"
#include "shell/form1.h"
#include "shell/forms.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessal Arvendel"));

    ui::useChineseDesktop();

    // Ending the program is immediate, even from inside a wait that lets events run.
    app::setEndAction([] {
        std::fflush(nullptr);
        std::_Exit(0);
    });

    shell::form1().show();
    return QApplication::exec();
}
