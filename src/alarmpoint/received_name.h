#pragma once

#include <QString>

namespace alarmpoint {

// The name a file offered by the server is stored under in the receive folder: the offered
// name reduced to a plain file name (what follows its last "/" or "\", without control
// characters), so that nothing the server sends can place a file anywhere else. Never empty,
// never "." or "..".
QString plainFileName(const QString& offered);

} // namespace alarmpoint
