#include "ui/desktop.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QRawFont>
#include <QTextLayout>
#include <QTranslator>

namespace ui {

void useChineseDesktop() {
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    static QTranslator qtChinese;
    if (qtChinese.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtChinese);
}

namespace {
// The face a Chinese character is drawn in when `family` is asked for.
QString chineseFaceOf(const QString& family) {
    QFont font;
    font.setFamilies({family});
    QTextLayout layout(QStringLiteral("宋"), font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    return runs.isEmpty() ? QString() : runs.first().rawFont().familyName();
}
} // namespace

QStringList fontFamilies(const QString& name) {
    // Asked for at every font change of every control: each name is looked up once.
    static QHash<QString, QStringList> known;
    if (const auto it = known.constFind(name); it != known.cend())
        return *it;
    QStringList families{name};
    if (!QFontDatabase::hasFamily(name)) {
        const QString face = chineseFaceOf(name);
        if (!face.isEmpty() && face.compare(name, Qt::CaseInsensitive) != 0)
            families << face;
    }
    known.insert(name, families);
    return families;
}

} // namespace ui
