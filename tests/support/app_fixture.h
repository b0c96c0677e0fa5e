#pragma once

#include "scripted_dialogs.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace testing_support {

// Every test of the program starts from fresh shared state and fresh windows, in a fresh
// temporary program folder, on virtual time, with scripted dialogs that fail the test on any
// dialog it did not expect.
class AppTest : public ::testing::Test {
protected:
    AppTest() = default;
    // The program's folder made from this template (see QTemporaryDir) instead.
    explicit AppTest(const QString& folderTemplate) : dir(folderTemplate) {}

    void SetUp() override;
    void TearDown() override;

    // A file of the program's folder ("tree.txt", "CAMaRA/0.txt").
    QString path(const QString& name) const;
    QByteArray read(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
    bool exists(const QString& name) const;
    // The files of the program's folder, hidden ones (a writer's temporary files) included.
    QStringList files() const;
    // Copies one of the program's generated pictures or sounds into the program folder.
    void installAsset(const QString& name) const;
    // Lets virtual time pass with events running.
    void advance(double seconds);

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
};

} // namespace testing_support
