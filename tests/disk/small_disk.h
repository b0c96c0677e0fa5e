#pragma once

#include "app_fixture.h"

#include <QString>
#include <gtest/gtest.h>

// The program's folder on a file system of its own, 1 MB in all, that a test can fill for
// real (run_on_small_disk mounts it), and folders that take no new files.
namespace disk {

// Where the small file system is mounted; empty when there is none.
QString smallDisk();
// A program folder on the small disk (or in the usual place where there is none).
QString programFolderTemplate();
// Fills the small disk until at most `bytes` (rounded up to whole pages) stay free.
void fillLeaving(qint64 bytes);
// Gives the room taken by fillLeaving() back.
void unfill();

// A test fixture whose program folder lies on the small disk. It skips, saying why, where
// there is none.
template <class Base> class OnSmallDisk : public Base {
protected:
    OnSmallDisk() : Base(programFolderTemplate()) {}
    void SetUp() override {
        if (smallDisk().isEmpty())
            GTEST_SKIP() << "no small file system here: run through tests/disk/run_on_small_disk "
                            "as root or where user namespaces are allowed";
        Base::SetUp();
    }
    void TearDown() override {
        unfill();
        Base::TearDown();
    }
};

// Takes away the right to make new files in a folder for as long as it lives. Root may write
// anywhere, so a test that needs this skips when it runs as root.
class LockedFolder {
public:
    explicit LockedFolder(const QString& path);
    ~LockedFolder();
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;

private:
    QString path_;
};
bool permissionsBind();

#define SKIP_UNLESS_PERMISSIONS_BIND()                                                             \
    do {                                                                                           \
        if (!disk::permissionsBind())                                                              \
            GTEST_SKIP() << "running as root: folder and file permissions do not bind";            \
    } while (0)

} // namespace disk
