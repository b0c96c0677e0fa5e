#pragma once

#include "vbrt/apppath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// The screenshot tools run the program in a fresh folder of their own, with the generated
// pictures beside it, so a run leaves no log or snapshot behind. False when there is none.
inline bool useFreshProgramFolder(const QTemporaryDir& folder) {
    if (!folder.isValid())
        return false;
    const QDir generated(QCoreApplication::applicationDirPath());
    for (const QString& name :
         generated.entryList({QStringLiteral("*.jpg"), QStringLiteral("*.bmp")}, QDir::Files))
        QFile::copy(generated.filePath(name), folder.filePath(name));
    vbrt::setAppPath(folder.path());
    return true;
}
