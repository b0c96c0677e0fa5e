#include "app_fixture.h"

#include "shell/forms.h"
#include "ui/clock.h"
#include "ui/event_loop.h"
#include "ui/screen.h"
#include "vbrt/apppath.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>

namespace testing_support {

void AppTest::SetUp() {
    ASSERT_TRUE(dir.isValid());
    shell::resetAll();
    vbrt::setAppPath(dir.path());
    ui::Screen::setPixelSize(QSize(1366, 768));
    ui::Clock::instance().clearOffset();
    ui::EventLoop::instance().useVirtualTime(QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7)));
}

void AppTest::TearDown() {
    dialogs.verifyAllShown();
    shell::resetAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ui::Clock::instance().clearOffset();
    ui::EventLoop::instance().useRealTime();
    ui::Screen::setPixelSize(QSize());
    vbrt::setAppPath(QString());
}

QString AppTest::path(const QString& name) const {
    return dir.filePath(name);
}

QByteArray AppTest::read(const QString& name) const {
    QFile f(path(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void AppTest::write(const QString& name, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(path(name)).absolutePath());
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

bool AppTest::exists(const QString& name) const {
    return QFile::exists(path(name));
}

QStringList AppTest::files() const {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void AppTest::installAsset(const QString& name) const {
    const QString from = QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
    QFile::remove(path(name));
    ASSERT_TRUE(QFile::copy(from, path(name))) << "missing generated asset " << name.toStdString();
}

void AppTest::advance(double seconds) {
    ui::EventLoop::instance().advance(seconds);
}

} // namespace testing_support
