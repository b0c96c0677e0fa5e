#include "vbrt/apppath.h"

#include <QCoreApplication>
#include <QDir>

namespace vbrt {

namespace {
QString& overridePath() {
    static QString path;
    return path;
}

QString withoutTrailingSeparator(QString path) {
    while (path.size() > 1 && (path.endsWith(u'/') || path.endsWith(u'\\')))
        path.chop(1);
    return path;
}
} // namespace

QString appPath() {
    if (!overridePath().isEmpty())
        return overridePath();
    if (QCoreApplication::instance())
        return withoutTrailingSeparator(QCoreApplication::applicationDirPath());
    return withoutTrailingSeparator(QDir::currentPath());
}

// An empty path goes back to the executable's folder.
void setAppPath(const QString& path) {
    overridePath() = withoutTrailingSeparator(path);
}

QString appFile(const QString& backslashName) {
    QString name = backslashName;
    name.replace(u'\\', u'/');
    QString base = appPath();
    if (base.endsWith(u'/'))
        base.chop(1); // the root folder
    if (!name.startsWith(u'/'))
        name.prepend(u'/');
    return base + name;
}

} // namespace vbrt
