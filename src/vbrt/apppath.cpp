#include "vbrt/apppath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vbrt {

namespace {
QString& overridePath() {
    static QString path;
    return path;
}

// The descriptor of the folder this process has taken, open for as long as it has it: the
// lock belongs to the descriptor, and the system drops both when the process ends.
int& heldFolder() {
    static int fd = -1;
    return fd;
}

bool sameFolder(int fd, const QByteArray& path) {
    struct stat held {};
    struct stat asked {};
    return ::fstat(fd, &held) == 0 && ::stat(path.constData(), &asked) == 0 &&
           held.st_dev == asked.st_dev && held.st_ino == asked.st_ino;
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

bool claimAppFolder() {
    const QByteArray folder = QFile::encodeName(appPath());
    int& held = heldFolder();
    // A second lock on the same folder from this process would be refused like another's.
    if (held >= 0 && sameFolder(held, folder))
        return true;
    if (held >= 0)
        ::close(std::exchange(held, -1));
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        held = fd;
        return true;
    }
    const bool takenByAnother = errno == EWOULDBLOCK;
    ::close(fd);
    return !takenByAnother;
}

} // namespace vbrt
