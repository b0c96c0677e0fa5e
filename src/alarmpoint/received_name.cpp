#include "alarmpoint/received_name.h"

#include <QFile>

namespace alarmpoint {

namespace {
const QString kUnnamed = QStringLiteral("未命名文件");
constexpr qsizetype kLongestName = 255;
// An "extension" longer than this is part of the name, cut like the rest of it.
constexpr qsizetype kLongestExtension = 32;

qsizetype storedSize(const QString& name) {
    return QFile::encodeName(name).size();
}
} // namespace

QString fittedFileName(const QString& name) {
    if (storedSize(name) <= kLongestName)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QString extension = dot > 0 ? name.mid(dot) : QString();
    if (storedSize(extension) > kLongestExtension)
        extension.clear();
    QString stem = name.left(name.size() - extension.size());
    const qsizetype room = kLongestName - storedSize(extension);
    while (!stem.isEmpty() && storedSize(stem) > room)
        stem.chop(stem.size() > 1 && stem.back().isLowSurrogate() ? 2 : 1);
    return stem + extension;
}

QString plainFileName(const QString& offered) {
    const qsizetype cut =
        std::max(offered.lastIndexOf(QLatin1Char('/')), offered.lastIndexOf(QLatin1Char('\\')));
    QString name;
    for (QChar c : offered.mid(cut + 1))
        if (c.category() != QChar::Other_Control)
            name += c;
    name = fittedFileName(name.trimmed());
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return kUnnamed;
    return name;
}

} // namespace alarmpoint
