#include "ui/desktop.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <fontconfig/fontconfig.h>
#include <memory>

namespace ui {

void useChineseDesktop() {
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    static QTranslator qtChinese;
    if (qtChinese.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtChinese);
}

namespace {
// The face the system's font matching gives for Chinese text in `family`: its aliases first (a
// Song face installed to stand for SimSun), else the nearest face with Chinese glyphs. Asked of
// fontconfig with the language named, because Qt's own fallback for a Han character names no
// language and so takes whichever CJK face comes first, which changes with what else is
// installed.
QString chineseFaceOf(const QString& family) {
    const auto destroy = [](FcPattern* p) { FcPatternDestroy(p); };
    const std::unique_ptr<FcPattern, decltype(destroy)> pattern(FcPatternCreate(), destroy);
    if (!pattern)
        return {};
    const QByteArray name = family.toUtf8();
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.data()));
    FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const std::unique_ptr<FcPattern, decltype(destroy)> match(
        FcFontMatch(nullptr, pattern.get(), &result), destroy);
    FcChar8* face = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FAMILY, 0, &face) != FcResultMatch)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(face));
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

std::optional<LineBox> namedLineBox(const QString& name) {
    // SimSun and NSimSun share one file: 220 units above the baseline and 36 below on an em of
    // 256, so one em from line to line with no leading.
    static const QStringList simSun{QStringLiteral("SimSun"), QStringLiteral("宋体"),
                                    QStringLiteral("NSimSun"), QStringLiteral("新宋体")};
    if (simSun.contains(name, Qt::CaseInsensitive))
        return LineBox{220.0 / 256, 36.0 / 256};
    return std::nullopt;
}

} // namespace ui
