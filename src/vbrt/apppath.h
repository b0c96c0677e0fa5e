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

// Takes the program's folder for this process, so that the files kept there have one writer.
// False only when another running process has it; any other failure (no such folder, a file
// system without locks) lets the start go on. The folder stays taken until the process ends,
// however it ends (the system lets go of it), or until this process takes another folder.
bool claimAppFolder();

} // namespace vbrt
