#include "ui/desktop.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

void useChineseDesktop() {
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    static QTranslator qtChinese;
    if (qtChinese.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtChinese);
}

} // namespace ui
