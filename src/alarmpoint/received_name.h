#pragma once

#include <QString>

namespace alarmpoint {

// The name a file offered by the server is stored under in the receive folder: the offered
// name reduced to a plain file name (what follows its last "/" or "\", without control
// characters), so that nothing the server sends can place a file anywhere else, and cut to
// what the file system takes. Never empty, never "." or "..".
QString plainFileName(const QString& offered);

// A name longer than the file system takes (255 bytes as stored) cut at the end of its stem,
// its extension kept; a name that fits is left as it is.
QString fittedFileName(const QString& name);

} // namespace alarmpoint
