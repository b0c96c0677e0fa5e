#include "app/forms.h"
#include "app/program.h"
#include "shell/form1.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessal Arvendel"));
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));

    // Dialog buttons read 是 / 否 / 确定 / 取消, as on the desktop the program was made for.
    QTranslator qtChinese;
    if (qtChinese.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtChinese);

    // Ending the program is immediate, even from inside a wait that lets events run.
    app::setEndAction([] {
        std::fflush(nullptr);
        std::_Exit(0);
    });

    app::form1().show();
    return QApplication::exec();
}
