#pragma once

#include "vbrt/picture_reader.h"

#include <QPixmap>
#include <QString>
#include <QVariant>
#include <map>
#include <sys/types.h>
#include <utility>

namespace platform {

// The picture Qt itself shows for one it cannot load. A page's picture must never be left
// without one: Qt would then open the name itself, and wait on a FIFO for ever.
QPixmap missingPicture();

// The local files one page of the browser reads, through the program's reader: each file once,
// however many names the page gives it (a query, a fragment, "./", a link), and its pictures
// within one budget of memory together, so that a short page cannot make the window decode
// one picture again and again; a picture beyond the budget shows as a missing one.
class PageFiles {
public:
    // What the pictures of one page may take together, as the view keeps them.
    static constexpr qint64 kPictureMemory = qint64(400) << 20;
    // The largest page, text or style sheet read: the window lays a page out whole, and far
    // less already takes seconds.
    static constexpr qint64 kMaxPageBytes = qint64(16) << 20;

    // A file as read for the view: a picture (or the missing picture, with why) as a pixmap,
    // or a style sheet's bytes.
    struct Read {
        QVariant value;
        // Why the file is shown as a missing picture; empty when it is not.
        QString why;
    };

    // A new page: what the last one read is let go.
    void clear();

    // The picture in `path`.
    Read picture(const QString& path);
    // A style sheet, or any other file the page names. The view keeps what it gets for a name
    // for every use of that name, as a picture too: so a picture is never given as its bytes,
    // which Qt would decode itself, outside the page's budget, but decoded here.
    QVariant resource(const QString& path);

private:
    Read readOnce(const QString& path, bool asPicture);
    Read readResource(const QString& path);
    // A picture as the view shows it, the bytes it keeps counted.
    Read shown(vbrt::PictureRead read);
    qint64 pictureRoom() const;

    // Files by device and inode: every name of one file finds the one read.
    std::map<std::pair<dev_t, ino_t>, Read> read_;
    qint64 pictureBytes_ = 0;
};

} // namespace platform
