#include "alarmpoint/received_name.h"

namespace alarmpoint {

namespace {
const QString kUnnamed = QStringLiteral("未命名文件");
}

QString plainFileName(const QString& offered) {
    const qsizetype cut =
        std::max(offered.lastIndexOf(QLatin1Char('/')), offered.lastIndexOf(QLatin1Char('\\')));
    QString name;
    for (QChar c : offered.mid(cut + 1))
        if (c.category() != QChar::Other_Control)
            name += c;
    name = name.trimmed();
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return kUnnamed;
    return name;
}

} // namespace alarmpoint
