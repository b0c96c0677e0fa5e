#include "small_disk.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace disk {

namespace {
QString filler() {
    return smallDisk() + QStringLiteral("/filler");
}
} // namespace

QString smallDisk() {
    return qEnvironmentVariable("TESSAL_SMALL_DISK");
}

QString programFolderTemplate() {
    const QString root = smallDisk().isEmpty() ? QDir::tempPath() : smallDisk();
    return root + QStringLiteral("/program-XXXXXX");
}

void fillLeaving(qint64 bytes) {
    struct statvfs fs {};
    ASSERT_EQ(::statvfs(QFile::encodeName(smallDisk()).constData(), &fs), 0);
    const qint64 page = qint64(fs.f_bsize);
    const qint64 free = qint64(fs.f_bavail) * page;
    const qint64 take = (free - bytes) / page * page;
    QFile f(filler());
    ASSERT_TRUE(f.open(QIODevice::Append));
    const QByteArray chunk(int(page), 'x');
    for (qint64 done = 0; done < take; done += page)
        ASSERT_EQ(f.write(chunk), page);
    ASSERT_TRUE(f.flush());
}

void unfill() {
    QFile::remove(filler());
}

LockedFolder::LockedFolder(const QString& path) : path_(path) {
    ::chmod(QFile::encodeName(path_).constData(), 0555);
}

LockedFolder::~LockedFolder() {
    ::chmod(QFile::encodeName(path_).constData(), 0755);
}

bool permissionsBind() {
    return ::geteuid() != 0;
}

} // namespace disk
