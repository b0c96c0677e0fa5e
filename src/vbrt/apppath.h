#pragma once

#include <QString>

namespace vbrt {

// The program's folder, without a trailing separator. Defaults to the executable's folder;
// tests point it at a fresh temporary folder.
QString appPath();
void setAppPath(const QString& path);

// Joins a name written the old way with a leading "\" (or several "\" separated parts,
// "\CAMaRA\0.txt") to the program's folder with "/".
QString appFile(const QString& backslashName);

} // namespace vbrt
